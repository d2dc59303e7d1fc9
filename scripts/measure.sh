#!/usr/bin/env bash
# Reports the figures the budgets speak of: the release program's size, the
# instructions of one paint plan and of one whole tick at 96 points
# (callgrind counts instructions, so the figures do not depend on how busy
# the machine is), and their times under Google Benchmark. Then the CPU time
# of the real program under each Wine the machine runs, at 80 and 1000 ms,
# against the reference program that makes only the same calls per tick, in
# one Wine session per Wine (needs root for the network namespaces;
# VELNORID_ROUNDS and VELNORID_SPAN set the rounds and the shortest span in
# seconds, VELNORID_WATCH the program's modes: picked, internet or both).
# Run after scripts/test.sh has built the trees.
source "$(dirname "$0")/preamble.sh"
command -v valgrind >/dev/null || { echo "valgrind is needed"; exit 1; }

echo "Velnorid.exe: $(stat -c %s build/win32/Velnorid.exe) bytes"

bench=build/host/tests/paint_bench
# Instructions under the named function, counting only the program's own
# code (app/, measure/, display/, ui/), not the fake Win32 it calls.
own_instructions() {
  local out
  out=$(mktemp)
  valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect="$1*" "$bench" "$2" "$3" >/dev/null 2>&1
  callgrind_annotate --inclusive=no --threshold=100 --auto=no "$out" 2>/dev/null |
    awk '/ (\/[^ ]*\/)?(app|measure|display|ui)\/[a-z_]+\.(cpp|h):/ {gsub(",", "", $1); sum += $1} END {print sum + 0}'
  rm -f "$out"
}
per_call() {
  # The difference of two runs removes what is counted once per run.
  local few many
  few=$(own_instructions "$1" "$2" 100)
  many=$(own_instructions "$1" "$2" 1100)
  echo $(((many - few) / 1000))
}
echo "PlanPaint at 96 points: $(per_call PlanPaint --plans) instructions (callgrind, program code)"
echo "SampleTick with its paint at 96 points: $(per_call SampleTick --ticks) instructions (callgrind, program code)"
"$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null | grep -E 'median'

for arch in $(wine_arches); do
  build=$(wine_build_dir "$arch")
  VELNORID_WINE_ARCH=$arch VELNORID_WINEPREFIX=$PWD/$build/wine-prefix \
    python3 tests/e2e/tick_cost.py "$build/Velnorid.exe" "$build/tests/e2e/TickReference.exe" \
    --rounds "${VELNORID_ROUNDS:-8}" --span "${VELNORID_SPAN:-8}" --watch "${VELNORID_WATCH:-picked,internet}"
done
