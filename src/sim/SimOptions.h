#pragma once
// Command line of zul-sim. A per-device value may start with "ADDRESS=" to
// apply to that device only (--modules 2=1,6,3); without it the value applies
// to every device.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sim/SimulatedController.h"

namespace zul {

struct SimOptions {
  std::string ptyPath;
  int tcpPort = -1;        // --tcp or --mbtcp: serve on 127.0.0.1:PORT instead of a pty (0: any free port)
  bool modbusTcp = false;  // --mbtcp: as a Modbus TCP gateway
  std::set<int> hangUpRequests;  // --hangup-nth: the connection is closed instead of answering
  std::vector<ControllerSetup> devices;
  int baud = 0;    // 0: answers leave as fast as the pty takes them
  int gapMs = 30;  // silence that ends a frame of unknown length
  std::string logPath;
  std::map<int, std::string> saveOnExit;  // device address -> file
  bool help = false;
};

// `args` without the program name. nullopt with a message on a bad option.
std::optional<SimOptions> ParseSimOptions(const std::vector<std::string>& args, std::string* error);

const char* SimUsage();

}  // namespace zul
