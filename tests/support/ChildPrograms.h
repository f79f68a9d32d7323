#pragma once
// The programs under test run as child processes: zul-sim serving a
// pseudo-terminal, zul run to its end. For the end-to-end tests and benches.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zul::test {

// Where the built programs are (ZUL_BIN_DIR, else the working directory).
std::string BinDir();
// A path in the test's temporary folder, unique to this process.
std::string TempPath(const std::string& name);
std::vector<uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
// True when something (a link included) stands at the path.
bool PathExists(const std::string& path);

struct ProgramRun {
  int exit = -1;
  std::string output;  // what the command wrote on its standard output
};
// Runs a shell command line to its end.
ProgramRun RunCommand(const std::string& command);
// zul with these arguments, its output discarded; its exit status.
int RunZul(const std::string& arguments);

enum class SimTransport { Tcp, ModbusTcp };

// zul-sim as a child process on a fresh pty path; ready once it has printed
// that path and the link exists. On a network transport it listens on a free
// loopback port, and Path() is the port name it printed (tcp://127.0.0.1:N).
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> options, const std::string& name = "zul-sim-pty");
  SimProcess(std::vector<std::string> options, SimTransport transport);
  ~SimProcess() { Stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool Ready() const;
  const std::string& Path() const { return path_; }
  // SIGTERM and wait; returns the exit status.
  int Stop();

 private:
  void Start(std::vector<std::string> options);

  pid_t pid_ = -1;
  bool network_ = false;
  std::string path_;
  std::string printed_;
};

}  // namespace zul::test
