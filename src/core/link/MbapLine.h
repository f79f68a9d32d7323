#pragma once
// A SerialLine that speaks Modbus TCP over another line carrying the byte
// stream (a TCP connection): each RTU frame the link writes leaves as one MBAP
// frame with the next transaction id, and the answer with that id comes back
// to the link as the RTU frame it stands for, checksum included. Answers to
// earlier transactions (late ones) are passed over.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/link/SerialLine.h"

namespace zul {

class MbapLine : public SerialLine {
 public:
  explicit MbapLine(SerialLine& stream) : stream_(stream) {}

  void SetPortName(const std::string& name) override { stream_.SetPortName(name); }
  void SetBaudRate(int baud) override { stream_.SetBaudRate(baud); }
  void SetParity(Parity parity) override { stream_.SetParity(parity); }
  void SetStopBits(int stopBits) override { stream_.SetStopBits(stopBits); }
  bool Open() override;
  bool Close() override { return stream_.Close(); }
  bool IsOpen() const override { return stream_.IsOpen(); }
  bool Purge() override;
  bool Write(std::span<const uint8_t> bytes) override;
  using SerialLine::Read;
  int Read(std::span<uint8_t> buffer, int byteTimeoutMs, bool answerBegun) override;
  std::vector<std::string> AvailablePorts() const override { return stream_.AvailablePorts(); }
  std::string FailureReason() const override { return stream_.FailureReason(); }

  uint16_t LastTransaction() const { return transaction_; }

  // The longest answer: 255 data bytes behind address, function and count.
  static constexpr size_t kMaxAnswerLength = 258;

 private:
  int ReceiveAnswer(int byteTimeoutMs, bool answerBegun);

  SerialLine& stream_;
  uint16_t transaction_ = 0;
  bool waiting_ = false;      // a request went out and its answer is not in yet
  std::vector<uint8_t> rtu_;  // the answer as an RTU frame
  size_t taken_ = 0;
};

}  // namespace zul
