// Figures for the per-tick path: one paint plan at 96 points with guide lines,
// and one whole timer tick with its paint. Run as is for Google Benchmark;
// with --plans N or --ticks N it only makes N plans or ticks, for counting
// instructions under callgrind (scripts/measure.sh).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "app/app_state.h"
#include "display/painter.h"
#include "measure/adapters.h"
#include "measure/sampler.h"

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

// An adapter selected in a table of two, every tick a sample.
static HWND SamplingWindow() {
  BusyWindow();
  fakewin::Reset();
  fakewin::SetInterfaces({fakewin::MakeInterface(1, IF_TYPE_SOFTWARE_LOOPBACK, true, "lo"),
                          fakewin::MakeInterface(2, IF_TYPE_ETHERNET_CSMACD, true, "eth")});
  ScanAdapters(1);
  app.adapterSlot = 1;
  app.adapterType = IF_TYPE_ETHERNET_CSMACD;
  return fakewin::AddWindow({0, 0, 350, 200});
}

// Traffic of varying size arrives between ticks.
static void Traffic(u32 n) {
  fakewin::Interfaces()[1].dwInOctets += 100000 + 7919 * n % 50000;
  fakewin::Interfaces()[1].dwOutOctets += 20000 + 104729 * n % 9000;
}

static void SampleTickAt96Points(benchmark::State& state) {
  HWND window = SamplingWindow();
  u32 n = 0;
  for (auto _ : state) {
    Traffic(++n);
    SampleTick(window, 0, SAMPLE_TIMER_ID, 0);
  }
}
BENCHMARK(SampleTickAt96Points);

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "--plans") == 0) {
    BusyWindow();
    PaintPlan plan;
    for (int n = atoi(argv[2]); n > 0; --n) PlanPaint(PAINT_TICK, plan);
    return int(plan.count) == 0;
  }
  if (argc == 3 && strcmp(argv[1], "--ticks") == 0) {
    HWND window = SamplingWindow();
    for (int n = atoi(argv[2]); n > 0; --n) {
      Traffic(u32(n));
      SampleTick(window, 0, SAMPLE_TIMER_ID, 0);
    }
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
