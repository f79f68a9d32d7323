#pragma once
// What of an answer buffer a loader may take: address, function and byte
// count, then the data the byte count covers. Everything after the data (the
// checksum, a longer earlier answer) is cleared, so a loader that takes its
// bytes from fixed places finds zeros where the controller sent nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zul {

inline constexpr size_t kAnswerHeadSize = 3;  // address, function, byte count

inline void ClearPastData(std::span<uint8_t> answer) {
  if (answer.size() < kAnswerHeadSize) return;
  const size_t end = std::min(answer.size(), kAnswerHeadSize + answer[2]);
  std::fill(answer.begin() + static_cast<std::ptrdiff_t>(end), answer.end(), uint8_t{0});
}

// A block answer (function 68) that carries block bytes, not only the
// block number. Call after ClearPastData: a loader then sees only data or zeros.
inline bool CarriesBlockBytes(std::span<const uint8_t> answer) {
  return answer.size() > kAnswerHeadSize && answer[2] >= 2;
}

}  // namespace zul
