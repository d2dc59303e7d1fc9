// Figures for the per-tick path: one paint plan at 96 points with guide lines.
// Run as is for Google Benchmark; with --plans N it only makes N plans, for
// counting instructions under callgrind (scripts/measure.sh).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "app/app_state.h"
#include "display/painter.h"

static void BusyWindow() {
  app = AppState{};
  app.clientRect = {0, 0, 334, 184};
  app.settings[SET_PLOT] = 96;
  app.sampleCounter = 1234;
  for (u32 j = 0; j < 2 * HISTORY_LENGTH; ++j) app.history[j] = 100000 + 7919 * j % 50000;
}

static void PlanPaintAt96Points(benchmark::State& state) {
  BusyWindow();
  PaintPlan plan;
  for (auto _ : state) {
    PlanPaint(PAINT_TICK, plan);
    benchmark::DoNotOptimize(plan);
  }
}
BENCHMARK(PlanPaintAt96Points);

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "--plans") == 0) {
    BusyWindow();
    PaintPlan plan;
    for (int n = atoi(argv[2]); n > 0; --n) PlanPaint(PAINT_TICK, plan);
    return int(plan.count) == 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
