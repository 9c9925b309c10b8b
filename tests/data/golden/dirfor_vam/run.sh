#!/usr/bin/env bash
# Makes the three banks from their CSV files in a temporary folder, runs tabrix on the
# response file there and compares the table with expected.tab (exit status 1 when it
# differs). Usage: run.sh BUILD_DIR [--update]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: run.sh BUILD_DIR [--update]}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$here"/base.csv "$here"/run.csv "$here"/model.csv "$here"/t.stb "$here"/t.in "$work"/
cd "$work"
"$build"/tabrix-bank create base base.csv > /dev/null
"$build"/tabrix-bank create -k d run run.csv > /dev/null
"$build"/tabrix-bank create -k v model model.csv > /dev/null
"$build"/tabrix -s t.in > console.txt
if [[ "${2:-}" == "--update" ]]; then
  cp t.out "$here"/expected.tab
fi
diff -u "$here"/expected.tab t.out
