#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "core/ScriptedInteraction.h"
#include "core/config/Configuration.h"
#include "core/config/InputInfo.h"
#include "ui/discrete/SignalDialogs.h"
#include "ui/inform/InformationWindows.h"
#include "ui/widgets/HintLabel.h"

using namespace zul;

namespace {

// The dialogs over one configuration, as the main window creates them.
struct Rig {
  Rig() {
    model.service.SetSignalCount(48);
    dialogs = CreateSignalDialogs(model, ui, &host);
  }
  QWidget host;
  Configuration model;
  ScriptedInteraction ui;
  SignalDialogSet dialogs;
};

// Opens the dialog, runs `inside` while it is shown, returns its result.
int Run(QDialog* dialog, const std::function<void()>& inside) {
  QTimer::singleShot(0, dialog, inside);
  return dialog->exec();
}

}  // namespace

class SignalDialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void RecordDialogs_EmptyFieldsCloseAsZeros_data();
  void RecordDialogs_EmptyFieldsCloseAsZeros();
  void AlarmDialog_CellFieldFollowsTheDisplay_data();
  void AlarmDialog_CellFieldFollowsTheDisplay();
  void NumberFields_RefuseLetters();
  void NumberFields_TabMovesOnWithoutAnError_data();
  void NumberFields_TabMovesOnWithoutAnError();
  void EnterOnOk_PressesOk();
  void ChangeMarks_CountOnlyWhileTheEditorIsShown();
  void NumberDialog_Checks_data();
  void NumberDialog_Checks();
  void OutputsDialog_TogglesMaskBitsAndHidesAbsentModules();
  void TextDialogs_FlagTypingAndBlankAnEmptyText();
  void ArchiveDialog_ButtonCaptionFollowsItsState();
  void OutputInformation_ShowsTheRelayRecord();
  void NetworkInformation_HidesScalingOfADiscreteBlock();
  void Screenshots();
};

void SignalDialogsTest::RecordDialogs_EmptyFieldsCloseAsZeros_data() {
  QTest::addColumn<QString>("dialog");
  QTest::addColumn<QString>("field");
  QTest::addColumn<QString>("closeBy");
  for (const char* close : {"OK", "closeBox", "background"}) {
    QTest::addRow("alarm cell, %s", close) << "FormSig"
                                           << "Edit1" << close;
    QTest::addRow("delay unit, %s", close) << "FormZa"
                                           << "EditDiskr" << close;
    QTest::addRow("delay time, %s", close) << "FormZa"
                                           << "EditT" << close;
  }
}

void SignalDialogsTest::RecordDialogs_EmptyFieldsCloseAsZeros() {
  QFETCH(QString, dialog);
  QFETCH(QString, field);
  QFETCH(QString, closeBy);
  Rig rig;
  auto* d = rig.host.findChild<RecordDialog*>(dialog);
  QVERIFY(d);
  auto* edit = d->findChild<QLineEdit*>(field);
  QVERIFY(edit);
  const int result = Run(d, [&] {
    edit->clear();
    if (closeBy == "OK") d->OK->click();
    if (closeBy == "closeBox") d->reject();
    if (closeBy == "background") QTest::mouseClick(d, Qt::LeftButton, {}, QPoint(2, 2));
  });
  QCOMPARE(result, kDialogClosed);
  QCOMPARE(edit->text(), "00");
}

void SignalDialogsTest::AlarmDialog_CellFieldFollowsTheDisplay_data() {
  QTest::addColumn<int>("indicationType");
  QTest::addColumn<bool>("enabled");
  QTest::newRow("24 cells") << 1 << true;
  QTest::newRow("graphic display, 192 cells") << 2 << false;
  QTest::newRow("text display, 192 cells") << 4 << false;
}

void SignalDialogsTest::AlarmDialog_CellFieldFollowsTheDisplay() {
  QFETCH(int, indicationType);
  QFETCH(bool, enabled);
  Rig rig;
  rig.model.service.SetIndicationType(indicationType);
  rig.model.service.GetIndicationCells();
  AlarmTypeDialog& sig = *rig.dialogs.alarmTypeDialog;
  sig.SetItemIndex(2);
  Run(&sig, [&] {
    QCOMPARE(sig.Edit1->isEnabled(), enabled);
    QCOMPARE(sig.focusWidget(), sig.Items[2]);
    sig.Items[3]->click();
    sig.OK->click();
  });
  QCOMPARE(sig.ItemIndex(), 3);
}

void SignalDialogsTest::NumberFields_RefuseLetters() {
  Rig rig;
  DelayDialog& za = *rig.dialogs.delayDialog;
  za.EditT->setText("1");
  QTest::keyClick(za.EditT, Qt::Key_Q);
  QCOMPARE(za.EditT->text(), "1");
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(rig.ui.Last().text, std::string(" Ошибка ввода "));
  QTest::keyClick(za.EditT, Qt::Key_5);
  QCOMPARE(za.EditT->text(), "15");
  QTest::keyClick(za.EditT, Qt::Key_7);  // two digits at most
  QCOMPARE(za.EditT->text(), "15");
}

void SignalDialogsTest::NumberFields_TabMovesOnWithoutAnError_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("modifiers");
  QTest::newRow("Tab") << int(Qt::Key_Tab) << int(Qt::NoModifier);
  QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier);
  QTest::newRow("Home") << int(Qt::Key_Home) << int(Qt::NoModifier);
}

void SignalDialogsTest::NumberFields_TabMovesOnWithoutAnError() {
  QFETCH(int, key);
  QFETCH(int, modifiers);
  Rig rig;
  DelayDialog& za = *rig.dialogs.delayDialog;
  za.show();
  QVERIFY(QTest::qWaitForWindowExposed(&za));
  za.activateWindow();
  za.EditT->setFocus();
  QTest::keyClick(za.EditT, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
  QVERIFY(rig.ui.Shown().empty());
  if (key != Qt::Key_Home) QVERIFY(!za.EditT->hasFocus());
  za.OK->click();
}

void SignalDialogsTest::EnterOnOk_PressesOk() {
  Rig rig;
  DelayDialog& za = *rig.dialogs.delayDialog;
  za.show();
  QVERIFY(QTest::qWaitForWindowExposed(&za));
  za.OK->setFocus();
  QTest::keyClick(za.OK, Qt::Key_Return);
  QVERIFY(!za.isVisible());
  QCOMPARE(za.result(), kDialogClosed);
}

void SignalDialogsTest::ChangeMarks_CountOnlyWhileTheEditorIsShown() {
  Rig rig;
  ArchivingDialog& vkl = *rig.dialogs.archivingDialog;
  vkl.SBVkl->click();
  QCOMPARE(rig.model.discreteProcessing.Modified, 0);
  rig.model.discreteProcessing.EditorShown = 1;
  vkl.SBVkl->click();
  QCOMPARE(rig.model.discreteProcessing.Modified, 1);
}

void SignalDialogsTest::NumberDialog_Checks_data() {
  QTest::addColumn<int>("group");
  QTest::addColumn<QStringList>("values");
  QTest::addColumn<bool>("closes");
  QTest::addColumn<QString>("message");
  QTest::newRow("single: 0") << 1 << QStringList{"0"} << false << "";
  QTest::newRow("single: empty") << 1 << QStringList{""} << false << "";
  QTest::newRow("single: beyond the base")
      << 1 << QStringList{"49"} << false << "Вход с таким № не существует";
  QTest::newRow("single: last signal") << 1 << QStringList{"48"} << true << "";
  QTest::newRow("range: one empty") << 2 << QStringList{"3", ""} << false << "";
  QTest::newRow("range: zero") << 2 << QStringList{"0", "4"} << false << "";
  QTest::newRow("range: good") << 2 << QStringList{"3", "4"} << true << "";
  QTest::newRow("start: empty") << 3 << QStringList{""} << false << "";
  QTest::newRow("start: good") << 3 << QStringList{"7"} << true << "";
}

void SignalDialogsTest::NumberDialog_Checks() {
  QFETCH(int, group);
  QFETCH(QStringList, values);
  QFETCH(bool, closes);
  QFETCH(QString, message);
  Rig rig;
  SignalNumberDialog& vh = *rig.dialogs.signalNumberDialog;
  bool stayedOpen = false;
  int resultWhileOpen = 0;
  vh.Prepare("Ввод номеров группы текстовых реквизитов", static_cast<SignalNumberDialog::Group>(group));
  const int result = Run(&vh, [&] {
    std::vector<QLineEdit*> fields = group == 1   ? std::vector<QLineEdit*>{vh.EditNVh}
                                     : group == 2 ? std::vector<QLineEdit*>{vh.Edit1, vh.Edit2}
                                                  : std::vector<QLineEdit*>{vh.Edit3};
    QCOMPARE(vh.focusWidget(), fields[0]);
    for (int k = 0; k < values.size(); ++k) fields[static_cast<size_t>(k)]->setText(values[k]);
    vh.OK->click();
    stayedOpen = vh.isVisible();
    resultWhileOpen = vh.result();
    if (stayedOpen) vh.Cancel->click();
  });
  QCOMPARE(!stayedOpen, closes);
  if (closes) {
    QCOMPARE(result, int(QDialog::Accepted));
  } else {
    QCOMPARE(resultWhileOpen, kDialogRefused);
    QCOMPARE(result, kDialogCancel);
    if (message.isEmpty()) {
      QVERIFY(vh.ErrorText->text().endsWith(" Ошибка ввода "));
    } else {
      QCOMPARE(QString::fromStdString(rig.ui.Last().text), message);
    }
  }
  // Prepared for a group, the dialog shows that group only.
  vh.Prepare("Ввод номера  входа", static_cast<SignalNumberDialog::Group>(group));
  QCOMPARE(vh.windowTitle(), "Ввод номера  входа");
  QCOMPARE(vh.GroupBox1->isVisibleTo(&vh), group == 1);
  QCOMPARE(vh.GroupBox2->isVisibleTo(&vh), group == 2);
  QCOMPARE(vh.GroupBox3->isVisibleTo(&vh), group == 3);
}

void SignalDialogsTest::OutputsDialog_TogglesMaskBitsAndHidesAbsentModules() {
  Rig rig;
  RelayOutputsDialog& vyh = *rig.dialogs.relayOutputsDialog;
  vyh.Prepare(3, {0, 0, 0x05, 0, 0, 0, 0, 0});
  Run(&vyh, [&] {
    QVERIFY(vyh.Labels[2]->isVisible());
    QVERIFY(!vyh.Labels[3]->isVisible());
    QVERIFY(!vyh.Panels[3][0]->isVisible());
    QCOMPARE(vyh.Panels[2][0]->palette().color(QPalette::Window), QColor(128, 128, 0));
    QCOMPARE(vyh.Panels[2][1]->palette().color(QPalette::Window), QColor(192, 192, 192));
    QTest::mouseClick(vyh.Panels[2][7], Qt::LeftButton);
    QCOMPARE(vyh.Masks()[2], 0x85);
    QCOMPARE(vyh.Panels[2][7]->palette().color(QPalette::Window), QColor(128, 128, 0));
    QTest::mouseClick(vyh.Panels[2][7], Qt::LeftButton);
    QCOMPARE(vyh.Masks()[2], 0x05);
    QVERIFY(vyh.isVisible());  // a panel click is not a click on the background
    vyh.PanelInfo(2, 8);
    vyh.OK->click();
  });
  QCOMPARE(rig.model.discreteProcessing.InfoModule, 2);
  QCOMPARE(rig.model.discreteProcessing.InfoOutput, 7);
}

void SignalDialogsTest::TextDialogs_FlagTypingAndBlankAnEmptyText() {
  Rig rig;
  InputTextDialog* dialogs[] = {rig.dialogs.inputTextDialog, rig.dialogs.outputTextDialog};
  int* flags[] = {&rig.model.service.TextChanged, &rig.model.service.OutTextChanged};
  for (int k = 0; k < 2; ++k) {
    InputTextDialog& d = *dialogs[k];
    *flags[k] = 1;
    d.EditText->setText("abc");
    int flagOnShow = -1;
    const int result = Run(&d, [&] {
      flagOnShow = *flags[k];
      QCOMPARE(d.focusWidget(), d.EditText);
      d.EditText->clear();
      QTest::keyClick(d.EditText, Qt::Key_A);
      QTest::keyClick(d.EditText, Qt::Key_Backspace);
      QTest::mouseClick(&d, Qt::LeftButton, {}, QPoint(2, 2));
    });
    QCOMPARE(flagOnShow, 0);
    QCOMPARE(*flags[k], 1);
    QCOMPARE(result, kDialogClosed);
    QCOMPARE(d.EditText->text(), QString(10, ' '));
    QCOMPARE(d.EditText->maxLength(), 14);
  }
  QCOMPARE(rig.dialogs.outputTextDialog->LabNVyh->text(), "Выход №");
  QCOMPARE(rig.dialogs.inputTextDialog->LabNVh->text(), "Вход №");
}

void SignalDialogsTest::ArchiveDialog_ButtonCaptionFollowsItsState() {
  Rig rig;
  ArchivingDialog& vkl = *rig.dialogs.archivingDialog;
  vkl.SetOn(true);
  QCOMPARE(vkl.SBVkl->text(), "включено");
  vkl.SBVkl->click();
  QVERIFY(!vkl.On());
  QCOMPARE(vkl.SBVkl->text(), "отключено");
}

void SignalDialogsTest::OutputInformation_ShowsTheRelayRecord() {
  Rig rig;
  rig.model.relayModules.SetOutputType(4, 1, 0);
  rig.model.relayModules.SetMode(4, 1, 1);
  rig.model.relayModules.SetAckInput(4, 1, 33);
  rig.model.relayModules.SetResetPanel(4, 1, 1);
  rig.model.discreteProcessing.InfoModule = 1;
  rig.model.discreteProcessing.InfoOutput = 4;
  RelayOutputInfoDialog& info = *rig.dialogs.relayOutputInfoDialog;
  info.Prepare();
  QCOMPARE(info.LabNMod->text(), "2");
  QCOMPARE(info.LabNVyh->text(), "5");
  QCOMPARE(info.TipVyh->text(), "сигнал.");
  QCOMPARE(info.Kvit->text(), "звук(с гашением)");
  QVERIFY(!info.Block->isVisibleTo(&info));
  QCOMPARE(info.EditVxKvit->text(), "33");
  QCOMPARE(info.SbrMind->text(), "есть");
  QCOMPARE(info.KvitMind->text(), "нет");
}

void SignalDialogsTest::NetworkInformation_HidesScalingOfADiscreteBlock() {
  Rig rig;
  NetworkInputInfoDialog& net = *rig.dialogs.networkInputInfoDialog;
  InputInfo info;
  info.kind = InputInfo::Kind::Network;
  info.module = 3;
  info.slave = 17;
  info.slaveType = "ЛК-12";
  info.input = 2;
  info.scaling = false;
  net.Prepare(info);
  QCOMPARE(net.LabNMod->text(), "3");
  QCOMPARE(net.LabAdrSlave->text(), "17");
  QCOMPARE(net.LabTUst->text(), "ЛК-12");
  QVERIFY(!net.GroupBox1->isVisibleTo(&net));
  info.scaling = true;
  info.slaveType.clear();  // an unknown type leaves the label as it was
  net.Prepare(info);
  QVERIFY(net.GroupBox1->isVisibleTo(&net));
  QCOMPARE(net.LabTUst->text(), "ЛК-12");
}

// With ZUL_SCREENSHOT_DIR set, the dialogs are saved there as pictures.
void SignalDialogsTest::Screenshots() {
  const QString dir = qEnvironmentVariable("ZUL_SCREENSHOT_DIR");
  if (dir.isEmpty()) QSKIP("ZUL_SCREENSHOT_DIR not set");
  Rig rig;
  rig.dialogs.relayOutputsDialog->Prepare(3, {0x81, 0, 0x05, 0, 0, 0, 0, 0});
  rig.dialogs.relayOutputsDialog->Label2->setText(RecordHeader(4, "DI_1_5"));
  rig.dialogs.signalNumberDialog->Prepare("Ввод номеров группы текстовых реквизитов",
                                          SignalNumberDialog::Range);
  rig.dialogs.relayOutputInfoDialog->Prepare();
  InputInfo info;
  info.header = "51 (адрес 0x32)      DLAI2_1_L";
  info.text = "Давление";
  info.module = 2;
  info.slave = 7;
  info.slaveType = "ЛК-12";
  info.input = 1;
  info.unit = "МПа";
  info.position = "PT-201";
  info.scaleMin = "0,0";
  info.scaleMax = "1,6";
  info.setpointName = "уставка L";
  info.setpointValue = "0,2";
  rig.dialogs.networkInputInfoDialog->Prepare(info);
  const std::pair<QWidget*, const char*> shots[] = {
      {rig.dialogs.relayOutputsDialog, "dialog_outputs.png"},
      {rig.dialogs.alarmTypeDialog, "dialog_alarm.png"},
      {rig.dialogs.signalNumberDialog, "dialog_numbers.png"},
      {rig.dialogs.relayOutputInfoDialog, "dialog_output_info.png"},
      {rig.dialogs.networkInputInfoDialog, "dialog_network_input.png"}};
  for (const auto& [w, name] : shots) {
    w->show();
    QTest::qWait(20);
    QVERIFY(w->grab().save(dir + "/" + name));
    w->hide();
  }
}

QTEST_MAIN(SignalDialogsTest)
#include "signal_dialogs_test.moc"
