# libFuzzer targets, with clang only (-DNORVIK_BUILD_FUZZERS=ON; scripts/fuzz
# builds and runs them). Everything is compiled with coverage for the fuzzer
# and with AddressSanitizer and UndefinedBehaviorSanitizer, so a fault in a
# library the fuzzer reaches is reported as a crash.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "NORVIK_BUILD_FUZZERS needs clang: configure with CC=clang CXX=clang++")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)

# norvik_add_fuzzer(<name> SOURCES <files...> [LIBS <targets...>])
#
# Builds <build>/fuzz/<name>_fuzzer around LLVMFuzzerTestOneInput. scripts/fuzz
# seeds it from fuzz/corpus/<name>/ and gives it fuzz/<name>.dict when they exist.
function(norvik_add_fuzzer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    set(target ${name}_fuzzer)
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS})
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    add_dependencies(norvik_fuzzers ${target})
endfunction()
