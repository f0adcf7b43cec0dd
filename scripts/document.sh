#!/usr/bin/env bash
# The main job: installs what is needed, builds, and documents an Access
# database with the command line program: every listing goes into the
# documentation store out/Analize.mdb and its report into out/.
#   scripts/document.sh                  the bundled sample database
#   scripts/document.sh DATABASE.mdb     a database of yours
# Further arguments go to quillmark-cli document (e.g. --format html).
set -euo pipefail
cd "$(dirname "$0")/.."

database="build/release/samples/hanbai.mdb"
if [ $# -ge 1 ] && [[ "$1" != --* ]]; then
    database="$(realpath "$1")"
    shift
fi

scripts/install-deps.sh
scripts/build.sh release
mkdir -p out
build/release/quillmark-cli document "$database" --listing all --store out/Analize.mdb --out out "$@"
