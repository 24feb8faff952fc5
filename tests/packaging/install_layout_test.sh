#!/usr/bin/env bash
# cmake --install of the build tree: what lands where, that the service's
# files name the installed programs, and that the installation says in one
# line which system files it put where the system does not read them.
#   install_layout_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() {  # description, wanted, seen
    if [ "$2" != "$3" ]; then
        echo "FAIL $1: wanted '$2', saw '$3'"
        failures=$((failures + 1))
    fi
}

# destdir  prefix       unread system files named by the notice (in order)
runs=(
    "-        $work/p      org.norvik.RAIDUtility1.conf org.norvik.RAIDUtility1.service norvik-raidd.service org.norvik.RAIDUtility1.policy norvik-raid-monitor.desktop norvik-raid-monitor.service norvik-raid-monitor.service norvik-raid.catalog"
    "$work/d  /usr/local   org.norvik.RAIDUtility1.conf org.norvik.RAIDUtility1.policy norvik-raid-monitor.desktop norvik-raid.catalog"
    "$work/e  /usr         norvik-raid-monitor.desktop"
)
for run in "${runs[@]}"; do
    read -r destdir prefix unread <<<"$run"
    if [ "$destdir" = - ]; then destdir=; fi
    output=$(DESTDIR=$destdir cmake --install "$build" --prefix "$prefix" 2>&1) || {
        echo "$output"
        exit 1
    }
    notice=$(grep '^norvik-raid-utility: ' <<<"$output" || true)
    check "under $prefix the notice is one line" 1 "$(grep -c . <<<"$notice")"
    named=$(grep -o '[^/ ]*\.[a-z]* belongs in' <<<"$notice" | sed 's/ belongs in//' | tr '\n' ' ')
    check "under $prefix the notice names the unread files" "$unread " "$named"
done

# The first run's tree, with nothing above the prefix.
p=$work/p
for file in bin/norvik-raid bin/norvik-raid-utility bin/norvik-sim \
    libexec/norvik-raid-utility/norvik-raidd \
    lib/norvik-raid-utility/simulator/libmv_api.so \
    share/metainfo/org.norvik.RAIDUtility.metainfo.xml \
    share/applications/norvik-raid-utility.desktop \
    share/doc/norvik-raid-simulator/examples/norvik-raidd-simulator.conf \
    etc/norvik-raid/monitor.conf lib/systemd/catalog/norvik-raid.catalog; do
    check "$file installed" yes "$([ -e "$p/$file" ] && echo yes || echo no)"
done
check "the vendor's library is never installed" no \
    "$([ -e "$p/lib/norvik-raid-utility/libmv_api.so" ] && echo yes || echo no)"
check "the metainfo stays out of the resources" no \
    "$([ -e "$p/share/norvik-raid-utility/org.norvik.RAIDUtility.metainfo.xml" ] && echo yes || echo no)"

# file                                                                  line                                           wanted
named=(
    "share/dbus-1/system-services/org.norvik.RAIDUtility1.service         ^Exec=                                         Exec=$p/libexec/norvik-raid-utility/norvik-raidd"
    "lib/systemd/system/norvik-raidd.service                              ^ExecStart=                                    ExecStart=$p/libexec/norvik-raid-utility/norvik-raidd"
    "share/doc/norvik-raid-simulator/examples/norvik-raidd-simulator.conf ^ExecStart=.                                   ExecStart=$p/libexec/norvik-raid-utility/norvik-raidd --library $p/lib/norvik-raid-utility/simulator/libmv_api.so"
    "share/doc/norvik-raid-simulator/examples/org.norvik.RAIDUtility1.service ^Exec=                                     Exec=/usr/bin/env NORVIK_SIM_WORLD=/run/norvik-sim/world.json $p/libexec/norvik-raid-utility/norvik-raidd --library $p/lib/norvik-raid-utility/simulator/libmv_api.so"
    "etc/xdg/autostart/norvik-raid-monitor.desktop                        ^Exec=                                         Exec=$p/bin/norvik-raid monitor --notify"
    "lib/systemd/system/norvik-raid-monitor.service                       ^ExecStart=                                    ExecStart=$p/bin/norvik-raid monitor --config $p/etc/norvik-raid/monitor.conf"
)
for row in "${named[@]}"; do
    read -r file pattern wanted <<<"$row"
    check "$file names the installed program" "$wanted" "$(grep -m1 "$pattern" "$p/$file")"
done

# systemd's own checker takes the system-wide monitor's unit (the manual page
# it names is not installed where man looks, so that is not asked).
check "systemd accepts the system-wide monitor's unit" "" \
    "$(systemd-analyze verify --man=no "$p/lib/systemd/system/norvik-raid-monitor.service" 2>&1)"
# The example configuration is one the monitor takes as it is shipped.
check "the shipped monitor.conf holds only known keys" "" \
    "$(grep -Ev '^\s*(#|$)' "$p/etc/norvik-raid/monitor.conf" |
        grep -Ev '^(interval|mail|sendmail|program|textfile|remind|notify) = ' || true)"

exit $((failures > 0))
