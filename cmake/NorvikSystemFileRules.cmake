# Where each kind of system file goes and where the system reads it from;
# used at configure time and again by the installation itself.
include_guard(GLOBAL)
cmake_policy(VERSION 3.25)

# Sets NORVIK_DIR_<KIND> in the caller for each kind of system file.
function(norvik_system_file_dirs mode)
    if(mode STREQUAL "system")
        set(dirs
            dbus-policy /etc/dbus-1/system.d
            dbus-activation /usr/local/share/dbus-1/system-services
            polkit-action /usr/share/polkit-1/actions
            systemd-system /usr/local/lib/systemd/system
            systemd-user /usr/local/lib/systemd/user
            autostart /etc/xdg/autostart
            journal-catalog /usr/lib/systemd/catalog)
    elseif(mode STREQUAL "prefix")
        set(dirs
            dbus-policy ${CMAKE_INSTALL_DATADIR}/dbus-1/system.d
            dbus-activation ${CMAKE_INSTALL_DATADIR}/dbus-1/system-services
            polkit-action ${CMAKE_INSTALL_DATADIR}/polkit-1/actions
            systemd-system lib/systemd/system
            systemd-user lib/systemd/user
            autostart ${CMAKE_INSTALL_SYSCONFDIR}/xdg/autostart
            journal-catalog lib/systemd/catalog)
    else()
        message(FATAL_ERROR "NORVIK_SYSTEM_FILES is 'prefix' or 'system', not '${mode}'")
    endif()
    while(dirs)
        list(POP_FRONT dirs kind dir)
        string(TOUPPER "${kind}" kind)
        string(REPLACE "-" "_" kind "${kind}")
        set(NORVIK_DIR_${kind} "${dir}" PARENT_SCOPE)
    endwhile()
endfunction()

# The directories the system reads each kind from, on Debian 12 (systemd
# built with split /usr, dbus-daemon's standard system directories,
# XDG_CONFIG_DIRS at its default).
function(norvik_dirs_read_by_system kind out)
    if(kind STREQUAL "dbus-policy")
        set(read /usr/share/dbus-1/system.d /etc/dbus-1/system.d)
    elseif(kind STREQUAL "dbus-activation")
        set(read /usr/local/share/dbus-1/system-services /usr/share/dbus-1/system-services
                 /lib/dbus-1/system-services)
    elseif(kind STREQUAL "polkit-action")
        set(read /usr/share/polkit-1/actions)
    elseif(kind STREQUAL "systemd-system")
        set(read /etc/systemd/system /usr/local/lib/systemd/system /lib/systemd/system
                 /usr/lib/systemd/system)
    elseif(kind STREQUAL "systemd-user")
        set(read /etc/xdg/systemd/user /etc/systemd/user /usr/local/lib/systemd/user
                 /usr/local/share/systemd/user
                 /usr/lib/systemd/user /usr/share/systemd/user)
    elseif(kind STREQUAL "autostart")
        set(read /etc/xdg/autostart)
    elseif(kind STREQUAL "journal-catalog")
        # journalctl --update-catalog, run by systemd's package trigger.
        set(read /usr/lib/systemd/catalog)
    else()
        message(FATAL_ERROR "no system file kind '${kind}'")
    endif()
    set(${out} "${read}" PARENT_SCOPE)
endfunction()

# Whether the system reads a file of `kind` installed into `dir` (absolute).
function(norvik_system_reads kind dir out)
    norvik_dirs_read_by_system("${kind}" read)
    cmake_path(NORMAL_PATH dir)
    string(REGEX REPLACE "(.)/+$" "\\1" dir "${dir}")
    list(FIND read "${dir}" at)
    if(at GREATER -1)
        set(${out} TRUE PARENT_SCOPE)
    else()
        set(${out} FALSE PARENT_SCOPE)
    endif()
endfunction()

# The one line an installation prints when some of `entries` (kind|dir|file,
# dir relative to `prefix` unless absolute) land where the system does not
# read them, naming where NORVIK_SYSTEM_FILES=system puts each; empty when
# all are read.
function(norvik_unread_system_files_notice prefix entries out)
    norvik_system_file_dirs(system)
    set(unread)
    foreach(entry IN LISTS entries)
        string(REPLACE "|" ";" fields "${entry}")
        list(GET fields 0 kind)
        list(GET fields 1 dir)
        list(GET fields 2 file)
        if(NOT IS_ABSOLUTE "${dir}")
            set(dir "${prefix}/${dir}")
        endif()
        norvik_system_reads("${kind}" "${dir}" read)
        if(NOT read)
            string(TOUPPER "${kind}" variable)
            string(REPLACE "-" "_" variable "${variable}")
            list(APPEND unread "${dir}/${file} belongs in ${NORVIK_DIR_${variable}}")
        endif()
    endforeach()
    if(unread)
        list(JOIN unread ", " files)
        set(${out}
            "norvik-raid-utility: the system does not read these files where they were installed, so the service, its authorization, the monitor's start or the journal's explanations fail until they are moved: ${files} (or configure with -DNORVIK_SYSTEM_FILES=system)"
            PARENT_SCOPE)
    else()
        set(${out} "" PARENT_SCOPE)
    endif()
endfunction()
