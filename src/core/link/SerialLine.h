#pragma once
// The serial port as the link uses it: named, with baud rate, parity and stop
// bits (always 8 data bits, no flow control), and blocking reads under the
// read time-outs (a silence between bytes, 100 ms per requested byte + 1000 ms
// per read). Implementations: QtSerialLine (real ports and pseudo-terminals),
// SimulatedLine (an in-process controller), FakeSerialLine (tests).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zul {

enum class Parity { None, Odd, Even };

// Read time-outs every line implements.
inline constexpr int kInterByteTimeoutMs = 100;
inline constexpr int kPerByteTimeoutMs = 100;
inline constexpr int kPerReadTimeoutMs = 1000;
inline int ReadTotalTimeoutMs(size_t count) {
  return static_cast<int>(count) * kPerByteTimeoutMs + kPerReadTimeoutMs;
}

class SerialLine {
 public:
  virtual ~SerialLine() = default;

  virtual void SetPortName(const std::string& name) = 0;
  virtual void SetBaudRate(int baud) = 0;
  virtual void SetParity(Parity parity) = 0;
  virtual void SetStopBits(int stopBits) = 0;

  // false when the port cannot be opened / closed / purged.
  virtual bool Open() = 0;
  virtual bool Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual bool Purge() = 0;

  // Sends all bytes before returning; false on a port failure.
  virtual bool Write(std::span<const uint8_t> bytes) = 0;
  // Bytes received into buffer, 0..buffer.size(), under the read time-outs;
  // negative on a port failure. The silence that ends a read once bytes flow is byteTimeoutMs;
  // with answerBegun the read continues an answer already arriving, so that
  // silence ends it even before its first byte. The total time-out of the
  // read stays the upper bound either way.
  virtual int Read(std::span<uint8_t> buffer, int byteTimeoutMs, bool answerBegun) = 0;
  int Read(std::span<uint8_t> buffer) { return Read(buffer, kInterByteTimeoutMs, false); }

  // Names of the serial ports present in the system, in a stable order.
  virtual std::vector<std::string> AvailablePorts() const = 0;

  // The system's reason for the last failure to open, write or read, when
  // the line knows one (a network connection refused or dropped).
  virtual std::string FailureReason() const { return {}; }
};

}  // namespace zul
