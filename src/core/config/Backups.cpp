#include "core/config/Backups.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <regex>
#include <system_error>
#include <vector>

#include "core/Interaction.h"
#include "core/config/Configuration.h"
#include "core/config/ReadConfiguration.h"
#include "core/config/ZulFile.h"
#include "core/link/ModbusLink.h"
#include "core/platform/Platform.h"

namespace zul {
namespace {

std::vector<std::filesystem::path> BackupsIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (entry.is_regular_file(ec) && IsBackupFileName(entry.path().filename().string()))
      files.push_back(entry.path());
  }
  // The names are timestamps, so their order is the order in time.
  std::sort(files.begin(), files.end());
  return files;
}

std::tm LocalNow() { return platform::LocalTime(std::time(nullptr)); }

}  // namespace

bool IsBackupFileName(const std::string& name) {
  static const std::regex pattern(R"(\d{4}-\d{2}-\d{2}_\d{2}-\d{2}-\d{2}(_\d+)?\.zul)");
  return std::regex_match(name, pattern);
}

std::filesystem::path BackupFolder(const std::filesystem::path& root, int deviceIndex) {
  return root / std::to_string(deviceIndex + 1);
}

std::string BackupFileName(const std::tm& local) {
  char name[40];
  std::strftime(name, sizeof name, "%Y-%m-%d_%H-%M-%S.zul", &local);
  return name;
}

bool PrepareBackupFolder(const std::filesystem::path& folder, std::string& reason) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec || !std::filesystem::is_directory(folder)) {
    reason = folder.string() + ": " + (ec ? ec.message() : "not a folder");
    return false;
  }
  const std::filesystem::path probe = folder / ".write-test";
  {
    std::ofstream out(probe, std::ios::binary);
    out << 'x';
    if (!out.flush()) {
      reason = folder.string() + ": " + std::make_error_code(std::errc::permission_denied).message();
      return false;
    }
  }
  std::filesystem::remove(probe, ec);
  return true;
}

std::filesystem::path SaveBackup(const std::filesystem::path& folder, const Configuration& config,
                                 const std::tm& local, std::string& reason) {
  const std::string name = BackupFileName(local);
  std::filesystem::path path = folder / name;
  const std::string stem = name.substr(0, name.size() - 4);
  for (int n = 2; std::filesystem::exists(path); ++n)
    path = folder / (stem + "_" + std::to_string(n) + ".zul");
  if (!WriteFileReplacing(path, ZulFileBytes(config))) {
    reason = path.string();
    return {};
  }
  return path;
}

int PruneBackups(const std::filesystem::path& folder, int keep) {
  const auto files = BackupsIn(folder);
  int removed = 0;
  std::error_code ec;
  for (size_t i = 0; i + static_cast<size_t>(std::max(keep, 0)) < files.size(); ++i)
    if (std::filesystem::remove(files[i], ec)) ++removed;
  return removed;
}

BackupOutcome BackupBeforeWrite(ModbusLink& port, int deviceIndex, const std::filesystem::path& root,
                                Interaction& ui) {
  BackupOutcome outcome;
  const std::filesystem::path folder = BackupFolder(root, deviceIndex);
  if (!PrepareBackupFolder(folder, outcome.reason)) {
    ui.Show(kBackupCaption, kBackupFolderFailedText + outcome.reason, Icon::Error);
    return outcome;
  }
  auto device = std::make_shared<Configuration>();
  device->service.CurrentDevice = deviceIndex;
  const ReadResult read = ReadConfiguration(port, *device, ui);
  if (!read.ok) {
    outcome.reason = read.Describe();
    const Answer a =
        ui.Ask(Message{kBackupCaption, kBackupReadFailedText, Icon::Question, Buttons::YesNo, Answer::No});
    outcome.mayWrite = a == Answer::Yes;
    return outcome;
  }
  outcome.path = SaveBackup(folder, *device, LocalNow(), outcome.reason);
  if (outcome.path.empty()) {
    ui.Show(kBackupCaption, kBackupSaveFailedText + outcome.reason, Icon::Error);
    return outcome;
  }
  outcome.saved = true;
  outcome.mayWrite = true;
  outcome.device = device;
  PruneBackups(folder);
  return outcome;
}

}  // namespace zul
