#include "core/platform/Platform.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <climits>

namespace zul::platform {

bool WriteSynced(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  const int fd =
      ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
  if (fd < 0) return false;
  size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    const size_t left = bytes.size() - done;
    const unsigned chunk = left > INT_MAX ? INT_MAX : static_cast<unsigned>(left);
    const int n = ::_write(fd, bytes.data() + done, chunk);
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = ok && ::_commit(fd) == 0;  // FlushFileBuffers underneath
  ok = ::_close(fd) == 0 && ok;
  return ok;
}

// A rename on Windows is flushed with the file system's own journal.
bool SyncFolder(const std::filesystem::path&) { return true; }

std::tm LocalTime(std::time_t t) {
  std::tm local{};
  localtime_s(&local, &t);
  return local;
}

}  // namespace zul::platform
