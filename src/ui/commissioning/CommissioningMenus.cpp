#include "ui/commissioning/CommissioningMenus.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <algorithm>

#include "ui/commissioning/CompareWindow.h"
#include "ui/commissioning/LineScanDialog.h"
#include "ui/commissioning/TrafficMonitor.h"
#include "ui/main/MainWindow.h"

namespace zul {
namespace {

constexpr const char* kRecentKey = "recentFiles";

QAction* NamedAction(QMenu* menu, const char* name, const QString& text) {
  QAction* a = menu->addAction(text);
  a->setObjectName(name);
  return a;
}

}  // namespace

CommissioningMenus::CommissioningMenus(MainWindow& form)
    : QObject(&form), form_(form), frameTap_(std::make_shared<FrameTap>()) {
  setObjectName("CommissioningMenus");
  form.link.SetFrameObserver(frameTap_.get());
  form.MenuPort->addSeparator();
  ACompare = NamedAction(form.MenuPort, "ACompare", "Сравнить с прибором");
  AMonitor = NamedAction(form.MenuPort, "AMonitor", "Монитор обмена");
  AScan = NamedAction(form.MenuPort, "AScan", "Поиск приборов на линии");
  connect(ACompare, &QAction::triggered, this, &CommissioningMenus::openCompareWindow);
  connect(AMonitor, &QAction::triggered, this, &CommissioningMenus::openTrafficMonitor);
  connect(AScan, &QAction::triggered, this, &CommissioningMenus::openLineScan);

  form.MenuFile->addSeparator();
  AOpenBackup = NamedAction(form.MenuFile, "AOpenBackup", "Открыть резервную копию…");
  connect(AOpenBackup, &QAction::triggered, this, &CommissioningMenus::openBackup);
  MenuRecent = form.MenuFile->addMenu("Недавние файлы");
  MenuRecent->setObjectName("MenuRecent");
  FillRecentMenu();
}

ControllerAccess CommissioningMenus::Access() const {
  return ControllerAccess{form_.link,
                          form_.config,
                          form_.UI(),
                          form_.Worker,
                          form_.Options().backupRoot,
                          form_.Options().answerTimeLimit};
}

void CommissioningMenus::BackupBeforeWrite(std::function<void()> write, std::function<void()> otherwise) {
  BackupBeforeWriting(Access(), &form_, std::move(write), std::move(otherwise));
}

void CommissioningMenus::openCompareWindow() {
  form_.service.CurrentDevice = form_.CBoxUstr->currentIndex();
  if (!compareWindow) compareWindow = new CompareWindow(Access(), &form_);
  compareWindow->show();
  compareWindow->raise();
  compareWindow->compareNow();
}

void CommissioningMenus::openTrafficMonitor() {
  if (!trafficMonitor) {
    trafficMonitor = new TrafficMonitor(frameTap_, &form_);
    form_.addDockWidget(Qt::BottomDockWidgetArea, trafficMonitor);
    // A third of the window: the frames readable, the module table still in sight.
    form_.resizeDocks({trafficMonitor}, {std::max(200, form_.height() / 3)}, Qt::Vertical);
  }
  trafficMonitor->show();
  trafficMonitor->raise();
}

int CommissioningMenus::LastExchangeResult() const { return frameTap_->LastResult(); }

void CommissioningMenus::openLineScan() {
  if (!lineScanDialog) {
    lineScanDialog = new LineScanDialog(
        Access(),
        [this](int device) {
          // As if chosen in "Устр. №": every window talks to this controller now.
          form_.CBoxUstr->setCurrentIndex(device);
          form_.onDeviceChosen(device);
        },
        &form_);
  }
  lineScanDialog->show();
  lineScanDialog->raise();
}

void CommissioningMenus::openBackup() {
  const QString root = form_.Options().backupRoot;
  QString start = root;
  const QString device = QDir(root).filePath(QString::number(form_.CBoxUstr->currentIndex() + 1));
  if (QFileInfo(device).isDir()) start = device;
  const QString path = form_.ChooseFile({false, "Открыть резервную копию", QString(), start});
  if (!path.isEmpty()) openRecentFile(path);
}

void CommissioningMenus::openRecentFile(const QString& path) {
  // A file moved or deleted since: the user learns which, and the list forgets it.
  if (!QFileInfo(path).isFile()) {
    ForgetFile(path);
    form_.UI().Show("Недавние файлы", ("Файл не найден:\n" + QDir::toNativeSeparators(path)).toStdString(),
                    Icon::Warning);
    return;
  }
  // Opened as F3 opens a file, without its dialog.
  form_.FileName = path;
  form_.service.ReopenFile = 1;
  form_.openConfigurationFile();
}

QStringList CommissioningMenus::RecentFiles() const { return QSettings().value(kRecentKey).toStringList(); }

void CommissioningMenus::RememberFile(const QString& path) {
  QStringList files = RecentFiles();
  const QString full = QFileInfo(path).absoluteFilePath();
  files.removeAll(full);
  files.prepend(full);
  while (files.size() > kRecentFiles) files.removeLast();
  QSettings().setValue(kRecentKey, files);
  FillRecentMenu();
}

void CommissioningMenus::ForgetFile(const QString& path) {
  QStringList files = RecentFiles();
  if (files.removeAll(QFileInfo(path).absoluteFilePath()) + files.removeAll(path) == 0) return;
  QSettings().setValue(kRecentKey, files);
  FillRecentMenu();
}

void CommissioningMenus::FillRecentMenu() {
  MenuRecent->clear();
  const QStringList files = RecentFiles();
  for (int i = 0; i < files.size(); ++i) {
    QAction* a = MenuRecent->addAction(QString("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(files[i])));
    const QString path = files[i];
    connect(a, &QAction::triggered, this, [this, path] { openRecentFile(path); });
  }
  MenuRecent->setEnabled(!files.isEmpty());
}

}  // namespace zul
