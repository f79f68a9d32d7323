#pragma once
// Serves a SimulatedBus on a TCP port of the loopback address, as a serial
// device server in raw TCP mode does (RTU frames, checksums included) or as a
// Modbus TCP gateway (MBAP frames, unit id = controller address, answers of
// every controller on the bus). Several connections may be open; each is cut
// into frames on its own. Answers leave after their fault delay, unpaced.
#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/link/Clock.h"
#include "sim/FrameAssembler.h"
#include "sim/SimulatedBus.h"

namespace zul {

class TcpServer {
 public:
  TcpServer(SimulatedBus& bus, Clock& clock, bool modbusTcp, int gapMs)
      : bus_(bus), clock_(clock), modbusTcp_(modbusTcp), gapMs_(gapMs) {}
  ~TcpServer() { Close(); }
  TcpServer(const TcpServer&) = delete;
  TcpServer& operator=(const TcpServer&) = delete;

  // Listens on 127.0.0.1:port (0: a free port the system picks).
  bool Open(int port, std::string* error);
  // Serves until stopFd becomes readable. False on a failure of the listening socket.
  bool Serve(int stopFd, std::string* error);
  void Close();

  int Port() const { return port_; }
  // The port name the programmer opens: tcp://127.0.0.1:PORT or mbtcp://...
  std::string PortName() const;

  // The server closes the connection instead of answering these requests
  // (counted over all connections from 1); the request is acted on first,
  // as a line cut just after the controller heard it.
  void SetHangUpRequests(std::set<int> numbers) { hangUp_ = std::move(numbers); }

 private:
  struct Outgoing {
    std::vector<uint8_t> bytes;
    size_t sent = 0;
    int64_t startMs = 0;
  };
  struct Connection {
    int fd = -1;
    FrameAssembler assembler;
    std::vector<uint8_t> pending;  // MBAP bytes not yet a whole frame
    std::deque<Outgoing> outgoing;
    bool closing = false;
  };

  void Accept();
  void Receive(Connection& c, int64_t nowMs);
  void Answer(Connection& c, const std::vector<uint8_t>& rtu, uint16_t transaction, int64_t nowMs);
  void Send(Connection& c, int64_t nowMs);
  int64_t NextWakeMs(int64_t nowMs) const;

  SimulatedBus& bus_;
  Clock& clock_;
  bool modbusTcp_;
  int gapMs_;
  int listen_ = -1;
  int port_ = 0;
  int requests_ = 0;
  std::set<int> hangUp_;
  std::vector<std::unique_ptr<Connection>> connections_;
};

}  // namespace zul
