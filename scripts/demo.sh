#!/usr/bin/env bash
# Sets up, builds Tabrix (the program and its tools, not the tests) and runs the demo
# tables in examples/.
# The three workspace banks and the two VAM files of the input-output example are made
# from examples/data/*.csv with tabrix-bank, in build/demo/ (or $TABRIX_BUILD_DIR/demo/);
# the tables are written there too.
set -euo pipefail
cd "$(dirname "$0")/.."
TABRIX_TESTS=0 bash scripts/build.sh
build=$(pwd)/${TABRIX_BUILD_DIR:-build}
demo=$build/demo

rm -rf "$demo"
mkdir -p "$demo"
for alt in base fiscal rates; do
  "$build/tabrix-bank" create "$demo/$alt" "examples/data/$alt.csv"
done
for alt in iobase iohigh; do
  "$build/tabrix-bank" create -k v "$demo/$alt" "examples/data/$alt.v.csv"
done
# Response files and stubs go beside the banks, so the run reads and writes only there.
cp examples/demo.in examples/demo.stb examples/summary.in examples/summary.stb \
  examples/workbook.in examples/workbook.stb \
  examples/io.in examples/io.stb examples/matlist.cfg examples/sectors.ttl "$demo/"

cd "$demo"
"$build/tabrix" -s demo.in
"$build/tabrix" -s summary.in
"$build/tabrix" -s workbook.in
"$build/tabrix" -s io.in

# A picture of the PDF's first page, when poppler's pdftoppm is there (docs/pdf.md).
if command -v pdftoppm >/dev/null 2>&1; then
  pdftoppm -f 1 -l 1 -r 80 -png -singlefile demo.pdf demo-page1
fi

echo
echo "The demo tables are in $demo:"
echo "  demo.txt       seven tables and a table of contents (plain text, pages end in form feeds)"
echo "  demo.html      the same tables as one web page (open it in a browser; it prints a table a page)"
echo "  demo.md        the same tables as Markdown pipe tables (for a wiki or a README)"
echo "  demo.tex       the same tables as a LaTeX document (pdflatex demo.tex, twice for the contents)"
echo "  demo.pdf       the same tables typeset, with the chart of real GDP (demo-page1.png: its first page)"
echo "  summary.rtf    one summary table in RTF, for a word processor"
echo "  workbook.xlsx  two tables as a workbook, one worksheet per page, and a chart, for a spreadsheet program"
echo "  io.txt         matrix listings of a three-sector input-output model (VAM files)"
echo
echo "The first page of demo.txt:"
echo
# Pages end in a form feed; show the first one without its empty bottom margin.
awk 'BEGIN { RS = "\f" } NR == 1 { n = split($0, line, "\n"); last = n
       while (last > 0 && line[last] ~ /^[ \t]*$/) last--
       for (i = 1; i <= last; i++) print line[i]; exit }' demo.txt
