#!/usr/bin/env bash
# Runs one golden case with a build's programs and copies what the runs wrote into a
# folder: the case's expected/ folder by default, so that a new case gets its expected
# files. Check them by eye and with tests/golden_numbers.py before committing them.
#
#   bash tests/data/golden/run_case.sh BUILD_DIR CASE [OUT_DIR]
#
# BUILD_DIR holds tabrix and tabrix-bank; CASE is a folder name under tests/data/golden.
set -euo pipefail
build=$(cd "$1" && pwd); case_name=$2
here=$(cd "$(dirname "$0")" && pwd); src=$(cd "$here/../../.." && pwd)
case_dir=$here/$case_name
out=${3:-$case_dir/expected}
run=$(mktemp -d); trap 'rm -rf "$run"' EXIT

# The case's own files, and those inputs.txt names (paths from the source tree's root).
find "$case_dir" -maxdepth 1 -type f ! -name README.md -exec cp {} "$run/" \;
if [[ -f $case_dir/inputs.txt ]]; then
  sed -e 's/#.*//' -e 's/[[:space:]]*$//' "$case_dir/inputs.txt" | while read -r f; do
    [[ -n $f ]] && cp "$src/$f" "$run/"
  done
fi
rm -f "$run/inputs.txt"

# One bank per CSV file: NAME.K.csv is a bank NAME of kind K (w, c, h, d, v; a dirfor
# bank NAME is described by NAME.dat); NAME.csv a workspace bank.
for csv in "$run"/*.csv; do
  name=$(basename "$csv" .csv); kind=w
  if [[ $name =~ ^(.+)\.([wchdv])$ ]]; then name=${BASH_REMATCH[1]}; kind=${BASH_REMATCH[2]}; fi
  "$build/tabrix-bank" create -k "$kind" -d "$run/$name.dat" "$run/$name" "$csv" >/dev/null
done
# The banks' files count as inputs: they are not copied out.
inputs=$(cd "$run" && ls)

# Every response file, in name order, each with its console output.
cd "$run"
for response in $(ls *.in); do
  "$build/tabrix" -s "$response" > "${response%.in}.console"
done

mkdir -p "$out"
for f in $(ls); do
  case " $(echo $inputs) " in *" $f "*) continue ;; esac
  case $f in *.bnk|*.ind|*.cbk|*.cin|*.hbk|*.hin) continue ;; esac
  cp "$f" "$out/"
  echo "wrote $out/$f"
done
