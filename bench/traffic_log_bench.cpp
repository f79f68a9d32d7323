// What the traffic monitor costs the link. Requests go over the in-process
// simulated line in virtual time, so only CPU time is measured: without an
// observer (the monitor closed) and with the traffic log attached. Limits:
// 20 us added per transaction while open; a full log of 10,000 frames within
// 8 MB.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>

#include "core/ScriptedInteraction.h"
#include "core/link/ModbusLink.h"
#include "core/link/TrafficLog.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"

namespace {

using namespace zul;
constexpr double kAddedLimitUs = 20.0;
constexpr double kMemoryLimitBytes = 8.0 * 1024 * 1024;

struct Rig {
  Rig() : bus(clock), line(bus, clock), port(line, clock, ui) {
    bus.Add(ControllerSetup{});
    port.SetDelayBeforeRequest(0);
    port.OpenPort();
  }
  int Block() {
    const uint8_t block = 40;
    return port.Request(0, 68, std::span(&block, 1), answer);
  }
  VirtualClock clock;
  SimulatedBus bus;
  SimulatedLine line;
  ScriptedInteraction ui;
  ModbusLink port;
  std::array<uint8_t, kAnswerBufferSize> answer{};
};

void BM_RequestMonitorClosed(benchmark::State& state) {
  Rig rig;
  for (auto _ : state) benchmark::DoNotOptimize(rig.Block());
  state.SetItemsProcessed(state.iterations());
}

void BM_RequestMonitorOpen(benchmark::State& state) {
  Rig rig;
  TrafficLog log;
  rig.port.SetFrameObserver(&log);
  for (auto _ : state) benchmark::DoNotOptimize(rig.Block());
  state.SetItemsProcessed(state.iterations());
}

// The added cost, measured in one run so both sides see the same machine load.
void BM_MonitorAddedCostPerTransaction(benchmark::State& state) {
  Rig closed;
  Rig open;
  TrafficLog log;
  open.port.SetFrameObserver(&log);
  constexpr int kRounds = 2000;
  double addedUs = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i) closed.Block();
    auto t1 = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i) open.Block();
    auto t2 = std::chrono::steady_clock::now();
    const double closedUs = std::chrono::duration<double, std::micro>(t1 - t0).count() / kRounds;
    const double openUs = std::chrono::duration<double, std::micro>(t2 - t1).count() / kRounds;
    addedUs = std::max(0.0, openUs - closedUs);
    state.counters["closed_us"] = closedUs;
    state.counters["open_us"] = openUs;
  }
  state.counters["added_us"] = addedUs;
  state.counters["ratio_to_limit"] = addedUs / kAddedLimitUs;
}

void BM_FullLogMemory(benchmark::State& state) {
  Rig rig;
  TrafficLog log;
  rig.port.SetFrameObserver(&log);
  for (auto _ : state) {
    for (size_t i = 0; i < TrafficLog::kDefaultCapacity / 2 + 10; ++i) rig.Block();
  }
  const auto records = log.Records();
  double bytes = 0;
  for (const TrafficRecord& r : records) bytes += sizeof(TrafficRecord) + r.bytes.capacity();
  state.counters["frames"] = static_cast<double>(records.size());
  state.counters["bytes"] = bytes;
  state.counters["ratio_to_limit"] = bytes / kMemoryLimitBytes;
}

BENCHMARK(BM_RequestMonitorClosed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RequestMonitorOpen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MonitorAddedCostPerTransaction)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullLogMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
