#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "ui/UiTestSupport.h"
#include "ui/main/NewConfigurationDialog.h"
#include "ui/widgets/HintLabel.h"

using namespace zul;
using namespace zul::test;

class ConfigDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void WithoutAnOpenFile_EmptyCompositionFromScratch();
  void ChoosingModules_BuildsTheCodeLine_data();
  void ChoosingModules_BuildsTheCodeLine();
  void Closing_OrdersTheCompositionIntoTheServiceBlock();
  void Closing_CompositionThatDoesNotFit_HintAndQuestion();
  void Command_ErrorOutcome_Reported();
  void OnTheOpenFile_KeepBoxesOfModulesWithData();
  void OnTheOpenFile_ChangedModule_ClearsItsBoxUnlessRelayToRelay();
  void CodeLine_TakesUpperCaseHexDigitsOnly();
};

void ConfigDialogTest::WithoutAnOpenFile_EmptyCompositionFromScratch() {
  MainWindowRig rig;
  NewConfigurationDialog& d = *rig.form->newConfigurationDialog;
  d.Prepare(false, TypesOfCodeLine("1163"));
  QCOMPARE(d.EditModif->text(), "0000000000000000");
  for (QComboBox* m : d.M) QCOMPARE(m->currentText(), "нет");
  for (QCheckBox* b : d.SaveBD) QVERIFY(!b->isEnabled() && !b->isChecked());
  QVERIFY(!d.RegimCreat->isEnabled());
  QCOMPARE(d.Regim(), int(NewConfigurationDialog::Anew));
  QCOMPARE(d.M[0]->count(), 16);
  QCOMPARE(d.M[0]->itemText(11), "резерв");
}

void ConfigDialogTest::ChoosingModules_BuildsTheCodeLine_data() {
  QTest::addColumn<int>("slot");
  QTest::addColumn<int>("entry");
  QTest::addColumn<QString>("line");
  QTest::newRow("analog in slot 1") << 1 << 6 << "6000000000000000";
  QTest::newRow("ЛК-3 in slot 16") << 16 << 12 << "000000000000000C";
  QTest::newRow("reserved 11") << 2 << 11 << "0000000000000000";
  QTest::newRow("reserved 15") << 3 << 15 << "0000000000000000";
}

void ConfigDialogTest::ChoosingModules_BuildsTheCodeLine() {
  QFETCH(int, slot);
  QFETCH(int, entry);
  MainWindowRig rig;
  NewConfigurationDialog& d = *rig.form->newConfigurationDialog;
  d.Prepare(false, {});
  d.onModuleTypeChosen(slot, entry);
  QTEST(d.EditModif->text(), "line");
}

void ConfigDialogTest::Closing_OrdersTheCompositionIntoTheServiceBlock() {
  MainWindowRig rig;
  NewConfigurationDialog& d = *rig.form->newConfigurationDialog;
  d.Prepare(false, {});
  d.show();
  d.EditModif->setText("6611000000000000");
  d.reject();  // closing any way checks and takes the composition
  QCOMPARE(d.result(), int(NewConfigurationDialog::Accepted));
  QCOMPARE(d.EditModif->text(), "1166000000000000");
  ServiceBlock& serv = rig.form->service;
  QCOMPARE(serv.ModuleType[0], 1);
  QCOMPARE(serv.ModuleType[2], 6);
  QCOMPARE(serv.DiModules, 2);
  QCOMPARE(serv.AiModules, 2);
  QCOMPARE(serv.SignalCount, 72);
  QCOMPARE(serv.IndicationType, 1);
  QVERIFY(rig.ui.Shown().empty());
}

void ConfigDialogTest::Closing_CompositionThatDoesNotFit_HintAndQuestion() {
  MainWindowRig rig;
  NewConfigurationDialog& d = *rig.form->newConfigurationDialog;
  d.Prepare(false, {});
  d.show();
  d.EditModif->setText("1E0E000000000000");
  rig.ui.QueueAnswer(Answer::No);
  d.OK->click();
  QVERIFY(d.isVisible());
  QVERIFY(d.ErrorText->isVisibleTo(&d));
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "Ошибка создания конфигурации \nЗакончить?");
  QCOMPARE(QString::fromStdString(rig.ui.Last().caption), "Подтвердите окончание ");
  QCOMPARE(rig.ui.Last().buttons, Buttons::YesNo);
  QCOMPARE(rig.form->service.ModuleType[1], 0);  // nothing taken
  rig.ui.QueueAnswer(Answer::Yes);
  d.OK->click();
  QVERIFY(!d.isVisible());
  QCOMPARE(d.result(), int(NewConfigurationDialog::Error));
}

void ConfigDialogTest::Command_ErrorOutcome_Reported() {
  MainWindowRig rig;
  rig.ui.QueueAnswer(Answer::Yes);
  QVERIFY(WhileModal([&] { rig.form->createConfigurationFile(); },
                     [&](QWidget*) {
                       rig.form->newConfigurationDialog->EditModif->setText(
                           "3333333330000000");  // nine relay modules
                       rig.form->newConfigurationDialog->OK->click();
                     }));
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "ошибка ввода конфигурации");
  QCOMPARE(rig.ui.Last().icon, Icon::Error);
}

void ConfigDialogTest::OnTheOpenFile_KeepBoxesOfModulesWithData() {
  MainWindowRig rig;
  NewConfigurationDialog& d = *rig.form->newConfigurationDialog;
  d.Prepare(true, TypesOfCodeLine("11A63E"));
  QVERIFY(d.RegimCreat->isEnabled());
  QCOMPARE(d.Regim(), int(NewConfigurationDialog::OnOpenFile));
  QCOMPARE(d.EditModif->text(), "11A63E0000000000");
  QCOMPARE(d.M[3]->currentText(), "ЛК-7");
  // Preselected, the mode has applied its rule already; chosen by hand, the same.
  const bool kept[] = {false, false, true, true, true, false, false};
  for (bool byHand : {false, true}) {
    if (byHand) d.onModeChosen(NewConfigurationDialog::OnOpenFile);
    for (int s = 0; s < 7; ++s) {
      QCOMPARE(d.SaveBD[static_cast<size_t>(s)]->isChecked(), kept[s]);
      QCOMPARE(d.SaveBD[static_cast<size_t>(s)]->isEnabled(), kept[s]);
      QCOMPARE(rig.form->service.KeepSlot[static_cast<size_t>(s)], kept[s] ? 1 : 0);
    }
  }
  d.onModeChosen(NewConfigurationDialog::Anew);
  QCOMPARE(d.EditModif->text(), "0000000000000000");
  for (QCheckBox* b : d.SaveBD) QVERIFY(!b->isChecked() && !b->isEnabled());
  QCOMPARE(rig.form->service.KeepSlot[3], 0);
}

void ConfigDialogTest::OnTheOpenFile_ChangedModule_ClearsItsBoxUnlessRelayToRelay() {
  MainWindowRig rig;
  NewConfigurationDialog& d = *rig.form->newConfigurationDialog;
  d.Prepare(true, TypesOfCodeLine("1634"));
  d.onModeChosen(NewConfigurationDialog::OnOpenFile);
  d.onModuleTypeChosen(2, 7);   // analog ЛК-7 -> ЛК-8
  d.onModuleTypeChosen(3, 12);  // relay ЛК-4 -> ЛК-3
  QVERIFY(!d.SaveBD[1]->isChecked() && !d.SaveBD[1]->isEnabled());
  QVERIFY(d.SaveBD[2]->isChecked() && d.SaveBD[2]->isEnabled());
  d.onModuleTypeChosen(2, 6);  // back to the file's type
  QVERIFY(d.SaveBD[1]->isEnabled());
  QCOMPARE(d.EditModif->text(), "16C4000000000000");
}

void ConfigDialogTest::CodeLine_TakesUpperCaseHexDigitsOnly() {
  MainWindowRig rig;
  QLineEdit* e = rig.form->newConfigurationDialog->EditModif;
  e->clear();
  QTest::keyClicks(e, "1aG6F");
  QCOMPARE(e->text(), "16F");
  QTest::keyClicks(e, "A");
  QCOMPARE(e->text(), "16FA");
}

QTEST_MAIN(ConfigDialogTest)
#include "config_dialog_test.moc"
