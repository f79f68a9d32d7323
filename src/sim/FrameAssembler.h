#pragma once
// Cuts a byte stream from a line into request frames. RTU's silent gaps
// cannot be trusted on a pseudo-terminal (bytes come in arbitrary chunks), so
// a frame ends as soon as it has the length its function code implies and its
// CRC matches there; a frame of unknown length, or whose CRC does not match
// at the expected length, ends after a gap of `gapMs` without bytes.
#include <cstdint>
#include <optional>
#include <vector>

namespace zul {

class FrameAssembler {
 public:
  explicit FrameAssembler(int gapMs = 30) : gapMs_(gapMs) {}

  // Bytes received at nowMs; returns the frames they complete.
  std::vector<std::vector<uint8_t>> Feed(const uint8_t* data, size_t count, int64_t nowMs);
  // Frames completed by the silence up to nowMs.
  std::vector<std::vector<uint8_t>> Tick(int64_t nowMs);
  // When Tick has something to do; nullopt while nothing is pending.
  std::optional<int64_t> Deadline() const;

  // Length of a request frame (CRC included) known from its first bytes; 0
  // when they do not tell (yet).
  static size_t ExpectedLength(const std::vector<uint8_t>& head);

 private:
  static constexpr size_t kMaxFrame = 3000;

  int gapMs_;
  std::vector<uint8_t> pending_;
  int64_t lastByteMs_ = 0;
};

}  // namespace zul
