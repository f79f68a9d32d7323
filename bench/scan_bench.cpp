// The line scan of addresses 1..31 against what it cannot do without:
// limit = 31 × the answer time + the wire time of every request and answer
// (11 bits a character). Goal: elapsed ≤ 1.5 × limit (ratio_to_goal ≤ 1).
// One controller at address 17, at 115200 baud, on a pseudo-terminal served
// by the simulator's pty server (the engine of zul-sim) through QtSerialLine
// with its answer time limit, and the link's default delay before a request,
// as `zul scan` runs it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "core/ScriptedInteraction.h"
#include "core/config/LineScan.h"
#include "core/link/ModbusLink.h"
#include "serial/QtSerialLine.h"
#include "sim/PtyServer.h"
#include "sim/SimulatedLine.h"

namespace {

using namespace zul;

constexpr double kGoal = 1.5;
constexpr int kAddresses = 31;

// Counts the bytes that cross the line both ways.
class CountingLine : public SerialLine {
 public:
  explicit CountingLine(QtSerialLine& inner) : inner_(inner) {}
  void SetPortName(const std::string& name) override { inner_.SetPortName(name); }
  void SetBaudRate(int baud) override { inner_.SetBaudRate(baud); }
  void SetParity(Parity parity) override { inner_.SetParity(parity); }
  void SetStopBits(int stopBits) override { inner_.SetStopBits(stopBits); }
  bool Open() override { return inner_.Open(); }
  bool Close() override { return inner_.Close(); }
  bool IsOpen() const override { return inner_.IsOpen(); }
  bool Purge() override { return inner_.Purge(); }
  bool Write(std::span<const uint8_t> frame) override {
    bytes += frame.size();
    return inner_.Write(frame);
  }
  using SerialLine::Read;
  int Read(std::span<uint8_t> buffer, int byteTimeoutMs, bool answerBegun) override {
    const int got = inner_.Read(buffer, byteTimeoutMs, answerBegun);
    if (got > 0) bytes += static_cast<size_t>(got);
    return got;
  }
  std::vector<std::string> AvailablePorts() const override { return inner_.AvailablePorts(); }

  size_t bytes = 0;

 private:
  QtSerialLine& inner_;
};

void BM_ScanOf31Addresses(benchmark::State& state) {
  const int answerMs = static_cast<int>(state.range(0));
  const int baud = 115200;
  SteadyClock clock;
  SimulatedBus bus(clock);
  ControllerSetup setup;
  setup.address = 17;
  bus.Add(setup);
  PtyServer server(bus, clock, baud, 30);
  const std::string path = "/tmp/zul-scan-bench-" + std::to_string(getpid());
  std::string error;
  if (!server.Open(path, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  int stop[2];
  if (pipe(stop) != 0) return;
  std::thread serving([&] { server.Serve(stop[0], &error); });

  QtSerialLine serial;
  CountingLine line(serial);
  ScriptedInteraction ui;
  ModbusLink port(line, clock, ui);
  port.SetPortName(path);
  port.SetBaudText(std::to_string(baud));
  port.OpenPort();
  serial.SetAnswerTimeLimitMs(answerMs);
  double elapsedMs = 0, wireMs = 0;
  for (auto _ : state) {
    line.bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    const ScanResult r = ScanLine(port, 1, kAddresses);
    elapsedMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    wireMs += static_cast<double>(line.bytes) * 11.0 * 1000.0 / baud;
    if (r.found.size() != 1) state.SkipWithError("the controller at 17 was not found");
  }
  port.ClosePort();
  [[maybe_unused]] ssize_t n = write(stop[1], "x", 1);
  serving.join();
  close(stop[0]);
  close(stop[1]);
  const double iterations = static_cast<double>(state.iterations());
  elapsedMs /= iterations;
  wireMs /= iterations;
  const double limitMs = kAddresses * answerMs + wireMs;
  state.counters["elapsed_ms"] = elapsedMs;
  state.counters["wire_ms"] = wireMs;
  state.counters["limit_ms"] = limitMs;
  state.counters["ratio"] = elapsedMs / limitMs;
  state.counters["ratio_to_goal"] = elapsedMs / limitMs / kGoal;
}
BENCHMARK(BM_ScanOf31Addresses)->Arg(200)->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
