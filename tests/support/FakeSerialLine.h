#pragma once
// Fake serial line shared by every link test. Contract:
// - each Write() consumes the next scripted reply (none queued = silence) and
//   makes its bytes readable; every written frame is recorded;
// - Read() hands out what is readable; when it runs short it advances the
//   virtual clock by the time-out a real port would wait (whole read time-out
//   when nothing came, the inter-byte time-out after some bytes);
// - Purge() discards unread bytes;
// - failures are injected per operation: open, close, purge, write, read
//   (a negative read result).
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/link/Clock.h"
#include "core/link/SerialLine.h"

namespace zul::test {

using Bytes = std::vector<uint8_t>;

// A frame with its CRC appended.
Bytes WithCrc(Bytes frame);

class FakeSerialLine : public SerialLine {
 public:
  explicit FakeSerialLine(VirtualClock* clock = nullptr) : clock_(clock) {}

  // Scripted replies, one per write, in order.
  void QueueReply(Bytes raw) { replies_.push_back(std::move(raw)); }
  void QueueFrame(Bytes frameWithoutCrc) { QueueReply(WithCrc(std::move(frameWithoutCrc))); }
  void QueueSilence() { replies_.push_back({}); }
  size_t PendingReplies() const { return replies_.size(); }

  bool failOpen = false;
  bool failClose = false;
  bool failPurge = false;
  bool failWrite = false;
  int readError = 0;  // when non-zero, Read() returns it
  std::vector<std::string> ports;

  const std::vector<Bytes>& Written() const { return written_; }
  int Purges() const { return purges_; }

  // Settings last handed over.
  std::string portName;
  int baud = 0;
  Parity parity = Parity::None;
  int stopBits = 0;

  void SetPortName(const std::string& name) override { portName = name; }
  void SetBaudRate(int b) override { baud = b; }
  void SetParity(Parity p) override { parity = p; }
  void SetStopBits(int s) override { stopBits = s; }
  bool Open() override;
  bool Close() override;
  bool IsOpen() const override { return open_; }
  bool Purge() override;
  bool Write(std::span<const uint8_t> bytes) override;
  using SerialLine::Read;
  int Read(std::span<uint8_t> buffer, int byteTimeoutMs, bool answerBegun) override;
  std::vector<std::string> AvailablePorts() const override { return ports; }

  void ForceOpen(bool open) { open_ = open; }

 private:
  VirtualClock* clock_;
  bool open_ = false;
  std::deque<Bytes> replies_;
  std::deque<uint8_t> input_;
  std::vector<Bytes> written_;
  int purges_ = 0;
};

}  // namespace zul::test
