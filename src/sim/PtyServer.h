#pragma once
// Serves a SimulatedBus on a pseudo-terminal: the programmer opens the
// terminal (through a symbolic link at a path of our choosing) as if it were a
// serial port. Requests are cut into frames by FrameAssembler; answers leave
// after their fault delay and, with a baud rate set, no faster than the line
// would carry them.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/link/Clock.h"
#include "sim/FrameAssembler.h"
#include "sim/SimulatedBus.h"

namespace zul {

class PtyServer {
 public:
  PtyServer(SimulatedBus& bus, Clock& clock, int baud, int gapMs)
      : bus_(bus), clock_(clock), baud_(baud), assembler_(gapMs) {}
  ~PtyServer() { Close(); }
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Opens the pair in raw mode and makes linkPath a symbolic link to the
  // terminal. An existing symbolic link there is replaced; anything else
  // there is left alone and refused.
  bool Open(const std::string& linkPath, std::string* error);

  // Serves until stopFd becomes readable. False on a failure of the pty.
  bool Serve(int stopFd, std::string* error);

  // Closes the pair and removes the link if it is still ours.
  void Close();

  const std::string& TerminalName() const { return terminal_; }

 private:
  struct Outgoing {
    std::vector<uint8_t> bytes;
    size_t sent = 0;
    int64_t startMs = 0;
  };

  void Receive(int64_t nowMs);
  void Answer(const std::vector<std::vector<uint8_t>>& frames, int64_t nowMs);
  bool Send(int64_t nowMs);
  int64_t NextWakeMs(int64_t nowMs) const;

  SimulatedBus& bus_;
  Clock& clock_;
  int baud_;
  FrameAssembler assembler_;
  int master_ = -1;
  int slave_ = -1;  // kept open so the master never sees a hang-up between clients
  std::string terminal_;
  std::string link_;
  std::deque<Outgoing> outgoing_;
};

}  // namespace zul
