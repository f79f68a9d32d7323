// The main window's parts every desktop program has: "Выход" in the file
// menu, "Справка" with "О программе", the status bar, the first screen's hint
// and the menus' Alt+letter mnemonics.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QSysInfo>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "ZulVersion.h"
#include "core/link/TrafficLog.h"
#include "ui/commissioning/CommissioningMenus.h"
#include "ui/main/MainWindow.h"
#include "ui/widgets/WindowHabits.h"

namespace zul {
namespace {

constexpr int kStatusRefreshMs = 300;

QLabel* StatusCell(QStatusBar* bar, const char* name) {
  auto* cell = new QLabel(bar);
  cell->setObjectName(name);
  cell->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  cell->setContentsMargins(4, 0, 4, 0);
  bar->addPermanentWidget(cell);
  return cell;
}

// Calls `changed` when the watched widget is enabled or disabled.
class EnabledWatch : public QObject {
 public:
  EnabledWatch(QWidget* watched, std::function<void()> changed)
      : QObject(watched), changed_(std::move(changed)) {
    watched->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::EnabledChange) changed_();
    return false;
  }

 private:
  std::function<void()> changed_;
};

// The user notes shipped with the package, or beside a build tree.
QString ReadmePath() {
  const QDir bin(QCoreApplication::applicationDirPath());
  for (const QString& candidate :
       {bin.filePath("../share/doc/zulprog/README.md"), bin.filePath("../../README.md")})
    if (QFileInfo(candidate).isFile()) return QFileInfo(candidate).canonicalFilePath();
  return {};
}

}  // namespace

void MainWindow::BuildChrome() {
  MenuFile->addSeparator();
  AExit = MenuFile->addAction("Выход", QKeySequence::Quit, this, &QWidget::close);
  AExit->setObjectName("AExit");
  MenuHelp = menuBar()->addMenu("Справка");
  MenuHelp->setObjectName("MenuHelp");
  AAbout = MenuHelp->addAction("О программе", this, &MainWindow::showAbout);
  AAbout->setObjectName("AAbout");
  GiveMnemonics(menuBar());

  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar");
  StatusHint = new QLabel("Начало работы: F9 — чтение конфигурации прибора, F3 — открыть файл", bar);
  StatusHint->setObjectName("StatusHint");
  // A narrow screen cuts the hint rather than widening the window.
  StatusHint->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  bar->addWidget(StatusHint, 1);
  StatusPort = StatusCell(bar, "StatusPort");
  StatusDevice = StatusCell(bar, "StatusDevice");
  StatusAccess = StatusCell(bar, "StatusAccess");
  StatusSource = StatusCell(bar, "StatusSource");
  StatusExchange = StatusCell(bar, "StatusExchange");
  ProgressBar1->setMaximumWidth(fontMetrics().averageCharWidth() * 30);
  bar->addPermanentWidget(ProgressBar1);
  ProgressBar1->hide();
  // The hint goes as soon as a configuration is there, not at the next poll.
  new EnabledWatch(InformBut, [this] { StatusHint->setVisible(!InformBut->isEnabled()); });
  // Polled: the states it shows change in many places, and the link's
  // settings may be read only while no exchange runs.
  auto* refresh = new QTimer(this);
  connect(refresh, &QTimer::timeout, this, &MainWindow::UpdateStatusBar);
  refresh->start(kStatusRefreshMs);
  UpdateStatusBar();
}

void MainWindow::UpdateStatusBar() {
  if (Worker.Idle()) {
    StatusPort->setText(link.IsPortOpen() ? QString("%1  %2 %3 %4")
                                                .arg(QString::fromStdString(link.GetPortName()),
                                                     QString::fromStdString(link.GetBaudText()),
                                                     QString::fromStdString(link.GetParityText()),
                                                     QString::fromStdString(link.GetStopBitsText()))
                                          : QString("порт не открыт"));
  }
  StatusDevice->setText(QString("прибор № %1").arg(CBoxUstr->currentIndex() + 1));
  StatusAccess->setText(discreteProcessing.AccessLevel == 1 ? "полный доступ" : "просмотр");
  StatusSource->setText(service.FileMode == 1 && !FileName.isEmpty() ? QFileInfo(FileName).fileName()
                                                                     : QString("прибор"));
  const int result = commissioningMenus->LastExchangeResult();
  StatusExchange->setText(result < 0    ? QString("обмена не было")
                          : result == 0 ? QString("обмен: ок")
                                        : "обмен: " + QString::fromStdString(ResultCodeShortText(result)));
  // The editors open once a configuration is read or opened: until then, how to get one.
  StatusHint->setVisible(!InformBut->isEnabled());
}

QString MainWindow::AboutText() const {
  const QString readme = ReadmePath();
  const QString notes = readme.isEmpty() ? QString("README.md в пакете программы")
                                         : QString("<a href=\"%1\">%2</a>")
                                               .arg(QUrl::fromLocalFile(readme).toString(),
                                                    QDir::toNativeSeparators(readme).toHtmlEscaped());
  return QString(
             "<b>Программатор ЗУЛ-05HMI-16</b> (zulprog)<br>"
             "Версия: %1<br>Сборка: %2, %3<br>Qt: %4 (собрано с %5)<br>Описание: %6")
      .arg(QString(kZulVersion).toHtmlEscaped(), QSysInfo::buildAbi(), QString(__VERSION__).toHtmlEscaped(),
           qVersion(), QT_VERSION_STR, notes);
}

void MainWindow::showAbout() {
  auto* box = new QMessageBox(QMessageBox::Information, "О программе", AboutText(), QMessageBox::Ok, this);
  box->setObjectName("AboutBox");
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setTextFormat(Qt::RichText);
  box->setTextInteractionFlags(Qt::TextBrowserInteraction);
  box->setIconPixmap(ProgramIcon().pixmap(64, 64));
  box->open();
}

}  // namespace zul
