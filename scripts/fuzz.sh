#!/usr/bin/env bash
# Builds the Jet reader's libFuzzer target with clang and runs it for a
# bounded time over seeds copied from the corpus. Skips (exit 0) when clang
# or the corpus is missing.
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
if [ ! -d "$corpus" ]; then
    echo "fuzz: no corpus at $corpus, skipped"
    exit 0
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLMARK_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
cmake --build "$build" --target jet_fuzz -j 2
fuzzer="$(cd "$build" && pwd)/tests/fuzz/jet_fuzz"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/seeds" "$work/found"
# Small databases of every format make good seeds; big ones slow each run.
find "$corpus/jet3" "$corpus/jet4" "$corpus/ace" "$corpus/invalid" -type f -size -360k \
    -exec cp {} "$work/seeds/" \;

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
(cd "$work" && "$fuzzer" found seeds -max_total_time="$seconds" \
    -rss_limit_mb=4096 -timeout=60 -max_len=400000 2>&1 | tail -n 60) || status=$?
if ls "$work"/crash-* "$work"/timeout-* "$work"/oom-* >/dev/null 2>&1; then
    mkdir -p "$build/findings"
    cp "$work"/crash-* "$work"/timeout-* "$work"/oom-* "$build/findings/" 2>/dev/null || true
    echo "fuzz: findings copied to $build/findings"
    exit 1
fi
exit "$status"
