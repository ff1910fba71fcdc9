# libFuzzer targets (sanitized build only): one executable per fuzz/*.cpp, linked
# with libFuzzer's main against the same instrumented wirelace_core as the tests.
if(NOT WIRELACE_SANITIZE)
    return()
endif()

file(GLOB WIRELACE_FUZZ_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/fuzz/*.cpp")
list(SORT WIRELACE_FUZZ_SOURCES)

foreach(source IN LISTS WIRELACE_FUZZ_SOURCES)
    get_filename_component(name "${source}" NAME_WE)
    add_executable(${name} "${source}")
    target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/fuzz")
    target_compile_options(${name} PRIVATE ${WIRELACE_WARNING_FLAGS})
    target_link_libraries(${name} PRIVATE wirelace_core)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz")
endforeach()
