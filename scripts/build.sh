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

jobs="$(nproc 2>/dev/null || echo 2)"
cmake -S . -B "build/$kind" -G Ninja "${options[@]}"
cmake --build "build/$kind" -j "$jobs"
