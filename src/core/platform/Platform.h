#pragma once
// The little the core needs of the operating system beyond the standard
// library. One implementation per system: posix/ and windows/ beside this file.
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <span>

namespace zul::platform {

// Creates `path` (it must not exist) with `bytes` and flushes it to the disk.
bool WriteSynced(const std::filesystem::path& path, std::span<const uint8_t> bytes);

// Flushes a folder's entries (a rename in it) to the disk; true where the
// system has nothing to flush.
bool SyncFolder(const std::filesystem::path& folder);

// The broken-down local time of `t`, safe to call from any thread.
std::tm LocalTime(std::time_t t);

}  // namespace zul::platform
