#include <benchmark/benchmark.h>

// Each bench_*.cpp registers its own benchmarks; this file only starts them.
BENCHMARK_MAIN();
