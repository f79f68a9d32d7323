#include "serial/TcpLine.h"

#include <QElapsedTimer>
#include <algorithm>

#include "core/link/ModbusLink.h"
#include "core/link/NetworkPort.h"
#include "serial/ReadWithLimits.h"

namespace zul {

void TcpLine::SetPortName(const std::string& name) {
  const auto parsed = ParseNetworkPortName(name);
  host_ = parsed ? parsed->host : std::string();
  port_ = parsed ? static_cast<quint16>(parsed->port) : 0;
}

void TcpLine::NoteFailure(const char* what) {
  reason_ = std::string(what) + " " + host_ + ":" + std::to_string(port_) + ": " +
            socket_.errorString().toStdString();
}

bool TcpLine::Connect() {
  socket_.abort();
  if (host_.empty() || port_ == 0) {
    reason_ = "no host and port";
    return false;
  }
  socket_.connectToHost(QString::fromStdString(host_), port_);
  if (!socket_.waitForConnected(kConnectTimeoutMs)) {
    NoteFailure("cannot connect to");
    socket_.abort();
    return false;
  }
  // Requests are small and each waits for its answer: no Nagle delay.
  socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
  reason_.clear();
  return true;
}

bool TcpLine::Open() {
  open_ = Connect();
  return open_;
}

bool TcpLine::Close() {
  socket_.abort();
  open_ = false;
  return true;
}

bool TcpLine::Purge() {
  if (!open_) return false;
  if (Connected()) {
    socket_.waitForReadyRead(0);  // whatever the system has already received
    socket_.readAll();
  }
  return true;
}

bool TcpLine::Write(std::span<const uint8_t> bytes) {
  if (!open_) return false;
  if (!Connected() && !Connect()) return false;
  const qint64 count = static_cast<qint64>(bytes.size());
  if (socket_.write(reinterpret_cast<const char*>(bytes.data()), count) != count) {
    NoteFailure("cannot send to");
    return false;
  }
  QElapsedTimer timer;
  timer.start();
  while (socket_.bytesToWrite() > 0) {
    if (!socket_.waitForBytesWritten(5000) && (!Connected() || timer.elapsed() >= 5000)) {
      NoteFailure("cannot send to");
      return false;
    }
  }
  return true;
}

int TcpLine::Read(std::span<uint8_t> buffer, int byteTimeoutMs, bool answerBegun) {
  if (!open_) return -kResultPortClosed;
  const ReadLimits limits{ReadTotalTimeoutMs(buffer.size()), byteTimeoutMs, answerBegun, answerLimitMs_};
  return ReadWithLimits(socket_, buffer, limits, [this] {
    if (Connected()) return LineState::Fine;
    // The other end closed or the network failed: the try ends with what
    // came, and the next request connects again.
    NoteFailure("connection lost to");
    return LineState::Lost;
  });
}

}  // namespace zul
