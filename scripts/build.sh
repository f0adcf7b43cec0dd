#!/usr/bin/env bash
# Configures and builds Quillmark into build/<kind> (kind: release or sanitize).
set -euo pipefail
cd "$(dirname "$0")/.."

kind="${1:-release}"
case "$kind" in
    release)  options=(-DCMAKE_BUILD_TYPE=Release -DQUILLMARK_TESTS=OFF) ;;
    sanitize) options=(-DCMAKE_BUILD_TYPE=Debug -DQUILLMARK_SANITIZE=ON) ;;
    *) echo "usage: scripts/build.sh [release|sanitize]" >&2; exit 2 ;;
esac

# Several checkouts on one machine share compiled objects through ccache.
if command -v ccache >/dev/null 2>&1; then options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

jobs="$(nproc 2>/dev/null || echo 2)"
cmake -S . -B "build/$kind" -G Ninja "${options[@]}"
cmake --build "build/$kind" -j "$jobs"
