# The files the system itself reads: the bus policy and activation file, the
# polkit action, the systemd units and the autostart entry. Installed in the
# wrong place they break the service without a word (the bus refuses the
# name, polkitd knows no action), so where they go is chosen here, once:
#
#   prefix  under the installation prefix like every other file: right for a
#           package (prefix /usr) and for a staging tree.
#   system  where the system reads them for a program installed by hand,
#           whatever the prefix: the local administrator's places, and
#           /usr/share/polkit-1/actions, the only place polkitd reads actions.
#
# Whatever the choice, the installation says in one line which files landed
# where the system does not look.
include(${CMAKE_CURRENT_LIST_DIR}/NorvikSystemFileRules.cmake)

set(NORVIK_SYSTEM_FILES prefix CACHE STRING
    "Where the bus, polkit, systemd and autostart files go: prefix or system")
set_property(CACHE NORVIK_SYSTEM_FILES PROPERTY STRINGS prefix system)
set(NORVIK_SYSTEMD_UNIT_DIR "" CACHE STRING
    "Where the systemd system unit goes, under the prefix unless absolute (empty: by NORVIK_SYSTEM_FILES)")

# install(FILES) for system files, remembered for the notice.
function(norvik_install_system_file kind file)
    norvik_system_file_dirs("${NORVIK_SYSTEM_FILES}")
    string(TOUPPER "${kind}" variable)
    string(REPLACE "-" "_" variable "${variable}")
    set(dir "${NORVIK_DIR_${variable}}")
    if(kind STREQUAL "systemd-system" AND NORVIK_SYSTEMD_UNIT_DIR)
        set(dir "${NORVIK_SYSTEMD_UNIT_DIR}")
    endif()
    install(FILES "${file}" DESTINATION "${dir}" ${ARGN})
    get_filename_component(name "${file}" NAME)
    set_property(GLOBAL APPEND PROPERTY NORVIK_SYSTEM_FILE_ENTRIES "${kind}|${dir}|${name}")
endfunction()

# The notice, run last by the installation with the prefix it is made with.
function(norvik_install_system_files_notice)
    get_property(entries GLOBAL PROPERTY NORVIK_SYSTEM_FILE_ENTRIES)
    install(CODE "
        include(\"${CMAKE_CURRENT_FUNCTION_LIST_DIR}/NorvikSystemFileRules.cmake\")
        norvik_unread_system_files_notice(\"\${CMAKE_INSTALL_PREFIX}\" \"${entries}\" notice)
        if(notice)
            message(NOTICE \"\${notice}\")
        endif()
    ")
endfunction()
