#pragma once
// What the commissioning windows need of the main window: the link, the
// configuration in memory, the messages, the link worker, and
// where backups go (empty: none are made).
#include <QString>
#include <functional>

class QWidget;

namespace zul {

class LinkWorker;
class Interaction;
class ModbusLink;
struct Configuration;

struct ControllerAccess {
  ModbusLink& link;
  Configuration& config;
  Interaction& ui;
  LinkWorker& worker;
  QString backupRoot;
  // A shorter answer time for scans (0: the link's own); none on lines without one.
  std::function<void(int ms)> setAnswerTimeLimit;
};

// The backup step of a write to the configuration's device, read on the link
// worker with its progress over `parent`; `write` follows only when the
// backup allows it, `otherwise` (if any) when it does not.
void BackupBeforeWriting(const ControllerAccess& access, QWidget* parent, std::function<void()> write,
                         std::function<void()> otherwise = {});

}  // namespace zul
