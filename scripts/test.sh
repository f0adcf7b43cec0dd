#!/usr/bin/env bash
# Installs what is needed, checks the formatting, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, checks the Jet reader against an independent
# reader (mdb-reader), fuzzes the readers, the writer and the query engine for
# a minute, then runs every test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --test
scripts/check-format.sh
scripts/build.sh sanitize

# Qt keeps some process-lifetime allocations; leaks are not what this run checks.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
scripts/check-mdb-reader.sh build/sanitize
scripts/fuzz.sh 60
ctest --test-dir build/sanitize --output-on-failure -j 2
