// The link's own cost per transaction over a pseudo-terminal: time spent in
// Request minus DelayBeforeRequest minus the time the bytes need on the wire.
// A peer thread answers function 17 after the wire time of request + answer,
// as a controller at that baud rate would. Limit: 1 ms (median).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "core/ScriptedInteraction.h"
#include "core/link/ModbusLink.h"
#include "serial/QtSerialLine.h"
#include "support/FakeSerialLine.h"
#include "support/PtyPair.h"

namespace {

using namespace zul;
constexpr int kBaud = 115200;
constexpr double kLimitMs = 1.0;

double WireMs(size_t bytes) { return static_cast<double>(bytes) * 11 * 1000 / kBaud; }

void BM_LinkOverheadPerTransaction(benchmark::State& state) {
  test::PtyPair pty;
  QtSerialLine line;
  SteadyClock clock;
  ScriptedInteraction ui;
  ModbusLink port(line, clock, ui);
  port.SetPortName(pty.SlavePath());
  port.SetBaudText(std::to_string(kBaud));
  port.SetDelayBeforeRequest(1);
  if (port.OpenPort() != 0) {
    state.SkipWithError("cannot open the pty");
    return;
  }

  std::vector<uint8_t> identity(3 + 40);
  identity[0] = 1;
  identity[1] = 17;
  identity[2] = 40;
  const test::Bytes reply = test::WithCrc(identity);
  const size_t requestBytes = 4;
  const auto wire = std::chrono::microseconds(static_cast<int>(WireMs(requestBytes + reply.size()) * 1000));

  std::atomic<bool> stop{false};
  std::thread controller([&] {
    while (!stop) {
      if (pty.Receive(requestBytes, 50).size() != requestBytes) continue;
      std::this_thread::sleep_for(wire);
      pty.Send(reply);
    }
  });

  std::vector<double> overheads;
  std::array<uint8_t, kAnswerBufferSize> answer{};
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    int result = port.Request(0, 17, {}, answer);
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (result != kResultOk) state.SkipWithError("request failed");
    overheads.push_back(ms - port.GetDelayBeforeRequest() - WireMs(requestBytes + reply.size()));
  }
  stop = true;
  controller.join();

  std::sort(overheads.begin(), overheads.end());
  double median = overheads.empty() ? 0 : overheads[overheads.size() / 2];
  state.counters["overhead_median_ms"] = median;
  state.counters["ratio_to_limit"] = median / kLimitMs;
}

BENCHMARK(BM_LinkOverheadPerTransaction)->Iterations(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
