# norvik_add_test(<name> LABEL <label> SOURCES <files...> [LIBS <targets...>] [ENV <VAR=value...>]
#                 [ENV_MODIFICATION <VAR=op:value...>])
#
# One executable per unit; every GoogleTest case becomes its own CTest test
# carrying the folder's label.
function(norvik_add_test name)
    cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS;ENV;ENV_MODIFICATION" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest GTest::gmock_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set(props LABELS ${ARG_LABEL})
    if(ARG_ENV)
        list(APPEND props ENVIRONMENT "${ARG_ENV}")
    endif()
    if(ARG_ENV_MODIFICATION)
        list(APPEND props ENVIRONMENT_MODIFICATION "${ARG_ENV_MODIFICATION}")
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ${props})
endfunction()

# norvik_add_testbed_test(<name> LABEL <label> SOURCES <files...> [LIBS <targets...>])
#
# A test on umockdev testbeds (tests/support/umockdev_testbed.h): linked with
# umockdev and run with its preload library, which shows libudev the testbed
# instead of the machine. The preload library then comes before
# AddressSanitizer's runtime, so the sanitizer build turns off its link-order
# check, keeping whatever ASAN_OPTIONS the caller set.
find_package(PkgConfig REQUIRED)
pkg_check_modules(UMOCKDEV REQUIRED IMPORTED_TARGET umockdev-1.0)
function(norvik_add_testbed_test name)
    cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS" ${ARGN})
    norvik_add_test(${name} LABEL ${ARG_LABEL}
        SOURCES ${ARG_SOURCES}
        LIBS ${ARG_LIBS} PkgConfig::UMOCKDEV
        ENV LD_PRELOAD=libumockdev-preload.so.0
        ENV_MODIFICATION ASAN_OPTIONS=string_append::verify_asan_link_order=0)
endfunction()
