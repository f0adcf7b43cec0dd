#!/usr/bin/env bash
# Builds Release, generates the benchmark database (1,000 tables x 20 fields,
# 2,000 queries, 100,000 rows in one table) and runs every benchmark on it,
# and on the largest corpus files when ../shared/corpus is present.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh release
cmake --build build/release --target bench_databases
cd build/release
for bench in rows_bench jet_bench fields_bench modules_bench report_bench designs_bench \
    stored_designs_bench forms_bench; do
    echo "== $bench"
    "./$bench"
done
# The store reports of large.mdb as the main job writes them, then the PDF
# document structure by our writer and by libqpdf (built where libqpdf-dev is).
echo "== report_bench --store"
mkdir -p bench/doc
./quillmark-cli document bench/large.mdb --listing all --format html --out bench/doc \
    --store bench/doc/Analize.mdb --quiet
./report_bench --store bench/doc/Analize.mdb bench/doc
if [ -x ./pdf_structure_bench ]; then
    echo "== pdf_structure_bench"
    ./pdf_structure_bench bench/doc/R_ProcList.pdf
fi
