# The sanitized build (WIRELACE_SANITIZE=ON, clang only): every target, the JUCE
# module sources inside wirelace_core included, is compiled with AddressSanitizer,
# UndefinedBehaviorSanitizer and libFuzzer's coverage instrumentation
# (-fsanitize=fuzzer-no-link). So one build of the core library serves both the
# sanitized test run and the fuzz targets of cmake/Fuzz.cmake.
if(NOT WIRELACE_SANITIZE)
    return()
endif()

if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "WIRELACE_SANITIZE needs clang (configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang)")
endif()

set(WIRELACE_SANITIZER_FLAGS
    -fsanitize=address,undefined
    -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)

add_compile_options(
    ${WIRELACE_SANITIZER_FLAGS}
    -fsanitize=fuzzer-no-link
    # Enough debug information for symbolised stacks, without the cost of full -g.
    -gline-tables-only
    -O1)

add_link_options(${WIRELACE_SANITIZER_FLAGS})
