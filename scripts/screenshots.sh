#!/usr/bin/env bash
# Photographs the main window under Xvfb into docs/screenshots/: collapsed
# and with each panel, the bundled sample selected from a long path (so
# that the path label shows how it shortens one); then the previews of its
# first form's and first report's control listings, a capture of its order
# form taken through the capture command, the about box, and (when the
# corpus is beside the checkout) a corpus form as the form view draws it
# from the design stored in the file (no export folder beside it).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
if ! command -v xvfb-run >/dev/null; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo apt-get install -y -q --no-install-recommends xvfb xauth
fi
scripts/build.sh release

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
folder="$work/home/user/ドキュメント/販売管理システム/データベース/2026年度"
mkdir -p "$folder"
cp build/release/samples/hanbai.mdb "$folder/販売管理.mdb"
cp -r build/release/samples/hanbai.src "$folder/販売管理.src"
corpus=(../shared/corpus/jet4/Northwind.mdb "$work/no-exports" "" "Main Switchboard")
[ -f "${corpus[0]}" ] || corpus=()
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    build/release/quillmark-screenshots docs/screenshots "$folder/販売管理.mdb" "${corpus[@]}"
ls -l docs/screenshots
