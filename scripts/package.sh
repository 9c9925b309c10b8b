#!/usr/bin/env bash
# Builds the Debian package (CPack) in the build folder (default: build), lists its
# contents, unpacks it into a temporary root with dpkg -x and runs the demo there with
# the unpacked programs, from the unpacked examples.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${TABRIX_BUILD_DIR:-build}
TABRIX_BUILD_DIR=$dir TABRIX_TESTS=0 bash scripts/build.sh
rm -f "$dir"/tabrix_*.deb
cmake --build "$dir" --target package
deb=$(ls "$dir"/tabrix_*_amd64.deb)
echo "The package $deb:"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
bin=$root/usr/bin
doc=$root/usr/share/doc/tabrix
for file in "$bin/tabrix" "$bin/tabrix-bank" "$root/usr/share/man/man1/tabrix.1" \
            "$root/usr/share/man/man1/tabrix-bank.1" "$doc/docs/response-file.md" "$doc/examples/demo.stb"; do
  [ -e "$file" ] || { echo "The package lacks $file"; exit 1; }
done
"$bin/tabrix" --version
# The demo, with the unpacked programs and examples only.
run=$root/demo
mkdir "$run"
for alt in base fiscal rates; do
  "$bin/tabrix-bank" create "$run/$alt" "$doc/examples/data/$alt.csv"
done
cp "$doc/examples/demo.in" "$doc/examples/demo.stb" "$run/"
(cd "$run" && "$bin/tabrix" -s demo.in)
grep -q 'TABLE  6.' "$run/demo.txt"
echo "The unpacked package ran the demo: $(wc -l < "$run/demo.txt") lines in demo.txt."
