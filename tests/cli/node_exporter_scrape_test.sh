#!/usr/bin/env bash
# The textfile as Debian's Prometheus node exporter reads it: the monitor
# writes it once on a degraded simulated mirror, a link shows it in the
# collector's directory (as the system unit makes one), the exporter runs
# its textfile collector on a loopback port and /metrics must carry the
# monitor's series without a scrape error. Skips (77) without the exporter.
#   node_exporter_scrape_test.sh NORVIK_RAID NORVIK_SIM
set -euo pipefail
norvik_raid=$1
norvik_sim=$2
exporter=$(command -v prometheus-node-exporter || true)
if [ -z "$exporter" ]; then
    echo "SKIP: prometheus-node-exporter is not installed"
    exit 77
fi
work=$(mktemp -d)
exporter_pid=
cleanup() {
    if [ -n "$exporter_pid" ]; then kill "$exporter_pid" 2>/dev/null || true; wait "$exporter_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

export NORVIK_SIM_WORLD=$work/world.json XDG_RUNTIME_DIR=$work
mkdir "$work/own" "$work/collector"
"$norvik_sim" reset >/dev/null
"$norvik_sim" pull 1 >/dev/null
status=0
"$norvik_raid" monitor --once --simulator --textfile "$work/own" >/dev/null || status=$?
[ "$status" -eq 2 ] || { echo "FAIL monitor --once exited $status, not 2"; exit 1; }
ln -s "$work/own/norvik_raid.prom" "$work/collector/norvik_raid.prom"

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$exporter" --collector.disable-defaults --collector.textfile \
    --collector.textfile.directory="$work/collector" \
    --web.listen-address="127.0.0.1:$port" >"$work/exporter.log" 2>&1 &
exporter_pid=$!

python3 - "$port" <<'PY'
import re, sys, time, urllib.request

port = sys.argv[1]
text = None
for _ in range(100):
    try:
        text = urllib.request.urlopen(f"http://127.0.0.1:{port}/metrics", timeout=2).read().decode()
        break
    except OSError:
        time.sleep(0.1)
if text is None:
    sys.exit("FAIL the exporter did not answer")

samples = {}
for line in text.splitlines():
    m = re.match(r'([a-z_]+)(?:\{(.*)\})? (\S+)$', line)
    if m:
        labels = frozenset(re.findall(r'([a-z_]+)="((?:[^"\\]|\\.)*)"', m.group(2) or ""))
        samples[(m.group(1), labels)] = float(m.group(3))

volume = {("controller", "0"), ("volume", "Norvik Duo")}
wanted = [
    ("node_textfile_scrape_error", set(), 0),
    ("norvik_raid_up", set(), 1),
    ("norvik_raid_state", {("state", "degraded")}, 1),
    ("norvik_raid_volume_state", volume | {("state", "degraded")}, 1),
    ("norvik_raid_volume_size_bytes", volume, None),
    ("norvik_raid_volume_info", volume | {("level", "raid1")}, 1),
    ("norvik_raid_volume_disks_required", volume, 2),
    ("norvik_raid_volume_disks_active", volume, 1),
    ("norvik_raid_disks", {("controller", "0"), ("state", "assigned")}, 1),
]
failures = 0
for name, labels, value in wanted:
    seen = samples.get((name, frozenset(labels)))
    if seen is None or (value is not None and seen != value):
        print(f"FAIL {name}{sorted(labels)}: wanted {value}, saw {seen}")
        failures += 1
if failures:
    print(text)
    sys.exit(1)
print(f"ok: {len(wanted)} series read back through the node exporter")
PY
