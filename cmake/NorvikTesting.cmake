# norvik_add_test(<name> LABEL <label> SOURCES <files...> [LIBS <targets...>] [ENV <VAR=value...>])
#
# One executable per unit; every GoogleTest case becomes its own CTest test
# carrying the folder's label.
function(norvik_add_test name)
    cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest GTest::gmock_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set(props LABELS ${ARG_LABEL})
    if(ARG_ENV)
        list(APPEND props ENVIRONMENT "${ARG_ENV}")
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ${props})
endfunction()
