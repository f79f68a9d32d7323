#pragma once
// The two access levels and the numeric password that decides between them.
// The password lives in a 2-byte file (low byte first); while no file exists
// the master password opens full access.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zul {

inline constexpr std::string_view kMasterPassword = "8411";
inline constexpr const char* kPasswordFileName = "FParol.dat";
inline constexpr int kFullAccess = 1;
inline constexpr int kViewingAccess = 0;
inline constexpr int kPasswordMaxLength = 5;

inline constexpr const char* kNoWriteAccessText =
    "Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт";
inline constexpr const char* kNoPasswordChangeText = "Ваш уровень доступа не позволяет\nменять пароль";
inline constexpr const char* kWrongPasswordText = "Введенный пароль неверен";
inline constexpr const char* kNumericPasswordText = "Пароль - цифровой";
inline constexpr const char* kAskPasswordChangeText = "Будете менять пароль?";
inline constexpr const char* kAskPasswordChangeCaption = "Подтвердите замену пароля";

// Where the password file lives: the working directory; when that is not
// writable and holds no password file, the fallback directory (the one the
// configuration files are proposed in).
std::filesystem::path PasswordFileLocation(const std::filesystem::path& workDir, bool workDirWritable,
                                           const std::filesystem::path& fallbackDir);

// The stored password; nullopt when the file cannot be opened. A file shorter
// than 2 bytes reads its missing bytes as 0.
std::optional<uint16_t> ReadPasswordFile(const std::filesystem::path& file);

// The password that gives full access: the stored number in decimal without
// leading zeros when the file exists, the master password otherwise.
std::string ValidPassword(const std::filesystem::path& file);

// The dialog's verdict when it closes in checking mode: the valid password or
// an empty entry is accepted.
bool IsPasswordAccepted(std::string_view typed, const std::filesystem::path& file);

// Access level of an accepted entry: full for the valid password, viewing for
// an empty one (and for anything refused).
int AccessLevelFor(std::string_view typed, const std::filesystem::path& file);

// Outcome of the password change.
enum class PasswordChange { Changed, Empty, OutOfRange, CannotCreate };

// Checks the typed text and, when it is a number 0..65535, replaces the file
// (written beside it first and renamed, so a failure never leaves half a file).
PasswordChange ChangePassword(std::string_view typed, const std::filesystem::path& file);

// The information boxes that report a change, in order.
struct PasswordChangeReport {
  std::string first;
  std::string second;  // empty when there is only one
};
PasswordChangeReport ReportOf(PasswordChange outcome);

}  // namespace zul
