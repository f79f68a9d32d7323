#pragma once
// The SerialLine over QSerialPort: real ports and pseudo-terminals; a
// network port name (tcp://, mbtcp://) turns it into a TcpLine, under
// MbapLine for Modbus TCP. Used without an event loop: reads and writes block
// on waitFor...() under the link's read time-outs.
#include <QSerialPort>

#include "core/link/MbapLine.h"
#include "core/link/SerialLine.h"
#include "serial/TcpLine.h"

namespace zul {

class QtSerialLine : public SerialLine {
 public:
  QtSerialLine();
  ~QtSerialLine() override;

  void SetPortName(const std::string& name) override;
  void SetBaudRate(int baud) override;
  void SetParity(Parity parity) override;
  void SetStopBits(int stopBits) override;

  bool Open() override;
  bool Close() override;
  bool IsOpen() const override;
  bool Purge() override;
  bool Write(std::span<const uint8_t> bytes) override;
  using SerialLine::Read;
  int Read(std::span<uint8_t> buffer, int byteTimeoutMs, bool answerBegun) override;
  std::vector<std::string> AvailablePorts() const override;
  std::string FailureReason() const override { return network_ ? network_->FailureReason() : std::string(); }

  // The Qt object the port lives in (the socket with it); an exchange on another thread moves it there.
  QObject* ThreadObject() { return &port_; }
  // A shorter wait for answers than the link's read time-outs (a line scan
  // asks addresses where nobody may answer); 0 restores them.
  void SetAnswerTimeLimitMs(int ms) {
    answerLimitMs_ = ms;
    tcp_.SetAnswerTimeLimitMs(ms);
  }
  // The system's reason for the last failure (an open that failed, say).
  QString ErrorString() const { return port_.errorString(); }

  // The system's serial port names, sorted so that the order is stable.
  static std::vector<std::string> ListPorts();

 private:
  bool Failed() const;
  QSerialPort port_;
  TcpLine tcp_;  // its socket is the port's child, so it moves threads with it
  MbapLine mbap_{tcp_};
  SerialLine* network_ = nullptr;  // tcp_ or mbap_ while a network name is set
  int answerLimitMs_ = 0;
};

}  // namespace zul
