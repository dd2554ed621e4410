#!/usr/bin/env bash
# Run from the fuzz build folder: each harness for FUZZ_SECONDS (60 by default), one after the
# other. A crash or a broken property is saved under findings/ and the run goes on (fork mode),
# so every harness gets its time; the exit status says whether anything was found.
set -uo pipefail
SECONDS_EACH=${FUZZ_SECONDS:-60}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
HARNESSES="text infotext options favourites filteredlist omdb_answer webversion addresses"
mkdir -p findings logs
found=0
for name in $HARNESSES; do
    mkdir -p "corpus/$name"
    seeds=()
    [ "$name" = omdb_answer ] && seeds=("$ROOT/tests/fixtures/omdb")
    echo "== $name: ${SECONDS_EACH} s"
    ./fuzz_$name -fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1 \
        -max_total_time="$SECONDS_EACH" -max_len=4096 -timeout=10 \
        -artifact_prefix="findings/$name-" "corpus/$name" "${seeds[@]}" \
        >"logs/$name.log" 2>&1
    execs=$(grep -o 'exec/s: [0-9]*' "logs/$name.log" | tail -1)
    total=$(grep -oE '^#[0-9]+' "logs/$name.log" | tail -1)
    crashes=$(ls findings/ 2>/dev/null | grep -c "^$name-" || true)
    echo "   inputs run: ${total#\#}  (${execs:-exec/s: ?}), findings: $crashes"
    if [ "$crashes" != 0 ]; then
        found=1
        grep -m3 -E 'property broken|ERROR: AddressSanitizer|runtime error' "logs/$name.log" | sed 's/^/   /'
    fi
done
[ "$found" = 0 ] && echo "No findings." || echo "Findings are in $PWD/findings (logs in $PWD/logs)."
exit $found
