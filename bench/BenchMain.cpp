// The one entry point of wirelace_bench; every other bench file only registers its cases.

#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
