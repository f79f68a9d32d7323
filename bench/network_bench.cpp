// Controllers behind Ethernet, on loopback:
// - a whole read over tcp:// and mbtcp:// against the simulator's TCP server,
//   as a ratio to the same read over a pty without pacing (limit 1.2);
// - `zul fleet backup` of 8 lines x 4 controllers, each a zul-sim pty paced at
//   115200: wall time as a ratio to the slowest line backed up alone (limit 1.3).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/ScriptedInteraction.h"
#include "core/config/Configuration.h"
#include "core/config/ReadConfiguration.h"
#include "core/link/ModbusLink.h"
#include "serial/QtSerialLine.h"
#include "sim/PtyServer.h"
#include "sim/TcpServer.h"
#include "support/ChildPrograms.h"

namespace {

using namespace zul;

constexpr double kReadLimit = 1.2;
constexpr double kFleetLimit = 1.3;
constexpr int kReads = 21;

ControllerSetup Controller() {
  ControllerSetup setup;
  setup.composition.modules = {1, 1, 6, 3, 14};
  return setup;
}

// A server of one controller on its own thread for the benchmark's life.
class Served {
 public:
  explicit Served(int transport) : bus_(clock_) {
    bus_.Add(Controller());
    std::string error;
    if (pipe(stop_) != 0) return;
    if (transport == 0) {
      pty_ = std::make_unique<PtyServer>(bus_, clock_, 0, 30);
      name_ = "/tmp/zul-network-bench-" + std::to_string(getpid());
      if (!pty_->Open(name_, &error))
        name_.clear();
      else
        thread_ = std::thread([this] {
          std::string e;
          pty_->Serve(stop_[0], &e);
        });
    } else {
      tcp_ = std::make_unique<TcpServer>(bus_, clock_, transport == 2, 30);
      if (tcp_->Open(0, &error)) {
        name_ = tcp_->PortName();
        thread_ = std::thread([this] {
          std::string e;
          tcp_->Serve(stop_[0], &e);
        });
      }
    }
  }
  ~Served() {
    [[maybe_unused]] ssize_t n = write(stop_[1], "x", 1);
    if (thread_.joinable()) thread_.join();
    close(stop_[0]);
    close(stop_[1]);
  }
  const std::string& Name() const { return name_; }

 private:
  SteadyClock clock_;
  SimulatedBus bus_;
  std::unique_ptr<PtyServer> pty_;
  std::unique_ptr<TcpServer> tcp_;
  std::string name_;
  int stop_[2] = {-1, -1};
  std::thread thread_;
};

// Median milliseconds of a whole read over the port name; negative on a failure.
double MedianReadMs(const std::string& name) {
  QtSerialLine line;
  SteadyClock clock;
  ScriptedInteraction ui;
  ModbusLink port(line, clock, ui);
  port.SetPortName(name);
  port.SetBaudText("115200");
  port.SetDelayBeforeRequest(0);
  if (port.OpenPort() != 0) return -1;
  std::vector<double> times;
  for (int i = 0; i < kReads; ++i) {
    Configuration config;
    const auto start = std::chrono::steady_clock::now();
    if (!ReadConfiguration(port, config, ui).ok) return -1;
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void BM_WholeReadOverTheNetwork(benchmark::State& state) {
  Served pty(0);
  Served network(static_cast<int>(state.range(0)));
  if (pty.Name().empty() || network.Name().empty()) {
    state.SkipWithError("cannot serve");
    return;
  }
  double ptyMs = 0, networkMs = 0;
  for (auto _ : state) {
    ptyMs = MedianReadMs(pty.Name());
    networkMs = MedianReadMs(network.Name());
  }
  if (ptyMs <= 0 || networkMs <= 0) {
    state.SkipWithError("a read failed");
    return;
  }
  state.SetLabel(state.range(0) == 1 ? "tcp://" : "mbtcp://");
  state.counters["pty_ms"] = ptyMs;
  state.counters["network_ms"] = networkMs;
  state.counters["ratio_to_pty"] = networkMs / ptyMs;
  state.counters["ratio_to_limit"] = networkMs / ptyMs / kReadLimit;
}
BENCHMARK(BM_WholeReadOverTheNetwork)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kMillisecond);

double FleetBackupMs(const std::vector<std::string>& inventoryLines) {
  const std::string inventory = test::TempPath("zul-fleet-bench.txt");
  const std::string folder = test::TempPath("zul-fleet-bench-out");
  {
    std::ofstream out(inventory);
    for (const std::string& l : inventoryLines) out << l << "\n";
  }
  const auto start = std::chrono::steady_clock::now();
  const test::ProgramRun run = test::RunCommand("'" + test::BinDir() + "/zul' fleet backup " + inventory +
                                                " -o " + folder + " 2>/dev/null");
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::filesystem::remove_all(folder);
  std::remove(inventory.c_str());
  return run.exit == 0 ? ms : -1;
}

void BM_FleetBackupEightLines(benchmark::State& state) {
  constexpr int kLines = 8;
  std::vector<std::unique_ptr<test::SimProcess>> sims;
  std::vector<std::string> lines;
  for (int i = 0; i < kLines; ++i) {
    sims.push_back(std::make_unique<test::SimProcess>(
        std::vector<std::string>{"--devices", "1,2,3,4", "--baud", "115200"}, "zul-sim-fleet-bench"));
    if (!sims.back()->Ready()) {
      state.SkipWithError("zul-sim did not start");
      return;
    }
    lines.push_back("line" + std::to_string(i + 1) + " " + sims.back()->Path() + " 1-4 baud=115200 delay=1");
  }
  double slowestMs = 0, fleetMs = 0;
  for (auto _ : state) {
    for (const std::string& line : lines) slowestMs = std::max(slowestMs, FleetBackupMs({line}));
    fleetMs = FleetBackupMs(lines);
  }
  if (fleetMs <= 0 || slowestMs <= 0) {
    state.SkipWithError("a backup failed");
    return;
  }
  state.counters["slowest_line_ms"] = slowestMs;
  state.counters["fleet_ms"] = fleetMs;
  state.counters["ratio_to_slowest"] = fleetMs / slowestMs;
  state.counters["ratio_to_limit"] = fleetMs / slowestMs / kFleetLimit;
}
BENCHMARK(BM_FleetBackupEightLines)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
