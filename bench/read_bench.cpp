// The whole-configuration read against the time the line itself needs:
// ratio = elapsed / (wire time of every request and answer at 11 bits a
// character + the pauses the link must make before each request). Limit 1.10.
// Measured on a pseudo-terminal served by the simulator's pty server (the
// engine of zul-sim --baud B) through QtSerialLine, with DelayBeforeRequest
// 1 ms, and in-process on the simulated line in virtual time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "core/ScriptedInteraction.h"
#include "core/config/Configuration.h"
#include "core/config/ReadConfiguration.h"
#include "core/link/ModbusLink.h"
#include "serial/QtSerialLine.h"
#include "sim/PtyServer.h"
#include "sim/SimulatedLine.h"

namespace {

using namespace zul;

constexpr double kLimit = 1.10;
constexpr int kDelayBeforeRequestMs = 1;

// Counts what crosses the line: frames written and bytes both ways.
class CountingLine : public SerialLine {
 public:
  explicit CountingLine(SerialLine& inner) : inner_(inner) {}
  void SetPortName(const std::string& name) override { inner_.SetPortName(name); }
  void SetBaudRate(int baud) override { inner_.SetBaudRate(baud); }
  void SetParity(Parity parity) override { inner_.SetParity(parity); }
  void SetStopBits(int stopBits) override { inner_.SetStopBits(stopBits); }
  bool Open() override { return inner_.Open(); }
  bool Close() override { return inner_.Close(); }
  bool IsOpen() const override { return inner_.IsOpen(); }
  bool Purge() override { return inner_.Purge(); }
  bool Write(std::span<const uint8_t> frame) override {
    ++frames;
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

  size_t frames = 0;
  size_t bytes = 0;

 private:
  SerialLine& inner_;
};

double LineLimitMs(const CountingLine& line, int baud) {
  return static_cast<double>(line.bytes) * 11.0 * 1000.0 / baud +
         static_cast<double>(line.frames) * kDelayBeforeRequestMs;
}

ControllerSetup Controller() {
  ControllerSetup setup;
  setup.composition.modules = {1, 1, 6, 3, 14};
  return setup;
}

void Report(benchmark::State& state, double elapsedMs, double limitMs) {
  state.counters["elapsed_ms"] = elapsedMs;
  state.counters["line_ms"] = limitMs;
  state.counters["ratio"] = elapsedMs / limitMs;
  state.counters["ratio_to_limit"] = elapsedMs / limitMs / kLimit;
}

void BM_WholeReadOverAPty(benchmark::State& state) {
  const int baud = static_cast<int>(state.range(0));
  SteadyClock clock;
  SimulatedBus bus(clock);
  bus.Add(Controller());
  PtyServer server(bus, clock, baud, 30);
  const std::string path = "/tmp/zul-read-bench-" + std::to_string(getpid());
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
  port.SetDelayBeforeRequest(kDelayBeforeRequestMs);
  port.OpenPort();
  double elapsedMs = 0, limitMs = 0;
  for (auto _ : state) {
    line.frames = line.bytes = 0;
    Configuration config;
    const auto start = std::chrono::steady_clock::now();
    const ReadResult r = ReadConfiguration(port, config, ui);
    elapsedMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    limitMs += LineLimitMs(line, baud);
    if (!r.ok) state.SkipWithError(r.Describe().c_str());
  }
  port.ClosePort();
  [[maybe_unused]] ssize_t n = write(stop[1], "x", 1);
  serving.join();
  close(stop[0]);
  close(stop[1]);
  Report(state, elapsedMs / static_cast<double>(state.iterations()),
         limitMs / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_WholeReadOverAPty)->Arg(115200)->Arg(9600)->Iterations(2)->Unit(benchmark::kMillisecond);

// The same read on the in-process line: elapsed virtual time against the same
// limit (the simulated line adds its turnaround before each answer).
void BM_WholeReadInVirtualTime(benchmark::State& state) {
  const int baud = static_cast<int>(state.range(0));
  double elapsedMs = 0, limitMs = 0;
  for (auto _ : state) {
    VirtualClock clock;
    SimulatedBus bus(clock);
    bus.Add(Controller());
    SimulatedLine simulated(bus, clock);
    CountingLine line(simulated);
    ScriptedInteraction ui;
    ModbusLink port(line, clock, ui);
    port.SetBaudText(std::to_string(baud));
    port.SetDelayBeforeRequest(kDelayBeforeRequestMs);
    port.OpenPort();
    Configuration config;
    const int64_t start = clock.NowMs();
    if (!ReadConfiguration(port, config, ui).ok) state.SkipWithError("read failed");
    elapsedMs += static_cast<double>(clock.NowMs() - start);
    limitMs += LineLimitMs(line, baud);
  }
  Report(state, elapsedMs / static_cast<double>(state.iterations()),
         limitMs / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_WholeReadInVirtualTime)->Arg(115200)->Arg(9600)->Unit(benchmark::kMillisecond);

// A whole read over a noisy line (10 % of the answers dropped, 5 % with a bad
// checksum, 5 % cut after their head) against the same read over a clean
// line, in virtual time at 9600 baud, over several fault seeds. A cut answer
// costs a byte time-out, not the whole answer time.
double VirtualReadMs(const FaultSettings& faults, int* failures) {
  VirtualClock clock;
  SimulatedBus bus(clock);
  ControllerSetup setup = Controller();
  setup.randomBlocks = true;
  setup.seed = 7;
  setup.faults = faults;
  bus.Add(setup);
  SimulatedLine line(bus, clock);
  ScriptedInteraction ui;
  ModbusLink port(line, clock, ui);
  port.OpenPort();
  Configuration config;
  if (!ReadConfiguration(port, config, ui).ok) ++*failures;
  return static_cast<double>(clock.NowMs());
}

void BM_NoisyReadAgainstCleanRead(benchmark::State& state) {
  constexpr int kSeeds = 20;
  double clean = 0, noisy = 0;
  int failures = 0;
  for (auto _ : state) {
    clean = noisy = 0;
    failures = 0;
    for (int seed = 1; seed <= kSeeds; ++seed) {
      clean += VirtualReadMs(FaultSettings{}, &failures);
      FaultSettings faults;
      faults.drop.probability = 0.10;
      faults.badCrc.probability = 0.05;
      faults.cut.probability = 0.05;
      faults.shortMode = ShortMode::Head;
      faults.seed = static_cast<uint64_t>(seed);
      noisy += VirtualReadMs(faults, &failures);
    }
  }
  state.counters["clean_ms"] = clean / kSeeds;
  state.counters["noisy_ms"] = noisy / kSeeds;
  state.counters["noisy_to_clean"] = noisy / clean;
  state.counters["failed_reads"] = failures;
}
BENCHMARK(BM_NoisyReadAgainstCleanRead)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
