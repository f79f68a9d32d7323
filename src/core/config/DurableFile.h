#pragma once
// Pieces of a save that survives a crash or a power cut: the new bytes reach
// the disk before they replace the old file, and a save that was killed half
// way leaves nothing behind that the next save does not clear.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace zul {

// Temporary files of saves of `target` are named ".NAME.<number>.tmp" beside it.
std::filesystem::path TemporaryFileFor(const std::filesystem::path& target, uint64_t number);
bool IsTemporaryFileOf(const std::filesystem::path& candidate, const std::filesystem::path& target);

// Removes what earlier, interrupted saves of `target` left in its folder.
void RemoveLeftoverTemporaries(const std::filesystem::path& target);

// Creates `path` (it must not exist) with `bytes` and flushes it to the disk.
bool WriteSynced(const std::filesystem::path& path, std::span<const uint8_t> bytes);

// Flushes a folder's entries (a rename in it) to the disk; true where the
// platform has nothing to flush.
bool SyncFolder(const std::filesystem::path& folder);

}  // namespace zul
