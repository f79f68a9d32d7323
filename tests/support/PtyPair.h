#pragma once
// A pseudo-terminal pair for tests that need a real serial device: the test
// holds the master side, the code under test opens SlavePath().
#include <cstdint>
#include <string>
#include <vector>

namespace zul::test {

class PtyPair {
 public:
  PtyPair();  // raw mode; check Ok()
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool Ok() const { return master_ >= 0; }
  const std::string& SlavePath() const { return slavePath_; }

  // Reads what arrives on the master within timeoutMs (stops at `count` bytes).
  std::vector<uint8_t> Receive(size_t count, int timeoutMs);
  void Send(const std::vector<uint8_t>& bytes);

 private:
  int master_ = -1;
  int slaveKeepAlive_ = -1;  // keeps the pty up between opens of the slave
  std::string slavePath_;
};

}  // namespace zul::test
