#!/usr/bin/env bash
# Run from the fuzz build folder: each harness for FUZZ_SECONDS (60 by default), one after the
# other. A broken property keeps its first input under findings/ and the harness goes on; a
# sanitizer report or crash is saved there too and fork mode goes on, so every harness gets its
# time. The exit status says whether anything was found.
set -uo pipefail
SECONDS_EACH=${FUZZ_SECONDS:-60}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
HARNESSES="text infotext options favourites filteredlist omdb_answer omdb_search webversion
addresses"
# Each run tells its own findings; the corpus grows from run to run.
rm -rf findings logs
mkdir -p findings logs
export FUZZ_FINDINGS=$PWD/findings
# The harnesses save through QSaveFile, which syncs every file: on tmpfs that costs nothing.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
found=0
for name in $HARNESSES; do
    mkdir -p "corpus/$name"
    # Inputs that once broke a property stay as seeds, with the service's recorded answers.
    seeds=()
    [ -d "$ROOT/fuzz/seeds/$name" ] && seeds+=("$ROOT/fuzz/seeds/$name")
    case $name in omdb_answer | omdb_search) seeds+=("$ROOT/tests/fixtures/omdb") ;; esac
    echo "== $name: ${SECONDS_EACH} s"
    ./fuzz_$name -fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1 \
        -max_total_time="$SECONDS_EACH" -max_len=4096 -timeout=10 \
        -artifact_prefix="findings/$name-" "corpus/$name" "${seeds[@]}" \
        >"logs/$name.log" 2>&1
    # Fork mode's status lines read "#<inputs>: cov: ... exec/s <rate> ...".
    last=$(grep -E '^#[0-9]+' "logs/$name.log" | tail -1)
    inputs=$(echo "$last" | grep -oE '^#[0-9]+' | tr -d '#')
    rate=$(echo "$last" | grep -oE 'exec/s:? [0-9]+' | grep -oE '[0-9]+$')
    crashes=$(ls findings/ 2>/dev/null | grep -c "^$name-" || true)
    echo "   inputs run: ${inputs:-?} (${rate:-?} a second), findings: $crashes"
    if [ "$crashes" != 0 ]; then
        found=1
        # Each finding again, in the open: what broke, with the values.
        for finding in findings/$name-*; do
            echo "   $finding:"
            ./fuzz_$name "$finding" 2>&1 |
                grep -m1 -A2 -E 'property broken|ERROR: AddressSanitizer|runtime error' |
                sed 's/^/     /'
        done | head -40
    fi
done
[ "$found" = 0 ] && echo "No findings." || echo "Findings are in $PWD/findings (logs in $PWD/logs)."
exit $found
