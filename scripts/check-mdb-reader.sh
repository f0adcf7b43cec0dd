#!/usr/bin/env bash
# Checks the Jet reader against the npm package mdb-reader, an independent
# reader: installs mdb-reader@3 into a temporary folder, builds jet_tests and
# runs its mdb-reader comparisons over the corpus and over written files, and
# maintenance_tests' compaction of the corpus, whose copies mdb-reader must
# read as their sources.
# Usage: scripts/check-mdb-reader.sh [build folder=build/release]
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/release}"
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    echo "check-mdb-reader: node or npm not found" >&2
    exit 1
fi

prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
npm install --prefix "$prefix" --no-audit --no-fund --loglevel=error mdb-reader@3

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target jet_tests maintenance_tests -j 2

export QUILLMARK_MDB_READER="$prefix"
export QT_QPA_PLATFORM=offscreen
# Also run from a sanitizer build (build/sanitize), whose leak report is not
# what this check is about.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}"
"$build/tests/jet_tests" --gtest_filter='JetMdbReader.*:JetWriterJet3.EveryRowReadsBackThroughMdbReader'
"$build/tests/maintenance_tests" --gtest_filter='CompactionCorpus.*'
