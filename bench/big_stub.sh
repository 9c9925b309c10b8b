#!/usr/bin/env bash
# The big-input benchmark: a stub of 20,000 table lines and one of 200,000, each over 10
# alternatives (workspace banks made from the golden case's base bank), run once each
# with /usr/bin/time. Prints the wall time, CPU time and peak memory of both and checks
# that the peak memory of the long stub is at most 1.2 times the short one's (memory
# does not grow with the stub's length) and its time at most 11 times.
#   BUILD=folder  the build whose tabrix and tabrix-bank are run (default build-release,
#                 configured and built Release here when it is that)
#   LINES="a b"   the two stub lengths (default "20000 200000")
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD:-build-release}
read -r short long <<<"${LINES:-20000 200000}"
[ -x /usr/bin/time ] || { echo "The benchmark needs /usr/bin/time (apt-get install time)."; exit 1; }
if [ "$build" = build-release ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTABRIX_TESTS=OFF -DTABRIX_WERROR=ON >/dev/null
  cmake --build "$build" -j "$(nproc)" --target tabrix tabrix-bank >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

csv=tests/data/golden/workspace/base.w.csv
answers="10"
for i in 0 1 2 3 4 5 6 7 8 9; do
  sed "s/^title,.*/title,Alternative $i/" "$csv" >"$work/alt$i.csv"
  "$build/tabrix-bank" create -k w "$work/alt$i" "$work/alt$i.csv" >/dev/null
  answers+=$'\n'"w"$'\n'"alt$i"
done

declare -A wall cpu peak
for lines in "$short" "$long"; do
  {
    echo '\dates 2018 2019 2020 2021 2022'
    awk -v n="$lines" 'BEGIN { for (i = 1; i <= n; i++) printf "y;Line %d\n", i }'
  } >"$work/s$lines.stb"
  printf '%s\na\ns%s.stb\nt%s.txt\n' "$answers" "$lines" "$lines" >"$work/s$lines.in"
  (cd "$work" && taskset -c 0 /usr/bin/time -v -o "time$lines.txt" "$root/$build/tabrix" -s "s$lines.in" >/dev/null)
  [ -s "$work/t$lines.txt" ] || { echo "no table was written for $lines lines"; exit 1; }
  wall[$lines]=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0;
    for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$work/time$lines.txt")
  cpu[$lines]=$(awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { print u + s }' "$work/time$lines.txt")
  peak[$lines]=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time$lines.txt")
  printf '%7d lines: %8.2f s wall %8.2f s CPU %8d KB peak, table %d bytes\n' "$lines" "${wall[$lines]}" \
    "${cpu[$lines]}" "${peak[$lines]}" "$(stat -c %s "$work/t$lines.txt")"
done

status=0
memory=$(awk -v a="${peak[$short]}" -v b="${peak[$long]}" 'BEGIN { printf "%.2f", b / a }')
time=$(awk -v a="${cpu[$short]}" -v b="${cpu[$long]}" 'BEGIN { printf "%.2f", b / (a > 0.01 ? a : 0.01) }')
echo "peak memory $long / $short lines: $memory (at most 1.2); CPU time: $time (at most 11)"
awk -v r="$memory" 'BEGIN { exit !(r <= 1.2) }' || { echo "memory grows with the stub"; status=1; }
awk -v r="$time" 'BEGIN { exit !(r <= 11) }' || { echo "time grows faster than the stub"; status=1; }
exit $status
