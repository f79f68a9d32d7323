#pragma once
// Backups before a write: the controller's configuration as it was, read just
// before the write and kept as <root>/<device>/<yyyy-mm-dd_hh-mm-ss>.zul; the
// newest ones per device are kept, older ones removed.
//
// Usage (GUI and CLI alike):
//   BackupOutcome b = BackupBeforeWrite(port, deviceIndex, root, ui);
//   if (!b.mayWrite) stop;   // the folder failed, or the user declined
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

namespace zul {

class Interaction;
class ModbusLink;
struct Configuration;

inline constexpr int kBackupsKept = 50;

inline constexpr const char* kBackupCaption = "Резервная копия";
inline constexpr const char* kBackupReadFailedText =
    "Не удалось прочитать конфигурацию прибора\nдля резервной копии.\nЗаписать в прибор без резервной копии?";
inline constexpr const char* kBackupFolderFailedText = "Папка резервных копий недоступна для записи:\n";
inline constexpr const char* kBackupSaveFailedText = "Резервную копию не удалось сохранить:\n";

// <root>/<device number>
std::filesystem::path BackupFolder(const std::filesystem::path& root, int deviceIndex);
// "2026-12-10_13-52-03.zul"
std::string BackupFileName(const std::tm& local);
// Whether a file name is one SaveBackup gives ("...03.zul", "...03_2.zul"):
// pruning removes these and nothing else, whatever else the folder holds.
bool IsBackupFileName(const std::string& name);
// Creates the folder when needed and proves that a file can be written in it;
// false with the reason otherwise.
bool PrepareBackupFolder(const std::filesystem::path& folder, std::string& reason);
// Writes the configuration as a new file in the folder (never over an older
// backup of the same second); the path written, or empty with the reason.
std::filesystem::path SaveBackup(const std::filesystem::path& folder, const Configuration& config,
                                 const std::tm& local, std::string& reason);
// Removes all but the newest `keep` backups of the folder; returns how many went.
int PruneBackups(const std::filesystem::path& folder, int keep = kBackupsKept);

struct BackupOutcome {
  bool mayWrite = false;  // false: send nothing
  bool saved = false;
  std::filesystem::path path;             // the backup written
  std::string reason;                     // why not, when not saved
  std::shared_ptr<Configuration> device;  // what the controller held, when it was read
};
// The whole step before a write: folder check (before anything is sent),
// read of the device, save, pruning. A failed read asks whether to write
// without a backup.
BackupOutcome BackupBeforeWrite(ModbusLink& port, int deviceIndex, const std::filesystem::path& root,
                                Interaction& ui);

}  // namespace zul
