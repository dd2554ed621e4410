#!/usr/bin/env bash
# Run from the benchmark build folder: generates the large collection once, then times.
set -euo pipefail
COLLECTION=${QUORVEL_BENCH_COLLECTION:-$PWD/collection-20000}
if [ ! -f "$COLLECTION/.complete" ]; then
    rm -rf "$COLLECTION"
    ./bench/make_collection 20000 "$COLLECTION"
    touch "$COLLECTION/.complete"
fi
QT_QPA_PLATFORM=offscreen QUORVEL_BENCH_COLLECTION="$COLLECTION" ./bench/quorvel_benchmarks
