# The ThreadSanitizer build (WIRELACE_TSAN=ON, clang only): every target, the JUCE module sources
# inside wirelace_core included, is compiled with -fsanitize=thread, so that the MIDI cells' callbacks
# on their input threads are checked against the message thread. It cannot be combined with the
# ASan build below, and it builds neither the benchmarks nor the fuzz targets.
if(WIRELACE_TSAN)
    if(WIRELACE_SANITIZE)
        message(FATAL_ERROR "WIRELACE_TSAN and WIRELACE_SANITIZE need separate build folders")
    endif()

    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "WIRELACE_TSAN needs clang (configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang)")
    endif()

    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -gline-tables-only -O1)
    add_link_options(-fsanitize=thread)
    return()
endif()

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

# Known, harmless undefined behaviour inside JUCE, one function at a time (see the file).
set(WIRELACE_UBSAN_IGNORELIST "${CMAKE_SOURCE_DIR}/fuzz/ubsan-ignorelist.txt")

add_compile_options(
    ${WIRELACE_SANITIZER_FLAGS}
    -fsanitize-ignorelist=${WIRELACE_UBSAN_IGNORELIST}
    -fsanitize=fuzzer-no-link
    # Enough debug information for symbolised stacks, without the cost of full -g.
    -gline-tables-only
    -O1)

add_link_options(${WIRELACE_SANITIZER_FLAGS})

# JUCE loads Xlib and its extensions with dlopen when the GUI starts and unloads them with
# dlclose when it shuts down. Memory that Xlib keeps for the whole process (its thread locks,
# per-display and locale caches) is referenced only from the libraries' own globals, so once
# they are unmapped LeakSanitizer's check at exit sees it as leaked, with stacks in an
# "<unknown module>" that no suppression can name. Linking the executables against the same
# libraries keeps them loaded until the process ends, so that memory stays reachable and real
# leaks still show.
foreach(library libX11.so.6 libXext.so.6 libXcursor.so.1 libXinerama.so.1 libXrandr.so.2 libXrender.so.1 libXss.so.1)
    find_library(WIRELACE_RESIDENT_${library} NAMES ${library})
    if(WIRELACE_RESIDENT_${library})
        list(APPEND WIRELACE_RESIDENT_LIBRARIES "${WIRELACE_RESIDENT_${library}}")
    endif()
endforeach()

if(WIRELACE_RESIDENT_LIBRARIES)
    add_link_options("LINKER:--push-state,--no-as-needed" ${WIRELACE_RESIDENT_LIBRARIES} "LINKER:--pop-state")
endif()
