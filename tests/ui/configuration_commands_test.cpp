// The main window's whole-configuration commands against a simulated
// controller: F9 read, F10 write, F2 save, F3 open and a new configuration.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "core/config/ZulFile.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"
#include "ui/LayoutCheck.h"
#include "ui/SimulatedRig.h"
#include "ui/UiTestSupport.h"
#include "ui/main/NewConfigurationDialog.h"

using namespace zul;
using namespace zul::test;

class ConfigurationCommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void Read_FillsTheModuleTableAndEnablesTheEditors();
  void Read_SilentController_OneMessageAndNoEditors();
  void Read_AfterAFile_LeavesFileMode();
  void Write_KeepsTheControllersBlocksAndTheConfiguration();
  void SaveThenOpen_GivesTheSameConfigurationInFileMode();
  void NewConfiguration_IsCreatedAndOpened();
  void NewConfiguration_CancelledName_KeepsWhatIsInMemory();
  void NewConfiguration_OnTheOpenFile_KeepsTheModulesData();
  void Write_AfterAFileOfAnotherDevice_ChecksAndWritesTheChosenController();
  void Write_AfterAShortFile_IsRefusedNamingTheEmptyBlocks();
};

void ConfigurationCommandsTest::Read_FillsTheModuleTableAndEnablesTheEditors() {
  SimulatedRig rig;
  MainWindow& f = *rig.form;
  f.readFromController();
  Settle();
  QVERIFY2(rig.ui.Shown().empty(), rig.ui.Shown().empty() ? "" : rig.ui.Last().text.c_str());
  QCOMPARE(f.EditModif->text(), "1163000000000000");
  QCOMPARE(f.Rows[0].IdVh->text(), "DI_1_1 - DI_1_12");
  QCOMPARE(f.Rows[2].IdVh->text(), "AI1_1 - AI1_6");
  QCOMPARE(f.Rows[3].IdVyh->text(), "DO_1_1 - DO_1_8");
  QCOMPARE(f.StKVhD->text(), "24");
  for (QWidget* w : std::initializer_list<QWidget*>{f.InformBut, f.InformButMR, f.ButProgDiskr, f.ButTimeDate,
                                                    f.LocalNet1, f.ButRazm, f.ButDefault}) {
    QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
  }
  QVERIFY(f.CBoxRazmChange->count() > 0);
  QCOMPARE(f.service.FileMode, 0);
  // The bar moved on the way and is hidden at the end.
  const auto& steps = rig.ui.ProgressSteps();
  QVERIFY(steps.size() > 10);
  QCOMPARE(steps.back().maximum, 0);
}

void ConfigurationCommandsTest::Read_SilentController_OneMessageAndNoEditors() {
  SimulatedRig rig;
  rig.form->CBoxUstr->setCurrentIndex(4);  // nobody answers address 5
  rig.form->readFromController();
  Settle();
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QVERIFY(QString::fromStdString(rig.ui.Last().text).endsWith("не отвечает на запрос"));
  QVERIFY(!rig.form->ButProgDiskr->isEnabled());
  QVERIFY(!rig.form->LabelFile->isVisibleTo(rig.form.get()));
}

void ConfigurationCommandsTest::Read_AfterAFile_LeavesFileMode() {
  SimulatedRig rig;
  MainWindow& f = *rig.form;
  f.readFromController();
  Settle();
  rig.Answer(rig.Path("a.zul"));
  f.saveConfigurationFile();
  f.openConfigurationFile();
  Settle();
  QCOMPARE(f.service.FileMode, 1);
  QVERIFY(f.LabelFile->isVisibleTo(&f));
  f.readFromController();
  Settle();
  QCOMPARE(f.service.FileMode, 0);
  QVERIFY(!f.LabelFile->isVisibleTo(&f));
}

void ConfigurationCommandsTest::Write_KeepsTheControllersBlocksAndTheConfiguration() {
  SimulatedRig rig;
  MainWindow& f = *rig.form;
  f.readFromController();
  Settle();
  const auto before = ZulFileBytes(f.config);
  const auto blocks = rig.controller->Blocks();
  rig.ui.Clear();
  f.writeToController();
  Settle();
  QCOMPARE(rig.ui.Shown().size(), size_t{2});  // the compositions match; the end is told
  QCOMPARE(QString::fromStdString(rig.ui.Shown().front().text),
           "Передаваемая конфигурация\nсоответствует конфигурации прибора");
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "Конфигурация передана в прибор");
  QVERIFY(ZulFileBytes(f.config) == before);
  QVERIFY(rig.controller->Blocks() == blocks);
  QVERIFY(rig.controller->PendingStorePolls() == 0);
  const auto& written = rig.line.Written();
  const auto blocksSent =
      std::count_if(written.begin(), written.end(), [](const auto& frame) { return frame[1] == 69; });
  QVERIFY(blocksSent > 30);
  // The bar counts the blocks: full only with the last one sent.
  const auto& steps = rig.ui.ProgressSteps();
  QVERIFY(steps.size() >= 2);
  const auto& last = steps[steps.size() - 2];
  QCOMPARE(last.value, int(blocksSent));
  QCOMPARE(last.maximum, int(blocksSent));
}

void ConfigurationCommandsTest::SaveThenOpen_GivesTheSameConfigurationInFileMode() {
  SimulatedRig rig;
  rig.form->readFromController();
  Settle();
  rig.Answer(rig.Path("saved"));
  rig.form->saveConfigurationFile();
  QCOMPARE(rig.form->FileName, rig.Path("saved.zul"));

  SimulatedRig other({1, 6});
  other.Answer(rig.Path("saved.zul"));
  other.form->openConfigurationFile();
  Settle();
  MainWindow& f = *other.form;
  QVERIFY(ZulFileBytes(f.config) == ZulFileBytes(rig.form->config));
  QCOMPARE(f.service.FileMode, 1);
  QCOMPARE(f.LabelFile->text(), "Режим работы с файлом " + rig.Path("saved.zul"));
  QCOMPARE(f.Rows[2].IdVh->text(), "AI1_1 - AI1_6");
  QVERIFY(f.InformBut->isEnabled());
}

void ConfigurationCommandsTest::NewConfiguration_IsCreatedAndOpened() {
  SimulatedRig rig;
  MainWindow& f = *rig.form;
  rig.Answer(rig.Path("new"));
  QVERIFY(WhileModal([&] { f.createConfigurationFile(); },
                     [&](QWidget*) {
                       f.newConfigurationDialog->EditModif->setText("6611");
                       f.newConfigurationDialog->OK->click();
                     }));
  QCOMPARE(f.FileName, rig.Path("new.zul"));
  QVERIFY(QFile::exists(rig.Path("new.zul")));
  QCOMPARE(f.EditModif->text(), "1166000000000000");
  QCOMPARE(f.service.FileMode, 1);
  QVERIFY(f.LabelFile->isVisibleTo(&f));
  QCOMPARE(QString::fromStdString(rig.ui.Shown().front().text),
           "Создан файл конфигурации " + rig.Path("new.zul"));
  // The unit list is usable again with the opened file.
  QVERIFY(f.ButRazm->isEnabled());
  QVERIFY(f.ButDefault->isEnabled());
}

void ConfigurationCommandsTest::NewConfiguration_CancelledName_KeepsWhatIsInMemory() {
  SimulatedRig rig;
  MainWindow& f = *rig.form;
  f.readFromController();
  Settle();
  const auto before = ZulFileBytes(f.config);
  const QString line = f.EditModif->text();
  QVERIFY(WhileModal([&] { f.createConfigurationFile(); },
                     [&](QWidget*) {
                       f.newConfigurationDialog->EditModif->setText("6611");
                       f.newConfigurationDialog->OK->click();
                     }));
  QVERIFY(ZulFileBytes(f.config) == before);
  QCOMPARE(f.EditModif->text(), line);
  QCOMPARE(f.service.FileMode, 0);
  QVERIFY(f.InformBut->isEnabled());
  QCOMPARE(f.Rows[2].IdVh->text(), "AI1_1 - AI1_6");
}

// "On the open file", preselected in file mode, keeps the modules' data just
// as choosing it by hand does.
void ConfigurationCommandsTest::NewConfiguration_OnTheOpenFile_KeepsTheModulesData() {
  SimulatedRig rig;
  MainWindow& f = *rig.form;
  f.readFromController();
  Settle();
  f.analogModules.SetPosition(0, 1, "поз.TEST");
  f.relayModules.SetResetInput(2, 0, 9);
  rig.Answer(rig.Path("base.zul"));
  f.saveConfigurationFile();
  f.openConfigurationFile();
  Settle();
  QCOMPARE(f.service.FileMode, 1);
  rig.Answer(rig.Path("derived"));
  QVERIFY(WhileModal([&] { f.createConfigurationFile(); },
                     [&](QWidget*) { f.newConfigurationDialog->OK->click(); }));
  QCOMPARE(f.FileName, rig.Path("derived.zul"));
  QCOMPARE(QString::fromStdString(f.analogModules.GetPosition(0, 1)), "поз.TEST");
  QCOMPARE(f.relayModules.GetResetInput(2, 0), 9);
}

void ConfigurationCommandsTest::Write_AfterAFileOfAnotherDevice_ChecksAndWritesTheChosenController() {
  SimulatedRig rig;
  MainWindow& f = *rig.form;
  f.readFromController();
  Settle();
  f.service.ConfiguredDevice = 4;  // saved for device 5
  rig.Answer(rig.Path("five.zul"));
  f.saveConfigurationFile();
  f.openConfigurationFile();
  Settle();
  QCOMPARE(f.CBoxUstr->currentIndex(), 4);  // proposed, visibly
  if (!qEnvironmentVariableIsEmpty("ZUL_SCREENSHOT_DIR")) {
    // The first showing asks for the password.
    QVERIFY(WhileModal(
        [&] {
          f.show();
          QTest::qWait(20);
        },
        [](QWidget* password) {
          QTest::keyClick(password->findChild<QLineEdit*>("Edit1"), Qt::Key_Return);
        }));
    Settle();
    Save(&f, "main_window_file_for_device_5");
    f.hide();
    f.discreteProcessing.AccessLevel = kFullAccess;  // the empty password gave viewing access
  }
  f.CBoxUstr->setCurrentIndex(0);
  f.onDeviceChosen(0);
  const size_t sent = rig.line.Written().size();
  f.writeToController();
  Settle();
  const auto& written = rig.line.Written();
  QVERIFY(written.size() > sent + 30);
  for (size_t i = sent; i < written.size(); ++i) QCOMPARE(int(written[i][0]), 1);
  const auto& shown = rig.ui.Shown();
  QVERIFY(shown.size() >= 2);
  QCOMPARE(QString::fromStdString(shown[shown.size() - 2].text),
           "Передаваемая конфигурация\nсоответствует конфигурации прибора");
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "Конфигурация передана в прибор");
}

void ConfigurationCommandsTest::Write_AfterAShortFile_IsRefusedNamingTheEmptyBlocks() {
  SimulatedRig rig;
  MainWindow& f = *rig.form;
  f.readFromController();
  Settle();
  auto bytes = ZulFileBytes(f.config);
  bytes.resize(8296);  // ends before the function-block pages
  QFile file(rig.Path("short.zul"));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  file.close();
  Settle();
  rig.Answer(rig.Path("short.zul"));
  f.openConfigurationFile();
  Settle();
  rig.ui.Clear();
  const size_t sent = rig.line.Written().size();
  f.writeToController();
  Settle();
  QCOMPARE(rig.line.Written().size(), sent);
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(QString::fromStdString(rig.ui.Last().text),
           "Конфигурация открыта из неполного файла.\nПустые блоки: 68-79.\nВывод в прибор не производится.");
}

QTEST_MAIN(ConfigurationCommandsTest)
#include "configuration_commands_test.moc"
