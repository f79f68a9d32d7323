// zul-sim: one or more simulated controllers on a pseudo-terminal or a loopback TCP port.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>

#include "sim/PtyServer.h"
#include "sim/SimOptions.h"
#include "sim/TcpServer.h"

namespace {

int stopPipe[2] = {-1, -1};

void OnStop(int) {
  char byte = 1;
  [[maybe_unused]] ssize_t n = write(stopPipe[1], &byte, 1);
}

// Writes next to the target and renames, so a failure never leaves half a file.
bool SaveFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string temporary = path + ".tmp" + std::to_string(getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

bool ServePty(const zul::SimOptions& options, zul::SimulatedBus& bus, zul::Clock& clock, std::string* error) {
  zul::PtyServer server(bus, clock, options.baud, options.gapMs);
  if (!server.Open(options.ptyPath, error)) return false;
  std::cout << options.ptyPath << std::endl;
  return server.Serve(stopPipe[0], error);
}

bool ServeTcp(const zul::SimOptions& options, zul::SimulatedBus& bus, zul::Clock& clock, std::string* error) {
  zul::TcpServer server(bus, clock, options.modbusTcp, options.gapMs);
  server.SetHangUpRequests(options.hangUpRequests);
  if (!server.Open(options.tcpPort, error)) return false;
  std::cout << server.PortName() << std::endl;
  return server.Serve(stopPipe[0], error);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  auto options = zul::ParseSimOptions(args, &error);
  if (!options) {
    std::cerr << "zul-sim: " << error << "\n\n" << zul::SimUsage();
    return 2;
  }
  if (options->help) {
    std::cout << zul::SimUsage();
    return 0;
  }

  zul::SteadyClock clock;
  zul::SimulatedBus bus(clock);
  const zul::CalendarTime now = zul::LocalCalendarTime();
  for (auto& setup : options->devices) {
    setup.clockStart = now;
    bus.Add(setup);
  }

  std::ofstream log;
  if (!options->logPath.empty()) {
    log.open(options->logPath, std::ios::trunc);
    if (!log) {
      std::cerr << "zul-sim: cannot write the log " << options->logPath << "\n";
      return 2;
    }
    bus.SetLog(&log);
  }

  if (pipe(stopPipe) != 0) {
    std::perror("zul-sim: pipe");
    return 1;
  }
  fcntl(stopPipe[1], F_SETFL, O_NONBLOCK);
  struct sigaction action {};
  action.sa_handler = OnStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  const bool served =
      options->tcpPort >= 0 ? ServeTcp(*options, bus, clock, &error) : ServePty(*options, bus, clock, &error);
  if (!served) std::cerr << "zul-sim: " << error << "\n";

  int status = served ? 0 : 1;
  for (const auto& [address, path] : options->saveOnExit) {
    // Controllers were added in the order of the devices; the file follows the
    // device even when a renumbering changed its address.
    const zul::SimulatedController* controller = nullptr;
    for (size_t i = 0; i < options->devices.size(); ++i) {
      if (options->devices[i].address == address) controller = bus.Controllers()[i].get();
    }
    if (!controller || !SaveFile(path, controller->ZulBytes())) {
      std::cerr << "zul-sim: cannot save " << path << "\n";
      status = 1;
    }
  }
  return status;
}
