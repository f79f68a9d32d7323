#pragma once
// What the commissioning windows need of the main window: the link, the
// configuration in memory, the messages, the one-exchange-at-a-time gate, and
// where backups go (empty: none are made).
#include <QString>
#include <functional>

class QWidget;

namespace zul {

class ExchangeGate;
class Interaction;
class ModbusLink;
struct Configuration;

struct ControllerAccess {
  ModbusLink& link;
  Configuration& config;
  Interaction& ui;
  ExchangeGate& gate;
  QString backupRoot;
  // A shorter answer time for scans (0: the link's own); none on lines without one.
  std::function<void(int ms)> setAnswerTimeLimit;
};

// The backup step of a write to the configuration's device, read off the UI
// thread with its progress over `parent`; false: send nothing.
bool BackupBeforeWriting(const ControllerAccess& access, QWidget* parent);

}  // namespace zul
