// The simulator against the two limits it chases:
// - in-process (SimulatedLine, virtual time) a whole configuration read must
//   cost far less wall time than the line time it simulates: ratio = wall
//   time / simulated line time, limit 0.01;
// - on a pty with --baud set, an answer must not arrive faster than the line
//   could carry it, nor much slower: ratio = measured / physical time of the
//   answer at 9600 baud (the pty takes the request at once), limit 1.0..1.3.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <thread>
#include <vector>

#include "core/ScriptedInteraction.h"
#include "core/link/ModbusLink.h"
#include "serial/QtSerialLine.h"
#include "sim/PtyServer.h"
#include "sim/SimulatedLine.h"

namespace {

using namespace zul;

// Blocks of a whole configuration read of a 1,1,6,3,14 controller.
std::vector<uint8_t> ReadSequence() {
  std::vector<uint8_t> blocks{10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11};
  for (int b = 12; b <= 25; ++b) blocks.push_back(static_cast<uint8_t>(b));
  blocks.push_back(32);
  blocks.push_back(33);
  blocks.push_back(35);
  for (int b = 40; b <= 51; ++b) blocks.push_back(static_cast<uint8_t>(b));
  for (int b = 68; b <= 79; ++b) blocks.push_back(static_cast<uint8_t>(b));
  return blocks;
}

void BM_WholeReadInVirtualTime(benchmark::State& state) {
  double wallMs = 0, lineMs = 0;
  for (auto _ : state) {
    VirtualClock clock;
    SimulatedBus bus(clock);
    ControllerSetup setup;
    setup.composition.modules = {1, 1, 6, 3, 14};
    bus.Add(setup);
    SimulatedLine line(bus, clock);
    ScriptedInteraction ui;
    ModbusLink port(line, clock, ui);
    port.OpenPort();
    std::array<uint8_t, kAnswerBufferSize> answer{};
    auto start = std::chrono::steady_clock::now();
    int failures = port.Request(0, 17, {}, answer);
    for (uint8_t block : ReadSequence()) failures += port.Request(0, 68, std::span(&block, 1), answer);
    wallMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    lineMs += static_cast<double>(clock.NowMs());
    if (failures != 0) state.SkipWithError("a request failed");
  }
  state.counters["line_ms"] = lineMs / static_cast<double>(state.iterations());
  state.counters["ratio_to_limit"] = (wallMs / lineMs) / 0.01;
}
BENCHMARK(BM_WholeReadInVirtualTime)->Unit(benchmark::kMillisecond);

void BM_PacedAnswerOnAPty(benchmark::State& state) {
  constexpr int kBaud = 9600;
  SteadyClock clock;
  SimulatedBus bus(clock);
  bus.Add(ControllerSetup{});
  PtyServer server(bus, clock, kBaud, 30);
  std::string path = "/tmp/zul-sim-bench-" + std::to_string(getpid());
  std::string error;
  if (!server.Open(path, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  int stop[2];
  if (pipe(stop) != 0) return;
  std::thread serving([&] { server.Serve(stop[0], &error); });

  QtSerialLine line;
  ScriptedInteraction ui;
  ModbusLink port(line, clock, ui);
  port.SetPortName(path);
  port.SetDelayBeforeRequest(0);
  port.OpenPort();
  std::array<uint8_t, kAnswerBufferSize> answer{};
  const uint8_t block = 12;
  const double physicalMs = 204.0 * 11 * 1000 / kBaud;
  std::vector<double> ratios;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (port.Request(0, 68, std::span(&block, 1), answer) != kResultOk) state.SkipWithError("request failed");
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    ratios.push_back(ms / physicalMs);
  }
  port.ClosePort();
  [[maybe_unused]] ssize_t n = write(stop[1], "x", 1);
  serving.join();
  close(stop[0]);
  close(stop[1]);
  std::sort(ratios.begin(), ratios.end());
  double median = ratios.empty() ? 0 : ratios[ratios.size() / 2];
  state.counters["ratio_to_physical"] = median;     // must not be below 1
  state.counters["ratio_to_limit"] = median / 1.3;  // at most 1
  state.counters["fastest_ratio_to_physical"] = ratios.empty() ? 0 : ratios.front();
}
BENCHMARK(BM_PacedAnswerOnAPty)->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
