find_package(benchmark QUIET)

if(benchmark_FOUND)
    file(GLOB WIRELACE_BENCH_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/bench/*.cpp")

    if(WIRELACE_BENCH_SOURCES)
        add_executable(wirelace_bench ${WIRELACE_BENCH_SOURCES})
        target_compile_options(wirelace_bench PRIVATE ${WIRELACE_WARNING_FLAGS})
        target_link_libraries(wirelace_bench PRIVATE wirelace_core benchmark::benchmark)
    endif()
endif()
