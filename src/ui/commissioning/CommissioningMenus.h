#pragma once
// The commissioning commands of the main window: in the Файл menu the recent
// files and the backups, in the Порт menu the compare, the traffic monitor and
// the line scan. Their windows are made when first asked for.
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

#include "ui/commissioning/ControllerAccess.h"

class QAction;
class QMenu;

namespace zul {

class MainWindow;
class CompareWindow;
class TrafficMonitor;
class FrameTap;
class LineScanDialog;

class CommissioningMenus : public QObject {
  Q_OBJECT
 public:
  explicit CommissioningMenus(MainWindow& form);

  void openCompareWindow();
  void openTrafficMonitor();
  void openLineScan();
  void openBackup();
  void openRecentFile(const QString& path);

  // The backup step of F10: `write` follows when it may, `otherwise` when not.
  void BackupBeforeWrite(std::function<void()> write, std::function<void()> otherwise);
  // A file opened (F3, a recent file, the command line) heads the recent list.
  void RememberFile(const QString& path);
  QStringList RecentFiles() const;
  // The link's result code of the last exchange's answer; -1 before any.
  int LastExchangeResult() const;
  void ForgetFile(const QString& path);

  QAction* ACompare;
  QAction* AMonitor;
  QAction* AScan;
  QAction* AOpenBackup;
  QMenu* MenuRecent;

  CompareWindow* compareWindow = nullptr;
  TrafficMonitor* trafficMonitor = nullptr;
  LineScanDialog* lineScanDialog = nullptr;

  static constexpr int kRecentFiles = 8;

 private:
  ControllerAccess Access() const;
  void FillRecentMenu();

  MainWindow& form_;
  // The link's one frame observer, set before any exchange can run.
  std::shared_ptr<FrameTap> frameTap_;
};

}  // namespace zul
