# cmake -P: where each kind of system file goes, whether the system reads it
# there, and the one line an installation says when it does not.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/NorvikSystemFileRules.cmake)

function(expect what wanted seen)
    if(NOT "${wanted}" STREQUAL "${seen}")
        message(SEND_ERROR "${what}:\n  wanted '${wanted}'\n  saw    '${seen}'")
    endif()
endfunction()

# kind             installed into                                read
set(reads
    dbus-policy      /usr/share/dbus-1/system.d                    TRUE
    dbus-policy      /etc/dbus-1/system.d/                         TRUE
    dbus-policy      /usr/local/share/dbus-1/system.d              FALSE
    dbus-activation  /usr/local/share/dbus-1/system-services       TRUE
    dbus-activation  /opt/norvik/share/dbus-1/system-services      FALSE
    polkit-action    /usr/share/polkit-1/actions                   TRUE
    polkit-action    /usr/local/share/polkit-1/actions             FALSE
    polkit-action    /etc/polkit-1/actions                         FALSE
    systemd-system   /lib/systemd/system                           TRUE
    systemd-system   /usr/local/lib/systemd/system                 TRUE
    systemd-system   /usr/lib/../lib/systemd/system                TRUE
    systemd-system   /opt/norvik/lib/systemd/system                FALSE
    systemd-user     /usr/lib/systemd/user                         TRUE
    systemd-user     /lib/systemd/user                             FALSE
    autostart        /etc/xdg/autostart                            TRUE
    autostart        /usr/etc/xdg/autostart                        FALSE
    autostart        /usr/local/etc/xdg/autostart                  FALSE
    journal-catalog  /usr/lib/systemd/catalog                      TRUE
    journal-catalog  /usr/local/lib/systemd/catalog                FALSE)
while(reads)
    list(POP_FRONT reads kind dir wanted)
    norvik_system_reads(${kind} ${dir} seen)
    expect("${kind} in ${dir} is read" ${wanted} ${seen})
endwhile()

# Every place the system mode chooses is read, whatever the prefix.
norvik_system_file_dirs(system)
foreach(kind dbus-policy dbus-activation polkit-action systemd-system systemd-user autostart
        journal-catalog)
    string(TOUPPER "${kind}" variable)
    string(REPLACE "-" "_" variable "${variable}")
    norvik_system_reads(${kind} "${NORVIK_DIR_${variable}}" seen)
    expect("system mode puts ${kind} where it is read (${NORVIK_DIR_${variable}})" TRUE ${seen})
endforeach()

# prefix      files (kind|dir|name), dir relative to the prefix unless absolute   line names
set(debian_layout
    "dbus-policy|share/dbus-1/system.d|a.conf;polkit-action|share/polkit-1/actions|a.policy;systemd-system|/lib/systemd/system|a.service;autostart|/etc/xdg/autostart|a.desktop")
set(local_layout
    "dbus-policy|share/dbus-1/system.d|a.conf;dbus-activation|share/dbus-1/system-services|a.service;autostart|etc/xdg/autostart|a.desktop")
set(notices
    /usr        debian_layout ""
    /usr/local  local_layout  "/usr/local/share/dbus-1/system.d/a.conf belongs in /etc/dbus-1/system.d, /usr/local/etc/xdg/autostart/a.desktop belongs in /etc/xdg/autostart"
    /opt/n      debian_layout "/opt/n/share/dbus-1/system.d/a.conf belongs in /etc/dbus-1/system.d, /opt/n/share/polkit-1/actions/a.policy belongs in /usr/share/polkit-1/actions")
while(notices)
    list(POP_FRONT notices prefix layout named)
    norvik_unread_system_files_notice(${prefix} "${${layout}}" notice)
    if(named STREQUAL "")
        expect("nothing to say for ${layout} under ${prefix}" "" "${notice}")
    else()
        string(FIND "${notice}" "${named}" at)
        set(found FALSE)
        if(at GREATER -1)
            set(found TRUE)
        endif()
        expect("${layout} under ${prefix} names the unread files: ${notice}" TRUE ${found})
        string(FIND "${notice}" "\n" newline)
        expect("the notice is one line" -1 ${newline})
    endif()
endwhile()
