#include "cli/WriteSteps.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "cli/Command.h"
#include "core/Interaction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Backups.h"
#include "core/config/Configuration.h"
#include "core/config/ConfigurationCompare.h"
#include "core/config/ControllerImage.h"
#include "core/config/ReadConfiguration.h"
#include "serial/DataFolders.h"

namespace zul::cli {

void AddWriteStepOptions(QCommandLineParser& parser) {
  parser.addOptions({
      {"backup-dir", "Folder of the backups read before the write (default <data dir>/zulprog/backups).",
       "DIR"},
      {"no-backup", "Write without reading a backup first (default: a backup is read and kept)."},
      {"only-changed", "Read the device and write only the blocks that differ (default: every block)."},
  });
}

std::optional<int> PrepareWrite(const QCommandLineParser& parser, ModbusLink& port,
                                const Configuration& config, Interaction& ui, BlockFilter* only) {
  // Without write access the write refuses anyway; read nothing for it.
  if (config.discreteProcessing.AccessLevel != kFullAccess) return std::nullopt;
  const int device = config.service.CurrentDevice;  // the device checked and written
  std::shared_ptr<Configuration> held;
  if (!parser.isSet("no-backup")) {
    const QString root = parser.isSet("backup-dir") ? parser.value("backup-dir") : DefaultBackupRoot();
    const BackupOutcome backup = BackupBeforeWrite(port, device, root.toStdString(), ui);
    if (!backup.mayWrite) {
      std::fprintf(stderr, "не записано: нет резервной копии (%s)\n", backup.reason.c_str());
      return kExitFailure;
    }
    if (backup.saved) std::fprintf(stderr, "резервная копия: %s\n", backup.path.string().c_str());
    held = backup.device;
  }
  if (!parser.isSet("only-changed")) return std::nullopt;

  if (!held) {
    held = std::make_shared<Configuration>();
    held->service.CurrentDevice = device;
    const ReadResult read = ReadConfiguration(port, *held, ui);
    if (!read.ok) {
      std::fprintf(stderr, "не записано: %s\n", read.Describe().c_str());
      return kExitFailure;
    }
  }
  // Every byte of every block counts; exactly the blocks that differ are written.
  const std::vector<int> blocks = BlocksOf(CompareBlocks(EncodeBlocks(config), held->image.Blocks()));
  if (blocks.empty()) {
    std::printf("записывать нечего: в приборе конфигурация файла\n");
    return kExitOk;
  }
  for (const PartDescription& d : ConfigurationParts())
    if (std::any_of(blocks.begin(), blocks.end(), [&](int b) { return BlockBelongsTo(b, d.part, config); }))
      std::printf("изменено: %s (%s)\n", d.key, d.caption);
  *only = [blocks](int block) { return std::find(blocks.begin(), blocks.end(), block) != blocks.end(); };
  return std::nullopt;
}

void ReportSelectiveWrite(const QCommandLineParser& parser, const WriteResult& result) {
  // A write refused before it began (no access, a short file) stored nothing
  // and says so itself; an empty list would only look like a result.
  if (!parser.isSet("only-changed") || result.writtenBlocks.empty()) return;
  std::printf("записаны блоки:");
  for (int block : result.writtenBlocks) std::printf(" %d", block);
  std::printf("\n");
}

}  // namespace zul::cli
