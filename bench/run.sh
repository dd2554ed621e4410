#!/usr/bin/env bash
# Run from the benchmark build folder. Generates the collections once (2,000 and 20,000 titles;
# 100,000 titles, about 5 GB, only with QUORVEL_BENCH_LARGE=1), then times. The window
# benchmarks run on the 20,000 titles (or QUORVEL_BENCH_COLLECTION), then, with the large
# collection, once more on it.
set -euo pipefail

SIZES="2000 20000"
if [ "${QUORVEL_BENCH_LARGE:-0}" = 1 ]; then
    SIZES="$SIZES 100000"
fi

LISTING=""
for size in $SIZES; do
    folder=$PWD/collection-$size
    if [ ! -f "$folder/.complete" ]; then
        rm -rf "$folder"
        ./bench/make_collection "$size" "$folder"
        touch "$folder/.complete"
    fi
    LISTING="$LISTING$size=$folder;"
done

export QT_QPA_PLATFORM=offscreen
COLLECTION=${QUORVEL_BENCH_COLLECTION:-$PWD/collection-20000}
QUORVEL_BENCH_COLLECTION="$COLLECTION" QUORVEL_BENCH_LISTING="$LISTING" ./bench/quorvel_benchmarks "$@"

if [ "${QUORVEL_BENCH_LARGE:-0}" = 1 ]; then
    echo "The off-line tab on 100,000 titles:"
    QUORVEL_BENCH_COLLECTION="$PWD/collection-100000" ./bench/quorvel_benchmarks \
        --benchmark_filter='Refresh|Click|WindowLists' "$@"
fi
