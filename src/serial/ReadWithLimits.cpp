#include "serial/ReadWithLimits.h"

#include <QElapsedTimer>
#include <algorithm>

#include "core/link/ModbusLink.h"

namespace zul {

int ReadWithLimits(QIODevice& device, std::span<uint8_t> buffer, const ReadLimits& limits,
                   const std::function<LineState()>& state) {
  const size_t count = buffer.size();
  QElapsedTimer timer;
  timer.start();
  size_t got = 0;
  qint64 lastByteAt = 0;
  while (got < count) {
    if (device.bytesAvailable() > 0) {
      const qint64 n =
          device.read(reinterpret_cast<char*>(buffer.data() + got), static_cast<qint64>(count - got));
      if (n < 0) return -kResultPortFailure;
      got += static_cast<size_t>(n);
      lastByteAt = timer.elapsed();
      continue;
    }
    switch (state()) {
      case LineState::Fine:
        break;
      case LineState::Lost:
        return static_cast<int>(got);
      case LineState::Failed:
        return -kResultPortFailure;
    }
    qint64 waitMs = limits.totalMs - timer.elapsed();
    if (got > 0 || limits.answerBegun)
      waitMs = std::min(waitMs, limits.byteTimeoutMs - (timer.elapsed() - lastByteAt));
    if (got == 0 && limits.answerLimitMs > 0)
      waitMs = std::min(waitMs, limits.answerLimitMs - timer.elapsed());
    if (waitMs <= 0) break;
    device.waitForReadyRead(static_cast<int>(waitMs));
  }
  return static_cast<int>(got);
}

}  // namespace zul
