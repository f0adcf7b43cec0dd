#!/usr/bin/env bash
# The main job: installs what is needed, builds, and documents an Access
# database with the command line program. The listing goes into the
# documentation store out/Analize.mdb and its report into out/.
#   scripts/document.sh DATABASE.mdb [more quillmark-cli document options]
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ]; then
    echo "usage: scripts/document.sh DATABASE.mdb [--format pdf|html] [--listing objects]" >&2
    exit 2
fi
database="$(realpath "$1")"
shift

scripts/install-deps.sh
scripts/build.sh release
mkdir -p out
build/release/quillmark-cli document "$database" --store out/Analize.mdb --out out "$@"
