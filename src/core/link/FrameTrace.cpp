#include "core/link/FrameTrace.h"

#include <cstdlib>
#include <cstring>

namespace zul {

FrameTrace::FrameTrace() {
  const char* target = std::getenv("ZUL_TRACE");
  if (!target || !*target || std::strcmp(target, "0") == 0) return;
  if (std::strcmp(target, "1") == 0) {
    out_ = stderr;
    return;
  }
  out_ = std::fopen(target, "a");
  ownsFile_ = out_ != nullptr;
}

FrameTrace::~FrameTrace() {
  if (ownsFile_) std::fclose(out_);
}

void FrameTrace::Write(int64_t timeMs, char direction, std::span<const uint8_t> bytes) {
  std::fprintf(out_, "%lld.%03lld %c", static_cast<long long>(timeMs / 1000),
               static_cast<long long>(timeMs % 1000), direction);
  for (uint8_t byte : bytes) std::fprintf(out_, " %02X", byte);
  std::fputc('\n', out_);
  std::fflush(out_);
}

}  // namespace zul
