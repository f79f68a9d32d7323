#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"
#include "ui/UiTestSupport.h"
#include "ui/main/PasswordDialog.h"

using namespace zul;
using namespace zul::test;

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void ModuleTable_ShowsEachRowOfTheComposition_data();
  void ModuleTable_ShowsEachRowOfTheComposition();
  void ModuleTable_CountersAndExecutionLine();
  void ModuleTable_RefreshClearsRowsOfAnEarlierComposition();
  void ModuleTable_Lk11WithoutAnalogSignals_NoneDisabledAndWarnsOncePerRefresh();
  void ModuleTable_FlagsOfRegulatorAndProgrammableModules();
  void ControlsStartDisabled();
  void DeviceSelection_SetsCurrentDevice();
  void Renumbering_ToFive_Block99CarriesFourAndBothListsShowFive();
  void Renumbering_SilentController_OneMessage();
  void Renumbering_WithoutFullAccess_RefusedAndNothingSent();
  void Closing_data();
  void Closing();
  void Units_TypedNameInFileMode_ReplacesSelectedUnitAndMarksFileChanged();
  void Units_DeviceModeWithoutAccess_WarnsAndSendsNothing();
  void Units_EmptyText_Refused();
  void Units_DefaultsInDeviceMode_StoreBlock35();
};

void MainWindowTest::ModuleTable_ShowsEachRowOfTheComposition_data() {
  QTest::addColumn<int>("slot");
  QTest::addColumn<QString>("type");
  QTest::addColumn<QString>("code");
  QTest::addColumn<QString>("inputs");
  QTest::addColumn<QString>("outputs");
  QTest::addColumn<QString>("button");
  QTest::addColumn<bool>("enabled");
  QTest::newRow("first discrete") << 1 << "ЛК-1"
                                  << "1"
                                  << "DI_1_1 - DI_1_12"
                                  << ""
                                  << "on line" << true;
  QTest::newRow("second discrete") << 2 << "ЛК-1"
                                   << "1"
                                   << "DI_2_1 - DI_2_12"
                                   << ""
                                   << "on line" << true;
  QTest::newRow("analog") << 3 << "ЛК-7"
                          << "6"
                          << "AI1_1 - AI1_6"
                          << ""
                          << "программ." << true;
  QTest::newRow("relay") << 4 << "ЛК-4       вых 1-8 реле    220V AC  2A"
                         << "3"
                         << ""
                         << "DO_1_1 - DO_1_8"
                         << "программ." << true;
  QTest::newRow("empty") << 5 << ""
                         << ""
                         << ""
                         << ""
                         << "" << false;
  QTest::newRow("last") << 16 << ""
                        << ""
                        << ""
                        << ""
                        << "" << false;
}

void MainWindowTest::ModuleTable_ShowsEachRowOfTheComposition() {
  QFETCH(int, slot);
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3});
  const MainWindow::ModuleRow& row = rig.form->Rows[static_cast<size_t>(slot - 1)];
  QCOMPARE(row.AdrM->text(), QString::number(slot - 1));
  QTEST(row.M->text(), "type");
  QTEST(row.KM->text(), "code");
  QTEST(row.IdVh->text(), "inputs");
  QTEST(row.IdVyh->text(), "outputs");
  QTEST(row.Prg->text(), "button");
  QTEST(row.Prg->isEnabled(), "enabled");
  QCOMPARE(row.Prg->objectName(), QString("Prg%1").arg(slot));
  QVERIFY(rig.ui.Shown().empty());
}

void MainWindowTest::ModuleTable_CountersAndExecutionLine() {
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3});
  MainWindow& f = *rig.form;
  QCOMPARE(f.StKVhD->text(), "24");
  QCOMPARE(f.StKVhA->text(), "6");
  QCOMPARE(f.StKVyhS->text(), "8");
  QCOMPARE(f.StAllD->text(), "48");
  QCOMPARE(f.StAllAn->text(), "6");
  QCOMPARE(f.StZUL->text(), "ЗУЛ-05-16 ");
  QCOMPARE(f.StZUL1->text(), "11630000");
  QCOMPARE(f.StZUL2->text(), "00000000");
}

void MainWindowTest::ModuleTable_RefreshClearsRowsOfAnEarlierComposition() {
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3, 4});
  QVERIFY(rig.form->Rows[4].M->text().contains('\n'));  // ЛК-5 takes two lines
  rig.Compose({6});
  QCOMPARE(rig.form->Rows[0].IdVh->text(), "AI1_1 - AI1_6");
  for (size_t s = 1; s < 5; ++s) {
    QVERIFY(rig.form->Rows[s].M->text().isEmpty());
    QVERIFY(rig.form->Rows[s].IdVyh->text().isEmpty());
    QVERIFY(!rig.form->Rows[s].Prg->isEnabled());
  }
}

void MainWindowTest::ModuleTable_Lk11WithoutAnalogSignals_NoneDisabledAndWarnsOncePerRefresh() {
  MainWindowRig rig;
  rig.Compose({1, 14});
  const MainWindow::ModuleRow& row = rig.form->Rows[1];
  QCOMPARE(row.M->text(), "ЛК-11");
  QCOMPARE(row.Prg->text(), "нет");
  QVERIFY(!row.Prg->isEnabled());
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(QString::fromStdString(rig.ui.Last().text),
           "Невозможно программировать ЛК-11 -  нет аналог. входов");
  QCOMPARE(rig.ui.Last().icon, Icon::Warning);
  rig.form->RefreshModuleTable();
  QCOMPARE(rig.ui.Shown().size(), size_t{2});

  rig.ui.Clear();
  rig.Compose({1, 6, 14});
  QCOMPARE(rig.form->Rows[2].Prg->text(), "программ.");
  QVERIFY(rig.form->Rows[2].Prg->isEnabled());
  QVERIFY(rig.ui.Shown().empty());
}

void MainWindowTest::ModuleTable_FlagsOfRegulatorAndProgrammableModules() {
  MainWindowRig rig;
  rig.Compose({10, 6, 14});
  QCOMPARE(rig.form->regulators.RegPresent, 1);
  QCOMPARE(rig.form->discreteProcessing.ModuleSynced[0], 1);
  QCOMPARE(rig.form->Rows[0].Prg->text(), "программ.");
  QCOMPARE(rig.form->Rows[0].M->text(), "ЛК-2");
  rig.Compose({1});
  QCOMPARE(rig.form->regulators.RegPresent, 0);
  QCOMPARE(rig.form->discreteProcessing.ModuleSynced[0], 0);
}

void MainWindowTest::ControlsStartDisabled() {
  MainWindowRig rig;
  MainWindow& f = *rig.form;
  for (const char* name : {"ButProgDiskr", "InformBut", "InformButMR", "GBoxRazm", "LocalNet1", "LocNet15",
                           "LocNetObm", "ButTimeDate", "EditModif", "Prg1", "Prg16"}) {
    QWidget* w = f.findChild<QWidget*>(name);
    QVERIFY2(w, name);
    QVERIFY2(!w->isEnabled(), name);
  }
  QVERIFY(!f.MenuParol->isEnabled());
  QCOMPARE(f.CBoxUstr->count(), 31);
  QCOMPARE(f.CBoxUstr->currentText(), "1");
  QCOMPARE(f.CBoxUstrZ->currentText(), "1");
  QCOMPARE(f.AInPort->shortcut(), QKeySequence(Qt::Key_F9));
  QCOMPARE(f.AOutPort->shortcut(), QKeySequence(Qt::Key_F10));
  QCOMPARE(f.ASaveFile->shortcut(), QKeySequence(Qt::Key_F2));
  QCOMPARE(f.AOpenFile->shortcut(), QKeySequence(Qt::Key_F3));
  QCOMPARE(f.AParol->shortcut(), QKeySequence(Qt::Key_F8));
  QCOMPARE(f.MenuFile->title().remove(QChar('&')), "   Файл          ");
  QCOMPARE(f.MenuPort->title().remove(QChar('&')), "        Порт           ");
  QCOMPARE(f.MenuParol->title().remove(QChar('&')), "     Пароль");
  // Every window exists from the start.
  for (const char* name : {"FormPort", "FormNastr", "FPSW", "FormTimeDate", "FormVhD", "FormVyhOnL"}) {
    QVERIFY2(f.findChild<QDialog*>(name), name);
  }
}

void MainWindowTest::DeviceSelection_SetsCurrentDevice() {
  MainWindowRig rig;
  rig.form->onDeviceChosen(6);
  QCOMPARE(rig.form->service.CurrentDevice, 6);
  rig.form->onDeviceChosen(6);
  QCOMPARE(rig.form->service.CurrentDevice, 6);
  QVERIFY(rig.line.Written().empty());
}

void MainWindowTest::Renumbering_ToFive_Block99CarriesFourAndBothListsShowFive() {
  VirtualClock clock;
  SimulatedBus bus(clock);
  bus.Add(ControllerSetup{});
  SimulatedLine line(bus, clock);
  line.Open();
  Settle();
  ScriptedInteraction ui;
  QTemporaryDir dir;
  MainWindow form(line, clock, ui, ProgramOptions{{}, dir.filePath("FParol.dat").toStdString(), dir.path()});
  form.discreteProcessing.AccessLevel = kFullAccess;

  form.renumberDevice(4);
  Settle();
  QVERIFY(!line.Written().empty());
  const auto& store = line.Written().front();
  QCOMPARE(int(store[0]), 1);
  QCOMPARE(int(store[1]), 69);
  QCOMPARE(int(store[2]), 99);
  QCOMPARE(int(store[3]), 4);
  QCOMPARE(form.CBoxUstr->currentText(), "5");
  QCOMPARE(form.CBoxUstrZ->currentText(), "5");
  QCOMPARE(form.service.CurrentDevice, 4);
  QCOMPARE(int(form.service.ConfiguredDevice), 4);
  QVERIFY(ui.Shown().empty());
  for (size_t k = 1; k < line.Written().size(); ++k) QCOMPARE(int(line.Written()[k][0]), 5);
  // The controller answers at its new address.
  uint8_t answer[kAnswerBufferSize] = {};
  QCOMPARE(form.link.Request(form.service.CurrentDevice, 17, {}, answer), int(kResultOk));
}

void MainWindowTest::Renumbering_SilentController_OneMessage() {
  MainWindowRig rig;
  rig.form->discreteProcessing.AccessLevel = kFullAccess;
  rig.form->renumberDevice(2);
  Settle();
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QVERIFY(QString::fromStdString(rig.ui.Last().text).contains("не отвечает на запрос"));
  QCOMPARE(rig.form->service.CurrentDevice, 2);
}

void MainWindowTest::Renumbering_WithoutFullAccess_RefusedAndNothingSent() {
  MainWindowRig rig;
  rig.form->discreteProcessing.AccessLevel = kViewingAccess;
  rig.form->renumberDevice(2);
  Settle();
  QVERIFY(rig.line.Written().empty());
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(rig.ui.Last().text, std::string(kNoWriteAccessText));
  QCOMPARE(rig.form->service.CurrentDevice, 0);
  QCOMPARE(rig.form->CBoxUstrZ->currentText(), "1");
}

void MainWindowTest::Closing_data() {
  QTest::addColumn<int>("fileMode");
  QTest::addColumn<int>("fileChanged");
  QTest::addColumn<int>("access");
  QTest::addColumn<QStringList>("captions");
  QTest::addColumn<bool>("portOpenAfter");
  QTest::newRow("device mode") << 0 << 1 << 1 << QStringList{} << true;
  QTest::newRow("file mode, unchanged") << 1 << 0 << 1 << QStringList{} << false;
  QTest::newRow("file mode, changed, viewing")
      << 1 << 1 << 0 << QStringList{"Подтвердите запись в файл"} << false;
  QTest::newRow("file mode, changed, full access")
      << 1 << 1 << 1 << QStringList{"Подтвердите запись в файл", "Подтвердите передачу данных"} << false;
}

void MainWindowTest::Closing() {
  QFETCH(int, fileMode);
  QFETCH(int, fileChanged);
  QFETCH(int, access);
  QFETCH(QStringList, captions);
  MainWindowRig rig;
  rig.form->service.FileMode = fileMode;
  rig.form->service.FileChanged = fileChanged;
  rig.form->discreteProcessing.AccessLevel = access;
  // A hidden window is not asked: shown, it asks the password first.
  QVERIFY(WhileModal(
      [&] { rig.form->show(); },
      [](QWidget* password) { QTest::keyClick(password->findChild<QLineEdit*>("Edit1"), Qt::Key_Return); }));
  rig.form->discreteProcessing.AccessLevel = access;
  rig.ui.QueueAnswer(Answer::No);
  rig.ui.QueueAnswer(Answer::No);
  rig.form->close();  // closes once the port is closed on the link's thread
  QVERIFY(Settle());
  QVERIFY(!rig.form->isVisible());
  QStringList shown;
  for (const Message& m : rig.ui.Shown()) shown << QString::fromStdString(m.caption);
  QCOMPARE(shown, captions);
  if (!captions.isEmpty()) {
    QCOMPARE(QString::fromStdString(rig.ui.Shown().front().text), "Данные были изменены. Сохранить в файле?");
    QCOMPARE(rig.ui.Shown().front().icon, Icon::Question);
    QCOMPARE(rig.ui.Shown().front().buttons, Buttons::YesNo);
  }
  QTEST(rig.line.IsOpen(), "portOpenAfter");
}

void MainWindowTest::Units_TypedNameInFileMode_ReplacesSelectedUnitAndMarksFileChanged() {
  MainWindowRig rig;
  MainWindow& f = *rig.form;
  f.service.FileMode = 1;
  f.FillUnitList();
  f.CBoxRazmChange->setCurrentIndex(2);
  f.onUnitChosen(2);
  f.CBoxRazmChange->setEditText("бар");
  f.applyUnitName();
  Settle();
  QCOMPARE(QString::fromStdString(f.analogModules.GetUnitName(2)), "бар");
  QCOMPARE(f.service.FileChanged, 1);
  QCOMPARE(f.CBoxRazmChange->currentIndex(), 0);
  QCOMPARE(f.CBoxRazmChange->itemText(2), "бар");
  QCOMPARE(f.analogModules.EditedUnit, 0);
  QVERIFY(rig.line.Written().empty());
}

void MainWindowTest::Units_DeviceModeWithoutAccess_WarnsAndSendsNothing() {
  MainWindowRig rig;
  rig.form->FillUnitList();
  rig.form->restoreDefaultUnits();
  Settle();
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), QString(kNoWriteAccessText));
  QCOMPARE(QString::fromStdString(rig.ui.Last().caption), "Предупреждение");
  QVERIFY(rig.line.Written().empty());
}

void MainWindowTest::Units_EmptyText_Refused() {
  MainWindowRig rig;
  rig.form->service.FileMode = 1;
  rig.form->FillUnitList();
  rig.form->CBoxRazmChange->setEditText("");
  rig.form->applyUnitName();
  Settle();
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "Ошибочно введена размерность");
  QCOMPARE(rig.ui.Last().icon, Icon::Error);
  QCOMPARE(rig.form->service.FileChanged, 0);
}

void MainWindowTest::Units_DefaultsInDeviceMode_StoreBlock35() {
  MainWindowRig rig;
  rig.form->discreteProcessing.AccessLevel = kFullAccess;
  rig.form->analogModules.SetUnitName(0, "x");
  rig.line.QueueFrame({0x01, 69, 0x00});  // store: not examined
  rig.line.QueueFrame({0x01, 14});        // the echo: stored
  rig.form->restoreDefaultUnits();
  Settle();
  QCOMPARE(QString::fromStdString(rig.form->analogModules.GetUnitName(0)), "град.С");
  QCOMPARE(rig.line.Written().size(), size_t{2});
  QVERIFY(rig.ui.Shown().empty());
  const auto& store = rig.line.Written().front();
  QCOMPARE(int(store[1]), 69);
  QCOMPARE(int(store[2]), 35);
  QCOMPARE(store.size(), size_t(3 + 96 + 2));  // address, function, block, 96 unit bytes, CRC
}

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
