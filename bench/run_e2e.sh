#!/usr/bin/env bash
# The end-to-end benchmark: builds Release (with the benchmarks, in build-release/),
# makes the two fixtures in a temporary folder (bench/e2e_fixture), runs the job of
# each several times and prints the median wall time, the median CPU time (user +
# system) and the peak memory, the same with the HTML, Markdown and LaTeX renderers
# attached (at most 1.5 times the CPU time of the plain job), and checks
# that each table is complete and the same, byte for byte, as the recorded one
# (bench/e2e_tables.sha256).
#   RUNS=n   runs per job (default 7)
#   RECORD=1 records the checksums of the tables instead of comparing with them
#   PDF=1    the job also writes its tables as a PDF file (\pdf), whose size and page
#            count are printed; the table file stays the same
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
runs=${RUNS:-7}
build=build-release
bash scripts/setup.sh
[ -f /usr/include/benchmark/benchmark.h ] || {
  echo "The benchmarks need libbenchmark-dev (apt-get install libbenchmark-dev)."; exit 1; }
[ -x /usr/bin/time ] || { echo "The benchmark needs /usr/bin/time (apt-get install time)."; exit 1; }
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTABRIX_BENCH=ON -DTABRIX_TESTS=OFF \
  -DTABRIX_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target tabrix e2e_fixture >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sums=bench/e2e_tables.sha256
[ "${RECORD:-0}" = 1 ] && : > "$sums"
status=0

for kind in h w; do
  dir="$work/$kind"
  mkdir -p "$dir"
  "$build/bench/e2e_fixture" "$kind" "$dir"
  # PDF=1: the job also writes a PDF of its tables.
  if [ "${PDF:-0}" = 1 ]; then
    sed -i '1s/$/\n\\pdf/' "$dir/e2e.stb"
  fi
  # The runs of one response file: median wall and CPU time, peak memory.
  measure() {
    times=()
    cpus=()
    peak=0
    for ((i = 0; i < runs; i++)); do
      rm -f "$dir/e2e.txt" "$dir"/e2e.html "$dir"/e2e.md "$dir"/e2e.tex "$dir"/e2e.pdf
      # One core, as measured: the program is single-threaded anyway.
      (cd "$dir" && taskset -c 0 /usr/bin/time -v -o time.txt "$root/$build/tabrix" -s "$1" >/dev/null)
      wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0;
               for (k = 1; k <= n; k++) s = s * 60 + p[k]; printf "%.3f", s }' "$dir/time.txt")
      cpu=$(awk -F': ' '/User time|System time/ { s += $2 } END { printf "%.3f", s }' "$dir/time.txt")
      rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$dir/time.txt")
      times+=("$wall")
      cpus+=("$cpu")
      if [ "$rss" -gt "$peak" ]; then peak=$rss; fi
    done
  }
  median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
  name=$([ "$kind" = h ] && echo "hashed banks   " || echo "workspace banks")

  # The same job with the HTML, Markdown and LaTeX renderers attached from the first line
  # (run first, so that the table checked below is the plain job's).
  { printf '\\html\n\\markdown\n\\latex\n'; cat "$dir/e2e.stb"; } > "$dir/e2e_render.stb"
  sed 's/e2e\.stb/e2e_render.stb/' "$dir/e2e.in" > "$dir/e2e_render.in"
  measure e2e_render.in
  render_wall=$(median "${times[@]}")
  render_cpu=$(median "${cpus[@]}")
  render_peak=$peak
  render_sum=$(sha256sum "$dir/e2e.txt" | cut -d' ' -f1)
  for f in e2e.html e2e.md e2e.tex; do
    [ -s "$dir/$f" ] || { echo "  the renderers wrote no $f"; status=1; }
  done

  measure e2e.in
  wall=$(median "${times[@]}")
  cpu=$(median "${cpus[@]}")
  printf '%s  median %s s over %d runs (CPU user+sys %s s), peak memory %.1f MB\n' "$name" \
    "$wall" "$runs" "$cpu" "$(echo "$peak / 1024" | bc -l)"
  printf '  with \\html, \\markdown, \\latex  median %s s (CPU %s s), peak memory %.1f MB: %.2f times the plain job\n' \
    "$render_wall" "$render_cpu" "$(echo "$render_peak / 1024" | bc -l)" "$(echo "$render_cpu / $cpu" | bc -l)"
  if [ "$(echo "$render_cpu > 1.5 * $cpu" | bc -l)" = 1 ]; then
    echo "  the renderers take more than 1.5 times the plain job"
    status=1
  fi

  if [ "${PDF:-0}" = 1 ]; then
    pages=$(pdfinfo "$dir/e2e.pdf" 2>/dev/null | awk '/^Pages:/ { print $2 }')
    printf '  e2e.pdf: %.1f MB, %s pages\n' "$(echo "$(stat -c %s "$dir/e2e.pdf") / 1048576" | bc -l)" "${pages:-?}"
  fi

  # Complete: 5,000 titled lines, each with ten rows (the base and nine alternatives).
  titled=$(grep -c '^L[0-9]\{5\}' "$dir/e2e.txt" || true)
  rows=$(grep -Ec '^(L[0-9]{5})? *(-?[0-9]+\.[0-9]|\*)' "$dir/e2e.txt" || true)
  if [ "$titled" != 5000 ] || [ "$rows" != 50000 ]; then
    echo "  the table is not complete: $titled titled lines, $rows value rows (want 5000, 50000)"
    status=1
  fi
  sum=$(sha256sum "$dir/e2e.txt" | cut -d' ' -f1)
  if [ "$sum" != "$render_sum" ]; then
    echo "  the table differs when the renderers are attached"
    status=1
  fi
  if [ "${RECORD:-0}" = 1 ]; then
    echo "$kind $sum" >> "$sums"
  elif ! grep -qx "$kind $sum" "$sums"; then
    echo "  the table differs from the recorded one ($sums)"
    status=1
  fi
done
exit $status
