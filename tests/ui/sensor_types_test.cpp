// The programmable discrete module window: hints, the sensor-type word of its
// slot, closing in device and file mode, the block 98 transfer, the live view.
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "ui/UiTestSupport.h"
#include "ui/modules/SensorTypesWindow.h"
#include "ui/online/OnlineDiscreteView.h"

using namespace zul;
using namespace zul::test;

namespace {

// Three programmable modules (type 10) in slots 1..3.
struct SensorRig : MainWindowRig {
  SensorRig() {
    Compose({10, 10, 10});
    form->discreteProcessing.AccessLevel = kFullAccess;
  }
  SensorTypesWindow& Tip() { return *form->sensorTypesWindow; }
  // Opens slot `slot` from the module table and runs `inside` while it is shown.
  bool WhileOpen(int slot, const std::function<void(SensorTypesWindow&)>& inside) {
    return WhileModal([&] { form->openModuleWindow(slot); },
                      [&](QWidget* w) {
                        auto* t = qobject_cast<SensorTypesWindow*>(w);
                        QVERIFY(t);
                        inside(*t);
                      });
  }
  void QueueStored() {
    line.QueueFrame({0x01, 69, 0x01, 98});
    line.QueueFrame({0x01, 14});
  }
};

void Choose(SensorTypesWindow& t, int sensor, int item) {
  t.RadioGroups[static_cast<size_t>(sensor)]->findChildren<QRadioButton*>()[item]->click();
  Settle();
}

}  // namespace

class SensorTypesTest : public QObject {
  Q_OBJECT
 private slots:
  void Opening_Slot2_HintsNameSignals13To24();
  void Namur_OnSensor12_Sends98Then0x00_0x08AndThirtyZeros();
  void OkWithoutClick_ClosesWithoutQuestionAndSendsNothing();
  void ChangedAndBack_StillAsks();
  void AnswerCancel_StaysOpen_LaterOkAsksAgain();
  void FileMode_OkCopiesToReference_data();
  void FileMode_OkCopiesToReference();
  void Cancel_RestoresTheSlotWordWithoutQuestion();
  void ClickWhileHidden_IsNoEdit();
  void OnLine_OpensTheInputView();
};

void SensorTypesTest::Opening_Slot2_HintsNameSignals13To24() {
  SensorRig rig;
  QVERIFY(rig.WhileOpen(2, [](SensorTypesWindow& t) {
    QCOMPARE(t.windowTitle(), "Программирование модуля  ЛК-2");
    QCOMPARE(t.LabNMod->text(), "2");
    QCOMPARE(t.LabTMod->text(), "ЛК-2");
    QCOMPARE(t.LabN->text(), "входы DI_2_1 - DI_2_12");
    QCOMPARE(t.RadioGroups[0]->title(), "Датчик №1");
    QCOMPARE(t.RadioGroups[1]->title(), "Датчик № 2");
    QCOMPARE(t.RadioGroups[0]->toolTip(), "номер дискретного сигнала в базе 13 (адрес 0x0C)");
    QCOMPARE(t.RadioGroups[11]->toolTip(), "номер дискретного сигнала в базе 24 (адрес 0x17)");
    QVERIFY(!t.Save->isVisible());
    t.OK->click();
    Settle();
  }));
  QCOMPARE(rig.form->discreteProcessing.GetEditSlot(), 2);
}

void SensorTypesTest::Namur_OnSensor12_Sends98Then0x00_0x08AndThirtyZeros() {
  SensorRig rig;
  rig.ui.QueueAnswer(Answer::Yes);
  rig.QueueStored();
  QVERIFY(rig.WhileOpen(1, [](SensorTypesWindow& t) {
    Choose(t, 11, 1);
    t.OK->click();
    Settle();
  }));
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "База  была изменена. Пeредать в прибор?");
  Bytes expected{0x01, 69, 98, 0x00, 0x08};
  expected.resize(5 + 30, 0);
  QCOMPARE(rig.line.Written().at(0), WithCrc(expected));
  QCOMPARE(rig.form->reserveBlocks.SensorTypes[1], uint8_t{0x08});
  QCOMPARE(rig.form->discreteProcessing.ModuleSynced[1], 1);
  QCOMPARE(rig.form->discreteProcessing.Modified, 1);
}

void SensorTypesTest::OkWithoutClick_ClosesWithoutQuestionAndSendsNothing() {
  SensorRig rig;
  QVERIFY(rig.WhileOpen(3, [](SensorTypesWindow& t) { t.OK->click(); }));
  QVERIFY(rig.ui.Shown().empty());
  QVERIFY(rig.line.Written().empty());
}

void SensorTypesTest::ChangedAndBack_StillAsks() {
  SensorRig rig;
  rig.ui.QueueAnswer(Answer::No);
  QVERIFY(rig.WhileOpen(1, [](SensorTypesWindow& t) {
    Choose(t, 4, 1);
    Choose(t, 4, 0);
    t.OK->click();
    Settle();
  }));
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(QString::fromStdString(rig.ui.Last().caption), "Подтвердите передачу базы данных");
  QVERIFY(rig.line.Written().empty());
  QCOMPARE(rig.form->discreteProcessing.ModuleSynced[1], 1);
}

void SensorTypesTest::AnswerCancel_StaysOpen_LaterOkAsksAgain() {
  SensorRig rig;
  rig.ui.QueueAnswer(Answer::Cancel);
  rig.ui.QueueAnswer(Answer::No);
  QVERIFY(rig.WhileOpen(2, [&](SensorTypesWindow& t) {
    Choose(t, 0, 1);
    t.OK->click();
    Settle();
    QVERIFY(t.isVisible());
    QCOMPARE(rig.form->discreteProcessing.GetSensorType(0, 1), 1);  // the edit is still there
    t.OK->click();
    Settle();
    QVERIFY(!t.isVisible());
  }));
  QCOMPARE(rig.ui.Shown().size(), size_t{2});
  QCOMPARE(rig.form->discreteProcessing.GetSensorType(0, 1), 0);  // No: back to the reference
}

void SensorTypesTest::FileMode_OkCopiesToReference_data() {
  QTest::addColumn<bool>("change");
  QTest::addColumn<int>("fileChanged");
  QTest::newRow("changed") << true << 1;
  QTest::newRow("unchanged") << false << 0;
}

void SensorTypesTest::FileMode_OkCopiesToReference() {
  QFETCH(bool, change);
  QFETCH(int, fileChanged);
  SensorRig rig;
  rig.form->service.FileMode = 1;
  rig.form->discreteProcessing.SetSensorType(2, 0, 1);  // slot 1, sensor 3: not yet in the reference
  QVERIFY(rig.WhileOpen(2, [&](SensorTypesWindow& t) {
    if (change) Choose(t, 1, 1);
    t.OK->click();
    Settle();
  }));
  QVERIFY(rig.ui.Shown().empty());
  QCOMPARE(rig.form->service.FileChanged, fileChanged);
  QCOMPARE(rig.form->reserveBlocks.SensorTypes[0], uint8_t{0x04});
  QCOMPARE(rig.form->reserveBlocks.SensorTypes[2], static_cast<uint8_t>(change ? 0x02 : 0x00));
}

void SensorTypesTest::Cancel_RestoresTheSlotWordWithoutQuestion() {
  for (int fileMode : {0, 1}) {
    SensorRig rig;
    rig.form->service.FileMode = fileMode;
    rig.form->reserveBlocks.SensorTypes[4] = 0x01;
    rig.form->discreteProcessing.SetSensorTypeByte(4, 0x01);
    rig.form->discreteProcessing.UnpackSensorTypes();
    QVERIFY(rig.WhileOpen(3, [](SensorTypesWindow& t) {
      QCOMPARE(t.RadioGroups[0]->ItemIndex(), 1);
      Choose(t, 0, 0);
      Choose(t, 7, 1);
      t.Cancel->click();
      Settle();
    }));
    QVERIFY(rig.ui.Shown().empty());
    QCOMPARE(rig.form->discreteProcessing.GetSensorTypeByte(4), 0x01);
    QCOMPARE(rig.form->discreteProcessing.GetSensorType(7, 2), 0);
    QCOMPARE(rig.form->service.FileChanged, 0);
  }
}

void SensorTypesTest::ClickWhileHidden_IsNoEdit() {
  SensorRig rig;
  SensorTypesWindow& t = rig.Tip();
  t.Prepare(1, "ЛК-2", "DI_1_1 - DI_1_12");
  Settle();
  t.onSensorTypeChosen(0);
  QCOMPARE(rig.form->discreteProcessing.ModuleSynced[1], 1);
}

void SensorTypesTest::OnLine_OpensTheInputView() {
  SensorRig rig;
  rig.form->service.SetText(12 + 2, "Клапан 3");
  QVERIFY(ModalSteps([&] { rig.form->openModuleWindow(2); },
                     {[](QWidget* w) { qobject_cast<SensorTypesWindow*>(w)->ButOnLine->click(); },
                      [](QWidget* w) {
                        auto* v = qobject_cast<DiscreteInputsOnline*>(w);
                        QVERIFY(v);
                        QCOMPARE(v->LabNMod->text(), "2");
                        QCOMPARE(v->LabAMod->text(), "1");
                        QCOMPARE(v->TRecv[2]->text(), "Клапан 3");
                        v->reject();
                      },
                      [](QWidget* w) { qobject_cast<SensorTypesWindow*>(w)->OK->click(); }}) == 0);
}

QTEST_MAIN(SensorTypesTest)
#include "sensor_types_test.moc"
