#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (in build-fuzz/) and runs a campaign
# of every target, one after the other, then prints each target's executions (in all,
# per second, and per second of CPU time) and findings.
#   bash fuzz/run.sh SECONDS [TARGET...]     e.g. bash fuzz/run.sh 600, or 60 interpreter
# Each target's working corpus grows in build-fuzz/corpus/<target> (seeded from
# fuzz/corpus/<target> and fuzz/regressions/<target>); what it finds (crash-*, leak-*,
# timeout-*, oom-*) goes to build-fuzz/findings/<target>/ and its log to
# build-fuzz/logs/<target>.log. A target stops at its first finding. Findings count
# what this campaign found; the exit status is 1 when it found anything.
#   TABRIX_FUZZ_BUILD_DIR  the build folder (build-fuzz)
#   CLANGXX                the compiler (clang++-14)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:?usage: bash fuzz/run.sh SECONDS [TARGET...]}
shift
dir=$root/${TABRIX_FUZZ_BUILD_DIR:-build-fuzz}

cmake -S . -B "$dir" -DCMAKE_CXX_COMPILER="${CLANGXX:-clang++-14}" -DTABRIX_FUZZ=ON \
  -DTABRIX_TESTS=OFF >/dev/null
cmake --build "$dir" -j 2 --target fuzz_targets

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cc; do
    name=$(basename "$source" _fuzz.cc)
    targets+=("$name")
  done
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
total=0
summary=()
for target in "${targets[@]}"; do
  corpus=$dir/corpus/$target
  findings=$dir/findings/$target
  scratch=$dir/tmp/$target
  log=$dir/logs/$target.log
  mkdir -p "$corpus" "$findings" "$scratch" "$(dirname "$log")"
  touch "$dir/logs/$target.start"  # what this campaign finds is newer
  echo "== $target: $seconds s"
  # The target writes only in its own folder under TMPDIR and in the two folders
  # libFuzzer writes to (the first corpus folder and the artifact prefix).
  # The CPU time it took tells its speed apart from the load of a shared machine.
  TIMEFORMAT='%U %S'
  { time TMPDIR=$scratch "$dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$findings/" \
    "$corpus" "$root/fuzz/corpus/$target" "$root/fuzz/regressions/$target" >"$log" 2>&1 || true; } \
    2>"$dir/logs/$target.time"
  rm -rf "$scratch"
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  executions=${executions:-0}
  cpu=$(awk '{ printf "%d", $1 + $2 + 0.5 }' "$dir/logs/$target.time")
  [ "$cpu" -gt 0 ] || cpu=1
  found=$(find "$findings" -maxdepth 1 -type f -newer "$dir/logs/$target.start" \
    \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  total=$((total + found))
  summary+=("$(printf '%-16s %12s executions %7s/s %7s per CPU second %3s findings' "$target" \
    "$executions" "$((executions / seconds))" "$((executions / cpu))" "$found")")
  echo "${summary[-1]}"
  [ "$found" -gt 0 ] && tail -40 "$log"
done

echo
echo "== campaign of $seconds s per target"
printf '%s\n' "${summary[@]}"
[ "$total" -eq 0 ]
