// The relay module window: opening per module type, the switches of an
// output and what they clear, the external input checks of closing, copy and
// replace between module types, the live view.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "core/config/InformTables.h"
#include "ui/UiTestSupport.h"
#include "ui/modules/RelayModuleWindow.h"
#include "ui/online/OnlineDiscreteView.h"

using namespace zul;
using namespace zul::test;

namespace {

// Two discrete input modules, an analog module, then relay modules of
// types 3, 4, 5 and 12 (relay modules 1..4 in slots 4..7).
struct RelayRig : MainWindowRig {
  RelayRig() {
    Compose({1, 1, 6, 3, 4, 5, 12});
    form->discreteProcessing.AccessLevel = kFullAccess;
    form->relayModules.SetDefaults();
    const auto block = form->relayModules.GetBlock();
    std::copy(block.begin(), block.end(), form->reserveBlocks.RelayBlock.begin());
  }
  RelayModuleWindow& Mr() { return *form->relayModuleWindow; }
  RelayModuleWindow& PrepareModule1() {
    Mr().Prepare(4, 1, 3, "ЛК-4");
    Settle();
    return Mr();
  }
  void Type(QLineEdit* field, const QString& text) {
    field->setText(text);
    emit field->textEdited(text);
    Mr().leaveField(field);
  }
};

}  // namespace

class RelayModuleTest : public QObject {
  Q_OBJECT
 private slots:
  void ModuleButton_OpensTheRelayWindowPerType_data();
  void ModuleButton_OpensTheRelayWindowPerType();
  void ExternalInput_WithTwoDiscreteModules_24Accepted25Refused_data();
  void ExternalInput_WithTwoDiscreteModules_24Accepted25Refused();
  void ExternalInput_NegativeOrNotANumber_RefusedOnLeaving();
  void SwitchToControl_ClearsTheAcknowledgement();
  void HornMode_ClearsTheResets();
  void UnusedFieldsOfAFile_ShowWhatTheRecordSends_data();
  void UnusedFieldsOfAFile_ShowWhatTheRecordSends();
  void Replace_Type3OntoType12Disabled_OntoType4Enabled();
  void DeviceClose_No_PutsTheReferenceBack();
  void OnLine_OpensTheOutputsView();
};

void RelayModuleTest::ModuleButton_OpensTheRelayWindowPerType_data() {
  QTest::addColumn<int>("row");
  QTest::addColumn<int>("fileMode");
  QTest::addColumn<QString>("module");
  QTest::newRow("type 3 device") << 4 << 0 << "1";
  QTest::newRow("type 4 file") << 5 << 1 << "2";
  QTest::newRow("type 5 device") << 6 << 0 << "3";
  QTest::newRow("type 12 file") << 7 << 1 << "4";
}

void RelayModuleTest::ModuleButton_OpensTheRelayWindowPerType() {
  QFETCH(int, row);
  QFETCH(int, fileMode);
  QFETCH(QString, module);
  RelayRig rig;
  rig.form->service.FileMode = fileMode;
  QVERIFY(WhileModal([&] { rig.form->openModuleWindow(row); },
                     [&](QWidget* w) {
                       auto* mr = qobject_cast<RelayModuleWindow*>(w);
                       QVERIFY(mr);
                       QCOMPARE(mr->windowTitle(), "Программирование модулей МР");
                       QCOMPARE(mr->LabNMod->text(), module);
                       QCOMPARE(mr->LabTMod->text(), rig.form->Rows[static_cast<size_t>(row - 1)].M->text());
                       // The default output: control with interlock, resets from both places.
                       const auto& r = mr->Rows[7];
                       QCOMPARE(r.TipVyh->currentText(), "управл.");
                       QVERIFY(r.Block->isVisible());
                       QVERIFY(!r.Kvit->isVisible());
                       QCOMPARE(r.Block->currentText(), "с   блокировкой");
                       QVERIFY(!r.EditVxKvit->isEnabled());
                       QVERIFY(r.SbrMind->isChecked());
                       QVERIFY(r.SbrTopLevel->isChecked());
                       mr->OK->click();
                     }));
  QVERIFY(rig.ui.Shown().empty());
  QCOMPARE(rig.form->relayModules.CurrentSlot, row);
}

void RelayModuleTest::ExternalInput_WithTwoDiscreteModules_24Accepted25Refused_data() {
  QTest::addColumn<bool>("reset");
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("closes");
  QTest::newRow("acknowledgement 24") << false << "24" << true;
  QTest::newRow("acknowledgement 25") << false << "25" << false;
  QTest::newRow("reset 24") << true << "24" << true;
  QTest::newRow("reset 25") << true << "25" << false;
  QTest::newRow("acknowledgement empty") << false << "" << false;
}

void RelayModuleTest::ExternalInput_WithTwoDiscreteModules_24Accepted25Refused() {
  QFETCH(bool, reset);
  QFETCH(QString, text);
  QFETCH(bool, closes);
  RelayRig rig;
  rig.form->service.FileMode = 1;  // no send question in the way
  RelayModuleWindow& mr = rig.PrepareModule1();
  mr.onOutputTypeChosen(2, 0);  // signalling: the acknowledgement input is open
  QLineEdit* field = reset ? mr.Rows[2].EditVhSbr : mr.Rows[2].EditVxKvit;
  field->setText(text);
  mr.onOk();
  QCOMPARE(mr.canClose(), closes);
  if (closes) {
    QCOMPARE(reset ? rig.form->relayModules.GetResetInput(2, 0) : rig.form->relayModules.GetAckInput(2, 0),
             text.toInt());
    QVERIFY(!mr.ErrorText->isVisibleTo(&mr));
  } else {
    QCOMPARE(mr.ModalResult, 6);
    if (!text.isEmpty()) {
      QVERIFY(mr.ErrorText->isVisibleTo(&mr));
      QVERIFY(mr.ErrorText->text().endsWith(reset ? " Неверный адрес входа внеш. сброса"
                                                  : " Неверный адрес входа внеш. квитирования"));
      QCOMPARE(field->text(), "0");  // what the reference holds
    }
  }
  QVERIFY(rig.ui.Shown().empty());
}

void RelayModuleTest::ExternalInput_NegativeOrNotANumber_RefusedOnLeaving() {
  RelayRig rig;
  RelayModuleWindow& mr = rig.PrepareModule1();
  mr.onOutputTypeChosen(0, 0);
  rig.Type(mr.Rows[0].EditVxKvit, "7");
  QCOMPARE(rig.form->relayModules.GetAckInput(0, 0), 7);
  for (const char* bad : {"-5", "x", ""}) {
    rig.Type(mr.Rows[0].EditVxKvit, bad);
    QCOMPARE(mr.Rows[0].EditVxKvit->text(), "7");
    QCOMPARE(rig.form->relayModules.GetAckInput(0, 0), 7);
  }
  QCOMPARE(rig.ui.Shown().size(), size_t{3});
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), " Ошибка ввода ");
}

void RelayModuleTest::SwitchToControl_ClearsTheAcknowledgement() {
  RelayRig rig;
  RelayModuleWindow& mr = rig.PrepareModule1();
  mr.onOutputTypeChosen(1, 0);
  const auto& r = mr.Rows[1];
  QVERIFY(r.Kvit->isVisibleTo(&mr));
  QCOMPARE(r.Kvit->currentText(), "свет(перевод в ровн.)");
  r.KvitMind->click();
  Settle();
  rig.Type(r.EditVxKvit, "5");
  QCOMPARE(rig.form->relayModules.GetAckInput(1, 0), 5);
  QCOMPARE(rig.form->relayModules.GetAckPanel(1, 0), 1);
  mr.onOutputTypeChosen(1, 1);
  QCOMPARE(rig.form->relayModules.GetAckInput(1, 0), 0);
  QCOMPARE(rig.form->relayModules.GetAckPanel(1, 0), 0);
  QCOMPARE(rig.form->relayModules.GetMode(1, 0), 0);
  QCOMPARE(rig.form->relayModules.GetResetPanel(1, 0), 1);  // kept
  QVERIFY(!r.EditVxKvit->isEnabled());
  QVERIFY(!r.KvitMind->isChecked());
  QVERIFY(r.Block->isVisibleTo(&mr));
  QCOMPARE(r.Block->currentText(), "без блокировки");
  QVERIFY(r.EditVhSbr->isEnabled());
  QCOMPARE(rig.form->relayModules.Unchanged[0], 0);
}

void RelayModuleTest::HornMode_ClearsTheResets() {
  RelayRig rig;
  RelayModuleWindow& mr = rig.PrepareModule1();
  mr.onOutputTypeChosen(3, 0);
  const auto& r = mr.Rows[3];
  rig.Type(r.EditVhSbr, "12");
  QVERIFY(r.SbrMind->isChecked());
  mr.onAcknowledgeChosen(3, 1);
  QCOMPARE(rig.form->relayModules.GetMode(3, 0), 1);
  QCOMPARE(rig.form->relayModules.GetResetPanel(3, 0), 0);
  QCOMPARE(rig.form->relayModules.GetResetTop(3, 0), 0);
  QCOMPARE(rig.form->relayModules.GetResetInput(3, 0), 0);
  for (QCheckBox* box : {r.SbrMind, r.SbrTopLevel}) {
    QVERIFY(!box->isChecked());
    QVERIFY(!box->isEnabled());
  }
  QVERIFY(!r.EditVhSbr->isEnabled());
  QCOMPARE(r.EditVhSbr->text(), "0");
  mr.onAcknowledgeChosen(3, 0);  // light: the resets are open again
  QVERIFY(r.SbrMind->isEnabled());
  QVERIFY(r.EditVhSbr->isEnabled());
}

// A record from a file may keep values its mode does not use; the window
// shows them (disabled) as the outputs information window does.
void RelayModuleTest::UnusedFieldsOfAFile_ShowWhatTheRecordSends_data() {
  QTest::addColumn<int>("outputType");  // 0 signalling, 1 control
  QTest::addColumn<int>("mode");
  QTest::addColumn<bool>("resetsUsed");
  QTest::addColumn<bool>("acknowledgementUsed");
  QTest::newRow("horn") << 0 << 1 << false << true;
  QTest::newRow("control with interlock") << 1 << 1 << true << false;
}

void RelayModuleTest::UnusedFieldsOfAFile_ShowWhatTheRecordSends() {
  QFETCH(int, outputType);
  QFETCH(int, mode);
  QFETCH(bool, resetsUsed);
  QFETCH(bool, acknowledgementUsed);
  RelayRig rig;
  RelayModules& mr = rig.form->relayModules;
  mr.SetOutputType(2, 0, outputType);
  mr.SetMode(2, 0, mode);
  mr.SetResetInput(2, 0, 7);
  mr.SetResetPanel(2, 0, 1);
  mr.SetAckInput(2, 0, 5);
  mr.SetAckTop(2, 0, 1);
  const auto& r = rig.PrepareModule1().Rows[2];
  QCOMPARE(r.EditVhSbr->text(), "7");
  QVERIFY(r.SbrMind->isChecked());
  QCOMPARE(r.EditVxKvit->text(), "5");
  QVERIFY(r.KvitTopLevel->isChecked());
  QCOMPARE(r.EditVhSbr->isEnabled(), resetsUsed);
  QCOMPARE(r.SbrMind->isEnabled(), resetsUsed);
  QCOMPARE(r.EditVxKvit->isEnabled(), acknowledgementUsed);
  QCOMPARE(r.KvitTopLevel->isEnabled(), acknowledgementUsed);
  const auto rows = OutputRows(rig.form->config);
  const OutputRow& row = rows[2];
  QCOMPARE(QString::fromStdString(row[11]), r.EditVhSbr->text());
  QCOMPARE(QString::fromStdString(row[8]), r.EditVxKvit->text());
}

void RelayModuleTest::Replace_Type3OntoType12Disabled_OntoType4Enabled() {
  RelayRig rig;
  RelayModuleWindow& mr = rig.PrepareModule1();
  QVERIFY(!mr.ButReplace->isEnabled());
  mr.onOutputTypeChosen(0, 0);
  mr.ButCopy->click();
  Settle();
  mr.Prepare(7, 4, 12, "ЛК-3");
  Settle();
  QVERIFY(!mr.ButReplace->isEnabled());
  QVERIFY(!mr.NReplace->isEnabled());
  mr.Prepare(5, 2, 4, "ЛК-5");
  Settle();
  QVERIFY(mr.ButReplace->isEnabled());
  mr.ButReplace->click();
  Settle();
  QCOMPARE(rig.form->relayModules.GetOutputType(0, 1), 0);
  QCOMPARE(mr.Rows[0].TipVyh->currentText(), "сигнал.");
  QCOMPARE(rig.form->relayModules.Unchanged[1], 0);
}

void RelayModuleTest::DeviceClose_No_PutsTheReferenceBack() {
  RelayRig rig;
  RelayModuleWindow& mr = rig.PrepareModule1();
  mr.onOutputTypeChosen(5, 0);
  rig.ui.QueueAnswer(Answer::No);
  mr.onOk();
  QVERIFY(mr.canClose());
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "База  была изменена. Пeредать в прибор?");
  QCOMPARE(rig.form->relayModules.GetOutputType(5, 0), 1);
  QCOMPARE(rig.form->relayModules.Unchanged[0], 1);
  QVERIFY(rig.line.Written().empty());
}

void RelayModuleTest::OnLine_OpensTheOutputsView() {
  RelayRig rig;
  RelayModuleWindow& mr = *rig.form->relayModuleWindow;
  mr.Prepare(5, 2, 4, "ЛК-5");
  Settle();
  QVERIFY(WhileModal([&] { mr.ButOnLine->click(); },
                     [&](QWidget* w) {
                       auto* v = qobject_cast<RelayOutputsOnline*>(w);
                       QVERIFY(v);
                       QCOMPARE(v->LabNMod->text(), "2");
                       QCOMPARE(v->LabAMod->text(), "4");
                       QCOMPARE(v->TipMod->text(), "ЛК-5");
                       QCOMPARE(v->TRecv[0]->text(), "DO_2_1");
                       v->reject();
                     }));
}

QTEST_MAIN(RelayModuleTest)
#include "relay_module_test.moc"
