#include "core/config/DurableFile.h"

#include <cerrno>
#include <fstream>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zul {

namespace {

std::string TemporaryPrefix(const std::filesystem::path& target) {
  return "." + target.filename().string() + ".";
}

constexpr std::string_view kTemporarySuffix = ".tmp";

std::filesystem::path FolderOf(const std::filesystem::path& target) {
  return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

}  // namespace

std::filesystem::path TemporaryFileFor(const std::filesystem::path& target, uint64_t number) {
  return FolderOf(target) /
         (TemporaryPrefix(target) + std::to_string(number) + std::string(kTemporarySuffix));
}

bool IsTemporaryFileOf(const std::filesystem::path& candidate, const std::filesystem::path& target) {
  const std::string name = candidate.filename().string();
  const std::string prefix = TemporaryPrefix(target);
  if (name.size() <= prefix.size() + kTemporarySuffix.size()) return false;
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  if (name.compare(name.size() - kTemporarySuffix.size(), kTemporarySuffix.size(), kTemporarySuffix) != 0)
    return false;
  const std::string middle =
      name.substr(prefix.size(), name.size() - prefix.size() - kTemporarySuffix.size());
  return middle.find_first_not_of("0123456789") == std::string::npos;
}

void RemoveLeftoverTemporaries(const std::filesystem::path& target) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(FolderOf(target), ec);
  if (ec) return;
  for (const fs::directory_entry& entry : it) {
    if (!IsTemporaryFileOf(entry.path(), target)) continue;
    if (!entry.is_regular_file(ec)) continue;
    fs::remove(entry.path(), ec);  // what cannot be removed is left for a later save
  }
}

#ifndef _WIN32

bool WriteSynced(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  return ok;
}

bool SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

#else

bool WriteSynced(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  return static_cast<bool>(out);
}

bool SyncFolder(const std::filesystem::path&) { return true; }

#endif

}  // namespace zul
