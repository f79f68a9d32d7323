#pragma once
// The read of an answer over a Qt device, shared by the serial port and the
// network lines: the whole read, the gap between bytes and the wait for the
// first byte each end it.
#include <QIODevice>
#include <cstdint>
#include <functional>
#include <span>

namespace zul {

struct ReadLimits {
  qint64 totalMs = 0;     // the whole answer
  int byteTimeoutMs = 0;  // silence after a byte (or once the answer has begun)
  bool answerBegun = false;
  int answerLimitMs = 0;  // the first byte; 0: no separate limit
};

enum class LineState { Fine, Lost, Failed };

// Reads into `buffer` until it is full or a limit passes; `state` is asked
// before each wait: Lost ends the read with what came, Failed (or a read the
// device refuses) gives -kResultPortFailure. Returns the bytes read.
int ReadWithLimits(QIODevice& device, std::span<uint8_t> buffer, const ReadLimits& limits,
                   const std::function<LineState()>& state);

}  // namespace zul
