#pragma once
// The byte stream of a TCP connection as a SerialLine: a serial device server
// in raw TCP mode, or (under MbapLine) a Modbus TCP gateway. Baud rate,
// parity and stop bits belong to the device server's own port and are
// ignored here; nothing is paced. Open connects; a connection that has
// dropped is made again once when the next request is written, and the
// system's reason is kept for the message.
#include <QTcpSocket>

#include "core/link/SerialLine.h"

namespace zul {

class TcpLine : public SerialLine {
 public:
  TcpLine() = default;
  ~TcpLine() override { socket_.abort(); }

  void SetPortName(const std::string& name) override;
  void SetBaudRate(int) override {}
  void SetParity(Parity) override {}
  void SetStopBits(int) override {}

  bool Open() override;
  bool Close() override;
  bool IsOpen() const override { return open_; }
  bool Purge() override;
  bool Write(std::span<const uint8_t> bytes) override;
  using SerialLine::Read;
  int Read(std::span<uint8_t> buffer, int byteTimeoutMs, bool answerBegun) override;
  std::vector<std::string> AvailablePorts() const override { return {}; }
  std::string FailureReason() const override { return reason_; }

  QObject* ThreadObject() { return &socket_; }
  void SetAnswerTimeLimitMs(int ms) { answerLimitMs_ = ms; }

  // How long a connection may take to be made.
  static constexpr int kConnectTimeoutMs = 3000;

 private:
  bool Connect();
  bool Connected() const { return socket_.state() == QAbstractSocket::ConnectedState; }
  void NoteFailure(const char* what);

  QTcpSocket socket_;
  std::string host_;
  quint16 port_ = 0;
  bool open_ = false;
  std::string reason_;
  int answerLimitMs_ = 0;
};

}  // namespace zul
