#include "core/config/AccessLevel.h"

#include <fstream>
#include <system_error>

namespace zul {

namespace fs = std::filesystem;

fs::path PasswordFileLocation(const fs::path& workDir, bool workDirWritable, const fs::path& fallbackDir) {
  const fs::path inWorkDir = workDir / kPasswordFileName;
  std::error_code ec;
  if (workDirWritable || fs::exists(inWorkDir, ec)) return inWorkDir;
  return fallbackDir / kPasswordFileName;
}

std::optional<uint16_t> ReadPasswordFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  unsigned char bytes[2] = {0, 0};
  in.read(reinterpret_cast<char*>(bytes), 2);
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::string ValidPassword(const fs::path& file) {
  if (auto stored = ReadPasswordFile(file)) return std::to_string(*stored);
  return std::string(kMasterPassword);
}

bool IsPasswordAccepted(std::string_view typed, const fs::path& file) {
  return typed.empty() || typed == ValidPassword(file);
}

int AccessLevelFor(std::string_view typed, const fs::path& file) {
  return !typed.empty() && typed == ValidPassword(file) ? kFullAccess : kViewingAccess;
}

namespace {

// 0..65535 from a text of digits; nullopt for anything else.
std::optional<uint16_t> ParsePassword(std::string_view typed) {
  if (typed.empty() || typed.size() > 5) return std::nullopt;
  unsigned value = 0;
  for (char c : typed) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > 0xFFFF) return std::nullopt;
  return static_cast<uint16_t>(value);
}

bool WriteWhole(const fs::path& file, uint16_t value) {
  fs::path temp = file;
  temp += ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
    out.write(bytes, 2);
    out.close();
    if (!out) {
      std::error_code ec;
      fs::remove(temp, ec);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temp, file, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace

PasswordChange ChangePassword(std::string_view typed, const fs::path& file) {
  if (typed.empty()) return PasswordChange::Empty;
  auto value = ParsePassword(typed);
  if (!value) return PasswordChange::OutOfRange;
  return WriteWhole(file, *value) ? PasswordChange::Changed : PasswordChange::CannotCreate;
}

PasswordChangeReport ReportOf(PasswordChange outcome) {
  switch (outcome) {
    case PasswordChange::Changed:
      return {"Пароль заменен!", ""};
    case PasswordChange::Empty:
      return {"Будьте внимательнее при вводе", "Пароль не заменен"};
    case PasswordChange::OutOfRange:
      return {"Введите число не более 65535", "Пароль не заменен"};
    case PasswordChange::CannotCreate:
      return {"Файл не удается создать", ""};
  }
  return {};
}

}  // namespace zul
