#!/usr/bin/env bash
# Reports the figures the budgets speak of: the release program's size, the
# instructions of one paint plan at 96 points (callgrind counts instructions,
# so the figure does not depend on how busy the machine is), and the plan's
# time under Google Benchmark. Run after scripts/test.sh has built both trees.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v valgrind >/dev/null || { echo "valgrind is needed"; exit 1; }

echo "Velnorid.exe: $(stat -c %s build/win32/Velnorid.exe) bytes"

bench=build/host/tests/paint_bench
plans() {
  local out
  out=$(mktemp)
  valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect='PlanPaint*' "$bench" --plans "$1" \
    >/dev/null 2>&1
  callgrind_annotate "$out" 2>/dev/null | awk '/PROGRAM TOTALS/ {gsub(",", "", $1); print $1}'
  rm -f "$out"
}
# The difference of two runs removes what is counted once per run.
few=$(plans 100)
many=$(plans 1100)
echo "PlanPaint at 96 points: $(((many - few) / 1000)) instructions per plan (callgrind)"
"$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null | grep -E 'median|BM_|Plan'
