// The analog module window: opening from the module table, the type-8 sensor
// and range lists, the exit rules of the value fields, closing with its
// questions and the record write, copy and replace.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "core/model/FloatText.h"
#include "ui/UiTestSupport.h"
#include "ui/modules/AnalogModuleWindow.h"
#include "ui/modules/CalibrationWindow.h"

using namespace zul;
using namespace zul::test;

namespace {

// A main window with discrete inputs in slot 1, a ЛК-7 in slot 2 and a ЛК-9
// in slot 3, both records at their defaults and read from the controller.
struct AnalogRig : MainWindowRig {
  AnalogRig() {
    Compose({1, 6, 8, 6, 3});
    form->discreteProcessing.AccessLevel = kFullAccess;
    for (int m = 0; m < 3; ++m) {
      form->analogModules.SetModuleDefaults(m, m == 1 ? 8 : 6);
      const auto record = form->analogModules.GetRecord(m);
      std::copy(record.begin(), record.end(),
                form->reserveBlocks.ModuleRecords[static_cast<size_t>(m)].begin());
    }
  }
  AnalogModuleWindow& Prog() { return *form->analogModuleWindow; }
  // Module 2 (the ЛК-9), opened as the main window opens it, not shown.
  AnalogModuleWindow& PrepareLk9() {
    Prog().Prepare(3, 2, 8, "AI2_1 - AI2_6");
    Settle();
    return Prog();
  }
  AnalogModuleWindow& PrepareLk7() {
    Prog().Prepare(2, 1, 6, "AI1_1 - AI1_6");
    Settle();
    return Prog();
  }
  // What the user does in a field: types, then leaves it.
  void Type(QLineEdit* field, const QString& text) {
    field->setText(text);
    emit field->textEdited(text);
    Prog().leaveField(field);
  }
};

QStringList Items(const QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
  return items;
}

}  // namespace

class ModulesTest : public QObject {
  Q_OBJECT
 private slots:
  void ModuleButton_OpensTheAnalogWindowPerType_data();
  void ModuleButton_OpensTheAnalogWindowPerType();
  void Lk9_SensorSwitchedTo100M_FreeScaleAndListsHidden();
  void Lk9_SensorSwitchedTo100P_ListsFromThe46RowTable();
  void Lk9_MinimumChosen_MaximaOfThatMinimumAndTheLastMatchingRow();
  void Lk9_FreeScaleOutside200_Refused();
  void Setpoint_BadTextRefusedStoredValueBack_data();
  void Setpoint_BadTextRefusedStoredValueBack();
  void DeadZone_4Refused_3StoredInBits5And4();
  void ValueField_TypingStopsAtSevenCharacters();
  void DeviceClose_AfterEdit_AnswersDecide_data();
  void DeviceClose_AfterEdit_AnswersDecide();
  void FileClose_AfterEdit_KeepsAsReferenceAndMarksTheFile();
  void Cancel_RestoresTheReferenceWithoutAQuestion();
  void Replace_OnlyBetweenModulesOfOneType();
  void Report_SavedAsRtfThenPrintedOnYes();
};

void ModulesTest::ModuleButton_OpensTheAnalogWindowPerType_data() {
  QTest::addColumn<int>("row");
  QTest::addColumn<int>("fileMode");
  QTest::addColumn<QString>("module");
  QTest::addColumn<bool>("inputSignal");
  QTest::addColumn<bool>("lists");
  QTest::newRow("lk7 device") << 2 << 0 << "1" << true << false;
  QTest::newRow("lk9 device") << 3 << 0 << "2" << false << true;
  QTest::newRow("lk7 file") << 4 << 1 << "3" << true << false;
  QTest::newRow("lk9 file") << 3 << 1 << "2" << false << true;
}

void ModulesTest::ModuleButton_OpensTheAnalogWindowPerType() {
  QFETCH(int, row);
  QFETCH(int, fileMode);
  QFETCH(QString, module);
  QFETCH(bool, inputSignal);
  QFETCH(bool, lists);
  AnalogRig rig;
  rig.form->service.FileMode = fileMode;
  QVERIFY(WhileModal([&] { rig.form->openModuleWindow(row); },
                     [&](QWidget* w) {
                       auto* p = qobject_cast<AnalogModuleWindow*>(w);
                       QVERIFY(p);
                       QCOMPARE(p->windowTitle(), "Программирование МВА");
                       QCOMPARE(p->LabNMod->text(), module);
                       QVERIFY(p->LabN->text().startsWith("входы AI"));
                       QVERIFY(!p->LabTMod->text().isEmpty());
                       QCOMPARE(p->Label10->isVisible(), inputSignal);
                       QCOMPARE(p->Rows[0].TInp->isVisible(), inputSignal);
                       QCOMPARE(p->Rows[5].MinSk->isVisible(), lists);
                       QCOMPARE(p->Rows[5].NSK->isVisible(), !lists);
                       QCOMPARE(p->Label12->isVisible(), !lists);
                       QCOMPARE(p->Rows[0].Razm->count(), 16);
                       QCOMPARE(p->Rows[0].Razm->itemText(0), "град.С");
                       p->OK->click();
                     }));
  QVERIFY(rig.ui.Shown().empty());
  QCOMPARE(rig.form->analogModules.CurrentSlot, row);
}

void ModulesTest::Lk9_SensorSwitchedTo100M_FreeScaleAndListsHidden() {
  AnalogRig rig;
  rig.form->analogModules.ChooseSensorType(1, 0, 0);  // "ХК(L)"
  AnalogModuleWindow& p = rig.PrepareLk9();
  const auto& row = p.Rows[0];
  QVERIFY(row.MinSk->isVisibleTo(&p));
  QCOMPARE(row.Sk->currentText(), "ХК(L)");
  row.Sk->setCurrentIndex(14);
  p.onScaleChosen(0, 14);
  QCOMPARE(row.Sk->currentText(), "100M");
  QVERIFY(!row.MinSk->isVisibleTo(&p));
  QVERIFY(!row.MaxSk->isVisibleTo(&p));
  QVERIFY(row.NSK->isVisibleTo(&p));
  QCOMPARE(row.NSK->text(), "-200");
  QCOMPARE(row.VSK->text(), "200");
  QCOMPARE(rig.form->analogModules.GetValue(1, 0, AnalogValue::ScaleMin), -200.0f);
  QCOMPARE(rig.form->analogModules.GetValue(1, 0, AnalogValue::ScaleMax), 200.0f);
  QCOMPARE(rig.form->analogModules.GetRangeIndex(1, 0), 0);
  QCOMPARE(rig.form->analogModules.Unchanged[1], 0);
}

void ModulesTest::Lk9_SensorSwitchedTo100P_ListsFromThe46RowTable() {
  AnalogRig rig;
  rig.form->analogModules.ChooseSensorType(1, 2, 14);  // "100M": free scale
  AnalogModuleWindow& p = rig.PrepareLk9();
  const auto& row = p.Rows[2];
  QVERIFY(!row.MinSk->isVisibleTo(&p));
  p.onScaleChosen(2, 10);
  QVERIFY(row.MinSk->isVisibleTo(&p));
  QVERIFY(!row.NSK->isVisibleTo(&p));
  QCOMPARE(row.MinSk->itemText(0), "-200");
  QCOMPARE(row.MinSk->currentText(), "-200");
  QCOMPARE(Items(row.MaxSk),
           QStringList({"-150", "-100", "-70", "0", "40", "50", "70", "100", "150", "500"}));
  QCOMPARE(row.MaxSk->currentText(), "-150");
  QCOMPARE(rig.form->analogModules.GetValue(1, 2, AnalogValue::ScaleMax), -150.0f);
  QCOMPARE(rig.form->analogModules.GetRangeIndex(1, 2), 0);
}

void ModulesTest::Lk9_MinimumChosen_MaximaOfThatMinimumAndTheLastMatchingRow() {
  AnalogRig rig;
  AnalogModuleWindow& p = rig.PrepareLk9();  // defaults: sensor "100П", range index 30 = (0, 100)
  const auto& row = p.Rows[1];
  QCOMPARE(row.MinSk->currentText(), "0");
  QCOMPARE(row.MaxSk->currentText(), "100");
  const int minus50 = row.MinSk->findText("-50");
  p.onScaleMinChosen(1, minus50);
  QCOMPARE(Items(row.MaxSk), QStringList({"0", "50", "100", "150", "200", "250", "400", "500", "120"}));
  QCOMPARE(rig.form->analogModules.GetRangeIndex(1, 1), 15);
  p.onScaleMaxChosen(1, row.MaxSk->findText("120"));
  QCOMPARE(rig.form->analogModules.GetRangeIndex(1, 1), 43);
  QCOMPARE(rig.form->analogModules.GetValue(1, 1, AnalogValue::ScaleMin), -50.0f);
  QCOMPARE(rig.form->analogModules.GetValue(1, 1, AnalogValue::ScaleMax), 120.0f);
}

void ModulesTest::Lk9_FreeScaleOutside200_Refused() {
  AnalogRig rig;
  rig.form->analogModules.ChooseSensorType(1, 0, 15);  // "50M"
  AnalogModuleWindow& p = rig.PrepareLk9();
  rig.Type(p.Rows[0].VSK, "201");
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(p.Rows[0].VSK->text(), "200,0000");
  rig.Type(p.Rows[0].VSK, "150");
  QCOMPARE(rig.form->analogModules.GetValue(1, 0, AnalogValue::ScaleMax), 150.0f);
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
}

void ModulesTest::Setpoint_BadTextRefusedStoredValueBack_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("stored");
  QTest::addColumn<int>("messages");
  QTest::newRow("two commas") << "12,5,1" << false << 1;
  QTest::newRow("inner minus") << "1-2" << false << 1;
  QTest::newRow("above 32767") << "40000" << false << 1;
  QTest::newRow("empty, silently") << "" << false << 0;
  QTest::newRow("decimal comma") << "12,5" << true << 0;
  QTest::newRow("negative") << "-7" << true << 0;
}

void ModulesTest::Setpoint_BadTextRefusedStoredValueBack() {
  QFETCH(QString, text);
  QFETCH(bool, stored);
  QFETCH(int, messages);
  AnalogRig rig;
  AnalogModuleWindow& p = rig.PrepareLk7();
  QLineEdit* field = p.Rows[3].Ust[2];  // setpoint H of input 4, 100 by default
  rig.Type(field, text);
  QCOMPARE(static_cast<int>(rig.ui.Shown().size()), messages);
  if (messages) QCOMPARE(QString::fromStdString(rig.ui.Last().text), " Ошибка ввода ");
  const float value = rig.form->analogModules.GetValue(0, 3, AnalogValue::SetpointH);
  if (stored) {
    QCOMPARE(value, static_cast<float>(*ParseDecimal(text.toStdString())));
    QCOMPARE(field->text(), text);
  } else {
    QCOMPARE(value, 100.0f);
    QCOMPARE(field->text(), "100,0000");
  }
}

void ModulesTest::DeadZone_4Refused_3StoredInBits5And4() {
  AnalogRig rig;
  AnalogModuleWindow& p = rig.PrepareLk7();
  QLineEdit* field = p.Rows[0].ZonaIns;
  rig.Type(field, "4");
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(field->text(), "0");
  QCOMPARE(rig.form->analogModules.GetDeadZone(0, 0), 0);
  rig.Type(field, "3");
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(rig.form->analogModules.GetRecordByte(0, 2) & 0x30, 0x30);
}

void ModulesTest::ValueField_TypingStopsAtSevenCharacters() {
  AnalogRig rig;
  AnalogModuleWindow& p = rig.PrepareLk7();
  QLineEdit* field = p.Rows[0].Ust[0];
  field->clear();
  QTest::keyClicks(field, "123456789");
  QCOMPARE(field->text(), "1234567");
  QVERIFY(rig.ui.Shown().empty());
  QCOMPARE(rig.form->analogModules.Unchanged[0], 0);
}

void ModulesTest::DeviceClose_AfterEdit_AnswersDecide_data() {
  QTest::addColumn<int>("answer");
  QTest::addColumn<bool>("closes");
  QTest::addColumn<bool>("written");
  QTest::addColumn<QString>("position");
  QTest::newRow("No restores") << int(Answer::No) << true << false << "поз.6102";
  QTest::newRow("Yes writes") << int(Answer::Yes) << true << true << "ПЕЧЬ-2";
  QTest::newRow("Cancel stays") << int(Answer::Cancel) << false << false << "ПЕЧЬ-2";
}

void ModulesTest::DeviceClose_AfterEdit_AnswersDecide() {
  QFETCH(int, answer);
  QFETCH(bool, closes);
  QFETCH(bool, written);
  QFETCH(QString, position);
  AnalogRig rig;
  AnalogModuleWindow& p = rig.PrepareLk7();
  rig.Type(p.Rows[1].Poz, "ПЕЧЬ-2");
  rig.ui.QueueAnswer(static_cast<Answer>(answer));
  if (written) {
    rig.line.QueueFrame({0x01, 69, 0x01, 0x01});
    rig.line.QueueFrame({0x01, 14});
  }
  p.onOk();
  // A write keeps the window until it is done, then closes it.
  const bool closedAtOnce = p.canClose();
  QVERIFY(Settle());
  QCOMPARE(closedAtOnce, closes && !written);
  if (written) QCOMPARE(p.result(), p.ModalResult);
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "База  была изменена. Передать в прибор?");
  QCOMPARE(QString::fromStdString(rig.ui.Last().caption), "Подтвердите передачу базы данных");
  QCOMPARE(QString::fromStdString(rig.form->analogModules.GetPosition(0, 1)), position);
  QCOMPARE(rig.line.Written().empty(), !written);
  if (written) {
    const Bytes& store = rig.line.Written()[0];
    QCOMPARE(store.size(), size_t{2 + 169 + 2});
    QCOMPARE(store[1], uint8_t{69});
    QCOMPARE(store[2], uint8_t{1});
    QCOMPARE(rig.form->analogModules.Unchanged[0], 1);
    const auto record = rig.form->analogModules.GetRecord(0);
    QVERIFY(std::equal(record.begin(), record.end(), rig.form->reserveBlocks.ModuleRecords[0].begin()));
  }
  QCOMPARE(p.ModalResult, 2);
}

void ModulesTest::FileClose_AfterEdit_KeepsAsReferenceAndMarksTheFile() {
  AnalogRig rig;
  rig.form->service.FileMode = 1;
  AnalogModuleWindow& p = rig.PrepareLk7();
  p.Rows[4].TInp->setCurrentIndex(3);
  emit p.Rows[4].TInp->activated(3);
  p.onOk();
  QVERIFY(p.canClose());
  QVERIFY(rig.ui.Shown().empty());
  QVERIFY(rig.line.Written().empty());
  QCOMPARE(rig.form->service.FileChanged, 1);
  QCOMPARE(rig.form->analogModules.GetInputSignal(0, 4), 3);
  QCOMPARE(rig.form->reserveBlocks.ModuleRecords[0][1 + 28 * 4 + 1] & 0x07, 3);
}

void ModulesTest::Cancel_RestoresTheReferenceWithoutAQuestion() {
  AnalogRig rig;
  AnalogModuleWindow& p = rig.PrepareLk7();
  rig.Type(p.Rows[0].Ust[0], "-5");
  QCOMPARE(rig.form->analogModules.GetValue(0, 0, AnalogValue::SetpointLL), -5.0f);
  p.onCancel();
  QVERIFY(p.canClose());
  QVERIFY(rig.ui.Shown().empty());
  QCOMPARE(rig.form->analogModules.GetValue(0, 0, AnalogValue::SetpointLL), 0.0f);
  // The next opening starts without the cancel: an edit is offered for sending.
  rig.PrepareLk7();
  rig.Type(p.Rows[0].Ust[0], "-5");
  QVERIFY(p.canClose());  // answered with the default, No
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(rig.form->analogModules.GetValue(0, 0, AnalogValue::SetpointLL), 0.0f);
}

void ModulesTest::Replace_OnlyBetweenModulesOfOneType() {
  AnalogRig rig;
  AnalogModuleWindow& p = rig.PrepareLk7();
  QVERIFY(!p.ButReplace->isEnabled());
  rig.Type(p.Rows[0].Poz, "КОПИЯ");
  p.ButCopy->click();
  Settle();
  QVERIFY(p.ButReplace->isEnabled());

  rig.PrepareLk9();
  QVERIFY(!p.ButReplace->isEnabled());
  QVERIFY(!p.NReplace->isEnabled());

  p.Prepare(4, 3, 6, "AI3_1 - AI3_6");
  Settle();
  QVERIFY(p.ButReplace->isEnabled());
  p.ButReplace->click();
  Settle();
  QCOMPARE(p.Rows[0].Poz->text(), "КОПИЯ");
  QCOMPARE(rig.form->analogModules.GetPosition(2, 0), "КОПИЯ");
  QCOMPARE(rig.form->analogModules.Unchanged[2], 0);
}

void ModulesTest::Report_SavedAsRtfThenPrintedOnYes() {
  AnalogRig rig;
  AnalogModuleWindow& p = rig.PrepareLk7();
  QTemporaryDir dir;
  const QString path = dir.filePath("mba1");
  p.DialSaveFile = [&](const FileDialogRequest&) { return path; };
  std::vector<Report> printed;
  p.PrintReport = [&](const Report& r) { printed.push_back(r); };
  p.ReportTitle = [] { return std::string("Файл plant.zul"); };
  rig.ui.QueueAnswer(Answer::Yes);
  p.ButPrint->click();
  Settle();
  QVERIFY(QFile::exists(path + ".rtf"));
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "Печатать?");
  QCOMPARE(printed.size(), size_t{1});
  QCOMPARE(printed[0].lines.front(), "Файл plant.zul");
  QCOMPARE(printed[0].orientation, PageOrientation::Landscape);
  QCOMPARE(printed[0].marginPoints, 29);
  QVERIFY(QString::fromStdString(printed[0].lines.back())
              .startsWith("6	поз.6106	20-100 кПа	линейная"));
}

QTEST_MAIN(ModulesTest)
#include "modules_test.moc"
