// The regulator online view's poll against a simulated controller: the time
// one poll cycle keeps the window busy (the link's virtual time plus the real
// time our code spends, chart included) against the time its two requests
// need by themselves (pre-request pauses, bytes on the wire at the baud rate,
// the controller's turnaround). Limit: 1.10. And the trend: ten minutes of
// samples at one a second against 5 MB.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <vector>

#include "core/ScriptedInteraction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/ReadConfiguration.h"
#include "core/editing/RegulatorOnline.h"
#include "core/link/ModbusLink.h"
#include "core/model/Regulators.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"
#include "support/WritingLink.h"
#include "ui/link/LinkWorker.h"
#include "ui/regulators/RegulatorOnlineView.h"

namespace {

using namespace zul;

constexpr double kLimitRatio = 1.10;
constexpr double kTrendLimitBytes = 5.0 * 1024 * 1024;

// Request and answer bytes of the two polls: function 3 (8 out, 5 + 72 back)
// and function 1 (8 out, 5 + 6 back).
constexpr int kPollBytes = 8 + 77 + 8 + 11;

struct SimRig {
  SimRig() : bus(clock), line(bus, clock), port(line, clock, ui) {
    ControllerSetup setup;
    setup.composition.modules = {};
    size_t slot = 0;
    for (int type : {1, 1, 6, 6, 3, 14}) setup.composition.modules[slot++] = static_cast<uint8_t>(type);
    bus.Add(setup);
    port.SetPortName("COM1");
    port.OpenPort();
  }
  // What the two requests need by themselves, in ms.
  double RequestsMs() const {
    const double charMs = 11.0 * 1000 / line.Baud();
    return 2.0 * (port.GetDelayBeforeRequest() + line.turnaroundMs) + kPollBytes * charMs;
  }
  VirtualClock clock;
  SimulatedBus bus;
  SimulatedLine line;
  ScriptedInteraction ui;
  zul::test::WritingLink port;
};

template <typename Poll>
void MeasurePolls(benchmark::State& state, SimRig& rig, Poll poll) {
  std::vector<double> ratios;
  for (auto _ : state) {
    const int64_t virtualStart = rig.clock.NowMs();
    const auto start = std::chrono::steady_clock::now();
    poll();
    const double cpuMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double busyMs = static_cast<double>(rig.clock.NowMs() - virtualStart) + cpuMs;
    ratios.push_back(busyMs / rig.RequestsMs());
    rig.clock.Advance(3000);
  }
  if (ratios.empty()) return;
  std::sort(ratios.begin(), ratios.end());
  // The median tick stands for the window; the worst shows what a loaded
  // machine adds now and then.
  const double median = ratios[ratios.size() / 2];
  state.counters["requests_ms"] = rig.RequestsMs();
  state.counters["ratio_median"] = median;
  state.counters["ratio_worst"] = ratios.back();
  state.counters["ratio_to_limit"] = median / kLimitRatio;
}

void BM_LoopPollCycle(benchmark::State& state) {
  SimRig rig;
  Regulators regs;
  MeasurePolls(state, rig, [&] {
    if (PollLoops(rig.port, 0, regs) != kResultOk) state.SkipWithError("poll failed");
  });
}
BENCHMARK(BM_LoopPollCycle)->Iterations(200)->Unit(benchmark::kMillisecond);

// The whole timer tick of the window: poll, panels, trend and chart.
void BM_OnlineViewTick(benchmark::State& state) {
  SimRig rig;
  Configuration config;
  config.discreteProcessing.AccessLevel = kFullAccess;
  ReadConfiguration(rig.port, config, rig.ui);
  LinkWorker gate{rig.port, rig.ui};
  RegulatorOnlineView view(rig.port, config, gate, rig.ui);
  view.Prepare(0);
  int64_t now = 1'700'000'000'000;
  view.Now = [&now] { return now += 3000; };
  MeasurePolls(state, rig, [&] {
    view.poll();
    // The cycle runs on the link worker; the tick ends when the window has its values.
    while (!LinkWorker::AllIdle()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  });
}
BENCHMARK(BM_OnlineViewTick)->Iterations(200)->Unit(benchmark::kMillisecond);

void BM_TrendTenMinutesAtOneSecond(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state) {
    LoopTrend trend;
    // An hour of samples: the window keeps the last ten minutes only.
    for (int s = 0; s < 3600; ++s) trend.Add({1000LL * s, 1.0f * s, 2.0f, 3.0f, 3});
    // The deque's blocks and the chart's three point lists of the same length.
    bytes = trend.MemoryBytes() * 2 + trend.Samples().size() * 3 * sizeof(double) * 2;
    benchmark::DoNotOptimize(trend);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["ratio_to_limit"] = static_cast<double>(bytes) / kTrendLimitBytes;
}
BENCHMARK(BM_TrendTenMinutesAtOneSecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
