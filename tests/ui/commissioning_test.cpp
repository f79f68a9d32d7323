// The commissioning windows against simulated controllers: the compare window
// and its selective write, the traffic monitor during a read, the line scan,
// the backup before F10 and the recent files.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "UiTestSupport.h"
#include "core/ScriptedInteraction.h"
#include "core/config/AccessLevel.h"
#include "core/config/ZulFile.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"
#include "ui/commissioning/CommissioningMenus.h"
#include "ui/commissioning/CompareWindow.h"
#include "ui/commissioning/LineScanDialog.h"
#include "ui/commissioning/TrafficMonitor.h"
#include "ui/main/MainWindow.h"

using namespace zul;
using zul::test::WhileModal;

namespace {

// A main window on a line with simulated controllers at the given addresses.
struct LineRig {
  explicit LineRig(std::initializer_list<int> addresses = {1}, bool backups = false) {
    for (int address : addresses) {
      ControllerSetup setup;
      setup.address = address;
      setup.randomBlocks = true;
      setup.seed = static_cast<uint64_t>(address);
      setup.storePolls = 0;
      bus.Add(setup);
    }
    ProgramOptions options;
    options.passwordFile = QDir(dir.path()).filePath("FParol.dat").toStdString();
    options.fileDirectory = dir.path();
    if (backups) options.backupRoot = QDir(dir.path()).filePath("backups");
    form = std::make_unique<MainWindow>(line, clock, ui, options);
    form->ChooseFile = [](const FileDialogRequest&) { return QString(); };
    form->link.SetPortName("COM1");
    form->link.OpenPort();
    form->discreteProcessing.AccessLevel = kFullAccess;
  }
  std::vector<int> StoredBlocks(size_t from = 0) const {
    std::vector<int> blocks;
    for (size_t i = from; i < line.Written().size(); ++i)
      if (line.Written()[i].size() > 2 && line.Written()[i][1] == 69) blocks.push_back(line.Written()[i][2]);
    return blocks;
  }
  QString Path(const char* name) const { return QDir(dir.path()).filePath(name); }

  QTemporaryDir dir;
  VirtualClock clock;
  SimulatedBus bus{clock};
  SimulatedLine line{bus, clock};
  ScriptedInteraction ui;
  std::unique_ptr<MainWindow> form;
};

QString ScreenshotDir() { return qEnvironmentVariable("ZUL_SCREENSHOT_DIR"); }

// Shows the main window, answering its password question at the first showing.
void ShowWithPassword(MainWindow& f) {
  const bool answered = WhileModal(
      [&f] {
        f.show();
        QTest::qWait(20);
      },
      [](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("Edit1")->setText("8411");
        static_cast<QDialog*>(dialog)->accept();
        test::Settle();
      });
  QVERIFY(answered);
  QVERIFY(f.isVisible());
}

}  // namespace

class CommissioningTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void MenusCarryTheNewCommands();
  void Compare_ListsTheDifferencesAndWritesOnlyTheTickedPart();
  void Compare_NothingTicked_WritesNothing();
  void Monitor_ShowsTheFramesOfARead();
  void Monitor_Closed_CostsTheLinkNothing();
  void Scan_FindsTheControllersAndADoubleClickChoosesOne();
  void F10_KeepsABackupOfWhatTheControllerHeld();
  void RecentFiles_KeepTheLastEightOpened();
  void RecentFiles_ADeletedOneSaysWhichAndLeavesTheList();
  void Backups_OpenInTheDeviceFolderWithNoNameTyped();
};

void CommissioningTest::MenusCarryTheNewCommands() {
  LineRig rig;
  const struct {
    const char* name;
    const char* text;
  } actions[] = {{"ACompare", "Сравнить с прибором"},
                 {"AMonitor", "Монитор обмена"},
                 {"AScan", "Поиск приборов на линии"},
                 {"AOpenBackup", "Открыть резервную копию…"}};
  for (const auto& a : actions) {
    auto* action = rig.form->findChild<QAction*>(a.name);
    QVERIFY2(action, a.name);
    QCOMPARE(action->text().remove(QChar('&')), QString(a.text));
  }
  QVERIFY(rig.form->MenuPort->actions().contains(rig.form->findChild<QAction*>("ACompare")));
  auto* recent = rig.form->findChild<QMenu*>("MenuRecent");
  QVERIFY(recent);
  QCOMPARE(recent->title().remove(QChar('&')), QString("Недавние файлы"));
}

void CommissioningTest::Compare_ListsTheDifferencesAndWritesOnlyTheTickedPart() {
  LineRig rig;
  MainWindow& f = *rig.form;
  f.readFromController();
  test::Settle();
  // Two parts differ: a signal text and a processing record.
  f.service.SetText(4, "Насос 5");
  f.discreteProcessing.SetAlarmType(4, f.discreteProcessing.GetAlarmType(4) == 0x40 ? 0x80 : 0x40);
  rig.ui.Clear();

  f.findChild<QAction*>("ACompare")->trigger();
  test::Settle();
  CompareWindow* w = f.commissioningMenus->compareWindow;
  QVERIFY(w && w->isVisible());
  QCOMPARE(w->TreeDiff->topLevelItemCount(), 2);
  QVERIFY(w->TreeDiff->topLevelItem(0)->text(0).startsWith("Обработка дискретных сигналов"));
  QVERIFY(w->TreeDiff->topLevelItem(1)->text(0).startsWith("Тексты сигналов"));
  const QTreeWidgetItem* text = w->TreeDiff->topLevelItem(1)->child(0);
  // In the program's own numbering, the raw block and byte beside it.
  QCOMPARE(text->text(0), QString("текст входа № в базе 5"));
  QVERIFY(text->text(3).startsWith("блок 40, байт "));
  QVERIFY(w->LabelSummary->text().startsWith("Прибор 1: различий"));

  if (!ScreenshotDir().isEmpty()) {
    w->TreeDiff->expandAll();
    QTest::qWait(50);
    QVERIFY(w->grab().save(ScreenshotDir() + "/compare_window.png"));
  }

  w->Tick(ConfigurationPart::DiscreteSignals, false);
  const size_t before = rig.line.Written().size();
  w->ButWrite->click();
  test::Settle();
  QCOMPARE(rig.StoredBlocks(before), std::vector<int>{40});  // the one text block that differs
  // Compared again: only the unticked part is left.
  QCOMPARE(w->TreeDiff->topLevelItemCount(), 1);
  QVERIFY(w->TreeDiff->topLevelItem(0)->text(0).startsWith("Обработка дискретных сигналов"));
  QCOMPARE(f.service.GetText(4), std::string("Насос 5"));  // memory untouched by the compare
  w->close();
  test::Settle();
}

void CommissioningTest::Compare_NothingTicked_WritesNothing() {
  LineRig rig;
  MainWindow& f = *rig.form;
  f.readFromController();
  test::Settle();
  f.service.SetText(0, "Другой текст");
  f.commissioningMenus->openCompareWindow();
  test::Settle();
  CompareWindow* w = f.commissioningMenus->compareWindow;
  w->Tick(ConfigurationPart::SignalTexts, false);
  rig.ui.Clear();
  const size_t before = rig.line.Written().size();
  w->writeTicked();
  test::Settle();
  QCOMPARE(rig.line.Written().size(), before);
  QCOMPARE(rig.ui.Last().text, std::string(kNothingTickedText));
  w->close();
  test::Settle();
}

void CommissioningTest::Monitor_ShowsTheFramesOfARead() {
  LineRig rig;
  MainWindow& f = *rig.form;
  f.resize(1000, 760);
  ShowWithPassword(f);
  f.findChild<QAction*>("AMonitor")->trigger();
  test::Settle();
  TrafficMonitor* m = f.commissioningMenus->trafficMonitor;
  QVERIFY(m && m->isVisible());
  f.readFromController();
  test::Settle();
  m->refresh();
  const auto& rows = m->Frames()->Records();
  QCOMPARE(rows.size(), rig.line.Written().size() * 2);  // every request and its answer
  QCOMPARE(rows.front().function, 17);
  QVERIFY(std::any_of(rows.begin(), rows.end(), [](const TrafficRecord& r) { return r.block == 40; }));
  QCOMPARE(m->FrameTable->model()->rowCount(), static_cast<int>(rows.size()));
  QCOMPARE(m->DeviceTable->rowCount(), 1);
  QCOMPARE(m->DeviceTable->item(0, 1)->text(), QString::number(rig.line.Written().size()));

  if (!ScreenshotDir().isEmpty()) {
    QTest::qWait(50);
    QVERIFY(f.grab().save(ScreenshotDir() + "/traffic_monitor.png"));
  }

  const QString exported = rig.Path("traffic.txt");
  QVERIFY(m->exportTo(exported));
  QFile file(exported);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(file.readAll());
  QVERIFY(text.contains("ф 68  блок 40"));
  QVERIFY(text.contains("устройство 1: запросов"));

  // Paused, nothing new is shown; resumed, it catches up.
  m->CheckPause->setChecked(true);
  f.readFromController();
  test::Settle();
  m->refresh();
  QCOMPARE(m->Frames()->Records().size(), rows.size());
  m->CheckPause->setChecked(false);
  QCOMPARE(m->Frames()->Records().size(), rig.line.Written().size() * 2);
  f.hide();
}

void CommissioningTest::Monitor_Closed_CostsTheLinkNothing() {
  LineRig rig;
  MainWindow& f = *rig.form;
  ShowWithPassword(f);
  f.commissioningMenus->openTrafficMonitor();
  TrafficMonitor* m = f.commissioningMenus->trafficMonitor;
  m->close();
  test::Settle();
  f.readFromController();
  test::Settle();
  m->refresh();
  QVERIFY(m->Log().Records().empty());
  f.hide();
}

void CommissioningTest::Scan_FindsTheControllersAndADoubleClickChoosesOne() {
  LineRig rig({2, 5, 9});
  MainWindow& f = *rig.form;
  f.findChild<QAction*>("AScan")->trigger();
  test::Settle();
  LineScanDialog* d = f.commissioningMenus->lineScanDialog;
  QVERIFY(d && d->isVisible());
  d->SpinTo->setValue(10);
  d->ButStart->click();
  test::Settle();
  QCOMPARE(d->TableFound->rowCount(), 3);
  QCOMPARE(d->TableFound->item(0, 0)->text(), QString("2"));
  QCOMPARE(d->TableFound->item(1, 0)->text(), QString("5"));
  QCOMPARE(d->TableFound->item(2, 0)->text(), QString("9"));
  QCOMPARE(d->TableFound->item(0, 1)->text(), QString("1,1,6,3"));
  // The indication type by name, as the main window shows it.
  QCOMPARE(d->TableFound->item(0, 2)->text(), QString("24+ЖКИ(4х20)"));  // the simulator's indication type 1
  QCOMPARE(d->ProgressScan->value(), 10);
  QCOMPARE(d->LabStatus->text(), QString("найдено приборов: 3"));

  if (!ScreenshotDir().isEmpty()) {
    QTest::qWait(50);
    QVERIFY(d->grab().save(ScreenshotDir() + "/line_scan.png"));
  }

  emit d->TableFound->cellDoubleClicked(1, 0);
  QCOMPARE(f.CBoxUstr->currentIndex(), 4);
  QVERIFY(!d->isVisible());
}

void CommissioningTest::F10_KeepsABackupOfWhatTheControllerHeld() {
  LineRig rig({1}, true);
  MainWindow& f = *rig.form;
  f.readFromController();
  test::Settle();
  const std::vector<uint8_t> held = ZulFileBytes(f.config);
  f.service.SetText(1, "Новый текст");
  f.writeToController();
  test::Settle();
  QDir folder(rig.Path("backups/1"));
  const QStringList files = folder.entryList({"*.zul"}, QDir::Files);
  QCOMPARE(files.size(), 1);
  QCOMPARE(ReadWholeFile(folder.filePath(files[0]).toStdString()), std::optional(held));
}

void CommissioningTest::RecentFiles_KeepTheLastEightOpened() {
  QSettings().clear();
  LineRig rig;
  MainWindow& f = *rig.form;
  f.readFromController();
  test::Settle();
  for (int n = 0; n < 10; ++n) {
    const QString path = rig.Path(qPrintable(QString("plant%1.zul").arg(n)));
    QVERIFY(WriteFileReplacing(path.toStdString(), ZulFileBytes(f.config)));
    f.commissioningMenus->openRecentFile(path);
    test::Settle();
  }
  const QStringList recent = f.commissioningMenus->RecentFiles();
  QCOMPARE(recent.size(), CommissioningMenus::kRecentFiles);
  QVERIFY(recent.front().endsWith("plant9.zul"));
  QVERIFY(recent.back().endsWith("plant2.zul"));
  QCOMPARE(f.commissioningMenus->MenuRecent->actions().size(), CommissioningMenus::kRecentFiles);
  // Choosing one opens it in file mode.
  f.commissioningMenus->MenuRecent->actions().at(3)->trigger();
  test::Settle();
  QVERIFY(f.FileName.endsWith("plant6.zul"));
  QCOMPARE(f.service.FileMode, 1);
  QSettings().clear();
}

void CommissioningTest::RecentFiles_ADeletedOneSaysWhichAndLeavesTheList() {
  QSettings().clear();
  LineRig rig;
  MainWindow& f = *rig.form;
  f.readFromController();
  test::Settle();
  const QString kept = rig.Path("kept.zul"), gone = rig.Path("gone.zul");
  for (const QString& path : {kept, gone}) {
    QVERIFY(WriteFileReplacing(path.toStdString(), ZulFileBytes(f.config)));
    f.commissioningMenus->openRecentFile(path);
    test::Settle();
  }
  QVERIFY(QFile::remove(gone));
  rig.ui.Clear();
  f.commissioningMenus->MenuRecent->actions().at(0)->trigger();
  test::Settle();
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QVERIFY(QString::fromStdString(rig.ui.Shown()[0].text).contains(QDir::toNativeSeparators(gone)));
  QCOMPARE(f.commissioningMenus->RecentFiles(), QStringList{QFileInfo(kept).absoluteFilePath()});
  QCOMPARE(f.commissioningMenus->MenuRecent->actions().size(), 1);
  QSettings().clear();
}

void CommissioningTest::Backups_OpenInTheDeviceFolderWithNoNameTyped() {
  LineRig rig({1}, true);
  MainWindow& f = *rig.form;
  const QString device = QDir(f.Options().backupRoot).filePath("1");
  QVERIFY(QDir().mkpath(device));
  FileDialogRequest asked;
  f.ChooseFile = [&](const FileDialogRequest& r) {
    asked = r;
    return QString();
  };
  f.commissioningMenus->AOpenBackup->trigger();
  QCOMPARE(asked.proposed, QString());
  QCOMPARE(asked.directory, device);
}

QTEST_MAIN(CommissioningTest)
#include "commissioning_test.moc"
