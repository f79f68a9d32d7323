#include "core/config/DurableFile.h"

#include <system_error>

#include "core/platform/Platform.h"

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

bool WriteSynced(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  return platform::WriteSynced(path, bytes);
}

bool SyncFolder(const std::filesystem::path& folder) { return platform::SyncFolder(folder); }

}  // namespace zul
