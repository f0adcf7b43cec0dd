#!/usr/bin/env bash
# Installs the Debian 12 packages Quillmark needs to build and run; with
# --test also what the test run needs beyond that (clang for the fuzzer,
# clang-format for the formatting check, the sqlite3 shell the store test reads with,
# poppler-utils and qpdf that the PDF tests read and check the files with,
# python3-xlrd, python3-openpyxl and LibreOffice's Writer and Calc that read
# the exported workbooks and rich text back).
# Safe to run again: apt-get installs only what is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libgl1-mesa-dev
    libgtest-dev libsqlite3-dev
    mdbtools mdbtools-dev libgsf-1-dev libxlsxwriter-dev libharfbuzz-dev libfontconfig-dev
    fonts-ipafont-gothic fonts-horai-umefont qt6-translations-l10n
)
if [ "${1:-}" = "--test" ]; then
    packages+=(clang libclang-rt-14-dev clang-format sqlite3 poppler-utils qpdf
               python3-xlrd python3-openpyxl libreoffice-writer-nogui
               libreoffice-calc-nogui)
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${packages[@]}"
