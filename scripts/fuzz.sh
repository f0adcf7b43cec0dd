#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a share of the
# given seconds (together no more than that): jet_fuzz (the Jet reader and
# the integrity check) over seeds copied from the corpus, each also with a
# page zeroed; mkdb_fuzz (the writer's description path) over the sample
# descriptions; export_fuzz (the text-export parser) over the sample's design
# exports; query_fuzz (the query engine) over the sample's queries as SQL
# (tests/fuzz/query_seeds.sql, one a line) and the SQL the query tests run;
# design_fuzz (the stored design stream) over every design stream of the
# corpus and crafted ones, which stored_designs_bench --write-streams
# extracts. Skips (exit 0) when clang is missing; jet_fuzz is skipped
# without the corpus, design_fuzz then has the crafted streams only.
# Usage: scripts/fuzz.sh [seconds=120] [build folder=build/fuzz]
# A crash leaves its input in the working folder as crash-*; the script
# then exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-120}"
build="${2:-build/fuzz}"
corpus="${QUILLMARK_CORPUS:-../shared/corpus}"

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz: clang++ not found, skipped"
    exit 0
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLMARK_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
cmake --build "$build" --target jet_fuzz mkdb_fuzz export_fuzz query_fuzz design_fuzz \
    stored_designs_bench -j 2
targets="$(cd "$build" && pwd)/tests/fuzz"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0

# run TARGET PERCENT MAX_LEN: fuzzes from $work/TARGET/seeds for PERCENT of
# the seconds (at least one); the shares add up to 100.
run() {
    local time=$(( seconds * $2 / 100 ))
    [ "$time" -ge 1 ] || time=1
    (cd "$work/$1" && "$targets/$1" found seeds -max_total_time="$time" \
        -rss_limit_mb=4096 -timeout=60 -max_len="$3" 2>&1 | tail -n 30) || status=$?
}

mkdir -p "$work/mkdb_fuzz/seeds" "$work/mkdb_fuzz/found"
cp samples/*.json "$work/mkdb_fuzz/seeds/"
run mkdb_fuzz 20 20000

mkdir -p "$work/export_fuzz/seeds" "$work/export_fuzz/found"
find samples/hanbai/designs -name '*.txt' -exec cp {} "$work/export_fuzz/seeds/" \;
if [ -d "$corpus/exports" ]; then
    find "$corpus/exports" -name '*.acc*' -size -40k -exec cp {} "$work/export_fuzz/seeds/" \;
fi
run export_fuzz 15 100000

mkdir -p "$work/query_fuzz/seeds" "$work/query_fuzz/found"
n=0
while IFS= read -r sql; do
    printf '%s' "$sql" > "$work/query_fuzz/seeds/sample-$n.sql"
    n=$(( n + 1 ))
done < tests/fuzz/query_seeds.sql
# The query tests' SQL literals (a literal split over lines gives its first part).
grep -hoE '"(SELECT|TRANSFORM|PARAMETERS|UPDATE|DELETE|INSERT)[^"]*"' tests/query/*.cpp |
    sed -e 's/^"//' -e 's/"$//' | while IFS= read -r sql; do
    printf '%s' "$sql" > "$work/query_fuzz/seeds/test-$n.sql"
    n=$(( n + 1 ))
done
run query_fuzz 15 4000

mkdir -p "$work/design_fuzz/seeds" "$work/design_fuzz/found"
QUILLMARK_CORPUS="$corpus" "$build/stored_designs_bench" --write-streams "$work/design_fuzz/seeds"
run design_fuzz 20 150000

if [ -d "$corpus" ]; then
    mkdir -p "$work/jet_fuzz/seeds" "$work/jet_fuzz/found"
    # Small databases of every format make good seeds; big ones slow each run.
    find "$corpus/jet3" "$corpus/jet4" "$corpus/ace" "$corpus/invalid" -type f -size -360k \
        -exec cp {} "$work/jet_fuzz/seeds/" \;
    # Copies with one page zeroed lead the fuzzer into the paths that skip
    # damage (page size: header byte 0x14 is 0 for Jet 3's 2,048 bytes).
    n=0
    for seed in "$work"/jet_fuzz/seeds/*; do
        size=4096
        [ "$(od -An -tu1 -j20 -N1 "$seed" | tr -d ' ')" = 0 ] && size=2048
        cp "$seed" "$seed.zeroed"
        dd if=/dev/zero of="$seed.zeroed" bs="$size" seek=$(( 3 + n % 16 )) count=1 \
            conv=notrunc status=none
        n=$(( n + 1 ))
    done
    run jet_fuzz 30 400000
else
    echo "fuzz: no corpus at $corpus, jet_fuzz skipped"
fi

if ls "$work"/*/crash-* "$work"/*/timeout-* "$work"/*/oom-* >/dev/null 2>&1; then
    mkdir -p "$build/findings"
    cp "$work"/*/crash-* "$work"/*/timeout-* "$work"/*/oom-* "$build/findings/" 2>/dev/null || true
    echo "fuzz: findings copied to $build/findings"
    exit 1
fi
exit "$status"
