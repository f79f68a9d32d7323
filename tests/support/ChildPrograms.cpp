#include "support/ChildPrograms.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

extern char** environ;

namespace zul::test {

namespace {

std::string ReadLine(int fd, int timeoutMs) {
  std::string line;
  char c;
  pollfd p{fd, POLLIN, 0};
  while (poll(&p, 1, timeoutMs) > 0 && read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

}  // namespace

bool PathExists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

std::string BinDir() {
  const char* dir = std::getenv("ZUL_BIN_DIR");
  return dir ? dir : ".";
}

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + name + "-" + std::to_string(getpid());
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

int RunZul(const std::string& arguments) {
  return RunCommand(BinDir() + "/zul " + arguments + " >/dev/null 2>&1").exit;
}

ProgramRun RunCommand(const std::string& command) {
  // Programs under test keep their data (backups before writes) and settings (recent
  // ports) in the test's folder, never the user's.
  static const bool dataHome = setenv("XDG_DATA_HOME", TempPath("data-home").c_str(), 0) == 0 &&
                               setenv("XDG_CONFIG_HOME", TempPath("config-home").c_str(), 0) == 0;
  (void)dataHome;
  ProgramRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = pclose(pipe);
  run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

SimProcess::SimProcess(std::vector<std::string> options, const std::string& name) {
  static int started = 0;
  path_ = TempPath(name) + "-" + std::to_string(++started);
  options.insert(options.begin(), {"--pty", path_});
  Start(std::move(options));
}

SimProcess::SimProcess(std::vector<std::string> options, SimTransport transport) : network_(true) {
  options.insert(options.begin(), {transport == SimTransport::Tcp ? "--tcp" : "--mbtcp", "0"});
  Start(std::move(options));
  path_ = printed_;
}

void SimProcess::Start(std::vector<std::string> options) {
  options.insert(options.begin(), BinDir() + "/zul-sim");
  std::vector<char*> argv;
  for (auto& a : options) argv.push_back(a.data());
  argv.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  printed_ = ReadLine(out[0], 5000);
  close(out[0]);
}

bool SimProcess::Ready() const {
  if (network_) return pid_ > 0 && printed_.find("://127.0.0.1:") != std::string::npos;
  return pid_ > 0 && printed_ == path_ && PathExists(path_);
}

int SimProcess::Stop() {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zul::test
