// The regulator editor, the loop dialog and the online view against a
// simulated controller with a regulator module, in virtual time.
#include <QComboBox>
#include <QDir>
#include <QGraphicsView>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "core/editing/RegulatorEditing.h"
#include "core/model/Float24.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"
#include "ui/LayoutCheck.h"
#include "ui/PdfText.h"
#include "ui/UiTestSupport.h"
#include "ui/regulators/ControlLoopDialog.h"
#include "ui/regulators/LoopPanelItem.h"
#include "ui/regulators/RegulatorEditor.h"
#include "ui/regulators/RegulatorOnlineView.h"
#include "ui/widgets/HintLabel.h"

using namespace zul;
using namespace zul::test;

namespace {

// Two discrete input modules, two analog modules, a relay module and the
// regulator module; the simulator runs two PID loops on inputs 1 and 2.
struct RegulatorRig {
  RegulatorRig() {
    ControllerSetup setup;
    setup.composition.modules = {};
    size_t slot = 0;
    for (int type : {1, 1, 6, 6, 3, 14}) setup.composition.modules[slot++] = static_cast<uint8_t>(type);
    controller = &bus.Add(setup);
    ProgramOptions options;
    options.passwordFile = QDir(dir.path()).filePath("FParol.dat").toStdString();
    options.fileDirectory = dir.path();
    form = std::make_unique<MainWindow>(line, clock, ui, options);
    form->link.SetPortName("COM1");
    form->link.OpenPort();
    form->discreteProcessing.AccessLevel = kFullAccess;
    form->readFromController();
    Settle();
    ui.Clear();
  }
  RegulatorEditor& Editor() { return *form->regulatorEditor; }
  RegulatorOnlineView& Online() { return *form->regulatorOnlineView; }
  Regulators& Regs() { return form->regulators; }
  // Frames written from now on with this function code.
  std::vector<Bytes> Sent(uint8_t function, size_t from) const {
    std::vector<Bytes> frames;
    for (size_t k = from; k < line.Written().size(); ++k) {
      if (line.Written()[k].size() > 1 && line.Written()[k][1] == function)
        frames.push_back(line.Written()[k]);
    }
    return frames;
  }

  QTemporaryDir dir;
  VirtualClock clock;
  SimulatedBus bus{clock};
  SimulatedLine line{bus, clock};
  ScriptedInteraction ui;
  SimulatedController* controller = nullptr;
  std::unique_ptr<MainWindow> form;
};

ControlLoopDialog* LoopDialog(QWidget* w) {
  auto* d = qobject_cast<ControlLoopDialog*>(w);
  if (!d) qFatal("expected the loop dialog, got %s", qPrintable(w->objectName()));
  return d;
}

void Fill(ControlLoopDialog* d, std::initializer_list<std::pair<const char*, const char*>> values) {
  for (const auto& [name, value] : values) d->Field(name)->setText(value);
}

// A cascade in loops 3 and 4 (inputs 3 and 4, DAC output 3).
void AddCascade(Regulators& r) {
  r.SetPV(2, 3);
  r.SetSPSource(2, 1);
  r.SetOutput(2, 11);
  r.SetKP(2, "2");
  r.SetTi(2, "60");
  r.SetOH(2, "100");
  r.SetPV(3, 4);
  r.SetSPSource(3, 10);
  r.SetOutput(3, 2);
  r.SetKP(3, "1,5");
  r.SetTi(3, "20");
  r.SetOH(3, "100");
}

}  // namespace

class RegulatorWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void ModuleButton_StoresTheSlotAndOpensTheEditor();
  void FileMode_PanelsFromMemoryWithoutReading();
  void CreatePidLoop_WriteReachesTheController();
  void SixLoops_CreateOnlyWarns();
  void DeleteCascade_RemovesTwoRecords();
  void LoopDialog_KindPresets_data();
  void LoopDialog_KindPresets();
  void LoopDialog_ErrorKeepsItOpen();
  void Online_ShowsPvSpOutAndRecordsTheTrend();
  void Online_HandAutOffReleasesApOnOffAndWritesBothCoilsOff();
  void Online_SpOutsideThePvScaleWritesNothing();
  void Online_SpWriteNotTakenKeepsTheControllersValueAndPolls_data();
  void Online_SpWriteNotTakenKeepsTheControllersValueAndPolls();
  void Online_FailedHandAutWithoutPollingDoesNotLatch();
  void LoopDialog_FcRefusalNoRestoresOnlyThisLoop();
  void LoopDialog_RealFieldsTakeDigitsAndOneComma();
  void LoopDialog_NotesStayInsideAndGoWithTheEdit();
  void Editor_DeleteElementsAndClearingTheSelection();
  void Online_CalcBlockRepeaterScaleUnitAndCsvName();
  void Online_CascadeShowsTwoPanels();
  void Online_FailedPollStopsSilently();
  void Online_TrendExportsCsv();
  void Print_FourLoopsAPage_data();
  void Print_FourLoopsAPage();
  void PrintoutReadsAtPrinterResolution();
  void Screenshots();
};

void RegulatorWindowsTest::ModuleButton_StoresTheSlotAndOpensTheEditor() {
  RegulatorRig rig;
  QWidget* opened = nullptr;
  QVERIFY(WhileModal([&] { rig.form->Rows[5].Prg->click(); },
                     [&](QWidget* w) {
                       opened = w;
                       w->close();
                     }));
  QCOMPARE(opened->objectName(), QString("FormReg"));
  QCOMPARE(opened->windowTitle(), QString("Программирование регуляторов"));
  QCOMPARE(rig.Regs().RegModuleSlot, 5);
  // Opening read the simulator's two loops.
  QCOMPARE(rig.Editor().PanelItems().size(), size_t{2});
}

void RegulatorWindowsTest::FileMode_PanelsFromMemoryWithoutReading() {
  RegulatorRig rig;
  rig.form->service.FileMode = 1;
  AddCascade(rig.Regs());
  const size_t written = rig.line.Written().size();
  bool label = false;
  size_t panels = 0;
  QVERIFY(WhileModal([&] { rig.Editor().Open(); },
                     [&](QWidget* w) {
                       label = rig.Editor().LabelFile->isVisible();
                       panels = rig.Editor().PanelItems().size();
                       // Deleting marks the file changed when the editor closes, and asks nothing.
                       rig.Editor().clickPanel(0);
                       rig.Editor().deleteSelected();
                       w->close();
                     }));
  QVERIFY(label);
  QCOMPARE(panels, size_t{3});
  QCOMPARE(rig.line.Written().size(), written);
  QCOMPARE(rig.form->service.FileChanged, 1);
  QVERIFY(rig.ui.Shown().empty());
}

void RegulatorWindowsTest::CreatePidLoop_WriteReachesTheController() {
  RegulatorRig rig;
  RegulatorEditor& ed = rig.Editor();
  ed.readFromController();
  Settle();
  rig.ui.QueueAnswer(Answer::Yes);  // give up the forced mode
  const size_t left =
      ModalSteps([&] { ed.createLoop(); }, {[&](QWidget* w) {
                   ControlLoopDialog* d = LoopDialog(w);
                   QCOMPARE(d->LabCreatProg->text(), QString("создание"));
                   QCOMPARE(d->Field("EditNReg")->text(), QString("3"));
                   d->chooseKind(Regulators::KindSingleLoop);
                   Fill(d, {{"EditAnVh", "7"}, {"EditAdOUT", "3"}, {"EditKp", "2,5"}, {"EdAdFB_OnFC", "0"}});
                   d->onOk();
                 }});
  QCOMPARE(left, size_t{0});
  QCOMPARE(rig.ui.Last().text, std::string("отказываетесь  от режима FC?"));
  QCOMPARE(ed.PanelItems().size(), size_t{3});
  QCOMPARE(rig.Regs().CurReg, 2);
  QVERIFY(ed.PanelItems()[2]->IsSelected());
  QCOMPARE(rig.Regs().RegModified, 1);

  ed.writeToController();
  Settle();
  const auto& block = rig.controller->Blocks().at(32);
  QCOMPARE(int(block[1 + 56]), 7);      // PV
  QCOMPARE(int(block[1 + 56 + 1]), 1);  // own setpoint
  QCOMPARE(int(block[1 + 56 + 2]), 2);  // DAC output 3
  QCOMPARE(rig.Regs().RegModified, 0);
}

void RegulatorWindowsTest::SixLoops_CreateOnlyWarns() {
  RegulatorRig rig;
  for (int k = 0; k < 6; ++k) rig.Regs().SetPV(k, k + 1);
  rig.Editor().createLoop();
  Settle();
  QCOMPARE(rig.ui.Last().text, std::string("Все регуляторы созданы"));
  QCOMPARE(rig.ui.Last().caption, std::string("Предупреждение"));
}

void RegulatorWindowsTest::DeleteCascade_RemovesTwoRecords() {
  RegulatorRig rig;
  AddCascade(rig.Regs());
  rig.Regs().SetPV(4, 5);
  rig.Regs().SetSPSource(4, 1);
  rig.Regs().SetOutput(4, 4);
  RegulatorEditor& ed = rig.Editor();
  ed.RebuildPanels();
  QCOMPARE(ed.PanelItems().size(), size_t{4});
  ed.deleteSelected();
  QCOMPARE(rig.ui.Last().text, std::string("Нет выделенных регуляторов"));
  ed.clickPanel(2);
  ed.deleteSelected();
  QCOMPARE(ed.PanelItems().size(), size_t{3});
  QCOMPARE(rig.Regs().GetPV(2), 5);
  QCOMPARE(rig.Regs().GetPV(4), 0);
}

void RegulatorWindowsTest::LoopDialog_KindPresets_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<QString>("enabled");  // GBRegInt, GBPZ, GBNastr2, GBFC as 0/1
  QTest::addColumn<QString>("kp");
  QTest::addColumn<QString>("oh");
  QTest::addColumn<QString>("outputCaption");
  QTest::newRow("repeater") << 0 << "0000"
                            << "00"
                            << "100,00"
                            << "Выход ЦАП №";
  QTest::newRow("single loop") << 1 << "0001"
                               << "1,00"
                               << "100,00"
                               << "Выход ЦАП №";
  QTest::newRow("cascade") << 2 << "1000"
                           << "1,00"
                           << "100,00"
                           << "Регулятор внутр.       контура №";
  QTest::newRow("program") << 3 << "0100"
                           << "1,00"
                           << "100,00"
                           << "Выход ЦАП №";
  QTest::newRow("two-position") << 4 << "0010"
                                << "00"
                                << "100,00"
                                << "Выход ЦАП №";
}

void RegulatorWindowsTest::LoopDialog_KindPresets() {
  QFETCH(int, kind);
  QFETCH(QString, enabled);
  QFETCH(QString, kp);
  QFETCH(QString, oh);
  QFETCH(QString, outputCaption);
  RegulatorRig rig;
  ControlLoopDialog* d = rig.form->controlLoopDialog;
  d->PrepareCreation(3, 3);
  QVERIFY(!d->GBComp->isEnabled());
  d->chooseKind(kind);
  const QGroupBox* groups[] = {d->GBRegInt, d->GBPZ, d->GBNastr2, d->GBFC};
  for (int k = 0; k < 4; ++k) QCOMPARE(groups[k]->isEnabled(), enabled[k] == '1');
  QVERIFY(d->GBComp->isEnabled() && d->GBNastr->isEnabled());
  QCOMPARE(d->Field("EditKp")->text(), kp);
  QCOMPARE(d->Field("EditOH")->text(), oh);
  QCOMPARE(d->LabAdOUT->text(), outputCaption);
  if (kind == Regulators::KindCascade) QCOMPARE(d->Field("EditVhSP")->text(), QString("3"));
  if (kind == Regulators::KindProgram) QCOMPARE(d->Field("EditAReg")->text(), QString("3"));
}

void RegulatorWindowsTest::LoopDialog_ErrorKeepsItOpen() {
  RegulatorRig rig;
  ControlLoopDialog* d = rig.form->controlLoopDialog;
  bool stayed = false;
  QString note;
  QVERIFY(WhileModal(
      [&] {
        d->PrepareCreation(3, 3);
        d->Run();
      },
      [&](QWidget*) {
        d->chooseKind(Regulators::KindSingleLoop);
        Fill(d, {{"EditAnVh", "7"}, {"EditAdOUT", "3"}, {"EditKp", "0,05"}, {"EdAdFB_OnFC", "1"}});
        d->onOk();
        stayed = d->isVisible();
        note = d->ErrorText->isVisible() ? d->ErrorText->text() : QString();
        d->onCancel();
      }));
  QVERIFY(stayed);
  QCOMPARE(note, QString("Величина вне диапазона 0.1 - 1000"));
  QVERIFY(!d->Accepted());
}

void RegulatorWindowsTest::Online_ShowsPvSpOutAndRecordsTheTrend() {
  RegulatorRig rig;
  RegulatorOnlineView& v = rig.Online();
  v.Prepare(0);
  Settle();
  QCOMPARE(v.Panels().size(), size_t{1});
  QCOMPARE(v.Panels()[0]->Text(0), QString("----"));
  v.poll();
  Settle();
  const auto& values = rig.Regs().RegValues[0];
  QCOMPARE(v.Panels()[0]->Text(0), QString::fromStdString(FormatLoopValue(values[2])));
  QCOMPARE(v.Panels()[0]->Text(1), QString::fromStdString(FormatLoopValue(values[0])));
  QCOMPARE(v.Panels()[0]->Text(2), QString::fromStdString(FormatLoopValue(values[1])));
  QVERIFY(v.Panels()[0]->HANDAUT->isChecked());
  QVERIFY(v.Panels()[0]->APONOFF->isChecked());
  QVERIFY(v.AChangeSP->isEnabled());
  QVERIFY(!v.AChangeOUT->isEnabled());
  QCOMPARE(v.Trends()[0].Samples().size(), size_t{1});
}

void RegulatorWindowsTest::Online_HandAutOffReleasesApOnOffAndWritesBothCoilsOff() {
  RegulatorRig rig;
  RegulatorOnlineView& v = rig.Online();
  v.Prepare(1);
  Settle();
  v.poll();
  Settle();
  const size_t from = rig.line.Written().size();
  v.Panels()[0]->HANDAUT->click();
  Settle();
  QVERIFY(!v.Panels()[0]->APONOFF->isChecked());
  const auto coils = rig.Sent(5, from);
  QCOMPARE(coils.size(), size_t{2});
  QCOMPARE(Bytes(coils[0].begin() + 2, coils[0].begin() + 6), (Bytes{0x03, 0x18, 0x00, 0x00}));  // 792 off
  QCOMPARE(Bytes(coils[1].begin() + 2, coils[1].begin() + 6), (Bytes{0x03, 0x19, 0x00, 0x00}));  // 793 off
  QVERIFY(!v.AChangeSP->isEnabled());
  QVERIFY(v.AChangeOUT->isEnabled());
  v.poll();
  Settle();
  QVERIFY(!rig.Regs().IsAutomatic(1));
  QVERIFY(!rig.Regs().IsSwitchedOn(1));
  // In manual mode the loop cannot be switched on: the button springs back.
  v.Panels()[0]->APONOFF->click();
  Settle();
  QVERIFY(!v.Panels()[0]->APONOFF->isChecked());
}

void RegulatorWindowsTest::Online_SpOutsideThePvScaleWritesNothing() {
  RegulatorRig rig;
  RegulatorOnlineView& v = rig.Online();
  v.Prepare(0);
  Settle();
  v.poll();
  Settle();
  const double max = v.Panels()[0]->ScaleMax();
  const size_t from = rig.line.Written().size();
  v.editValue(LoopValue::SP, 0);
  QVERIFY(v.EditText->isVisibleTo(&v));
  v.EditText->setText(QString::number(max + 1));
  v.leaveValueEditor();
  Settle();
  QVERIFY(rig.Sent(16, from).empty());
  QCOMPARE(v.ErrorText->text(), QString::fromStdString(LoopValueRangeText(0, max)));
  QVERIFY(!v.EditText->isVisibleTo(&v));

  v.editValue(LoopValue::SP, 0);
  v.EditText->setText("40");
  v.leaveValueEditor();
  Settle();
  QCOMPARE(rig.Sent(16, from).size(), size_t{1});
  v.poll();
  Settle();
  QCOMPARE(rig.Regs().RegValues[0][0], 40.0f);
}

// A value the controller did not take is not shown as if it had: the panel
// keeps the controller's value, the reason is told, polling goes on.
void RegulatorWindowsTest::Online_SpWriteNotTakenKeepsTheControllersValueAndPolls_data() {
  QTest::addColumn<bool>("noAccess");
  QTest::addColumn<QString>("message");
  QTest::newRow("without full access") << true << QString::fromUtf8(kNoWriteAccessText);
  QTest::newRow("no answer") << false << QString("устройство 5 COM1 ");
}

void RegulatorWindowsTest::Online_SpWriteNotTakenKeepsTheControllersValueAndPolls() {
  QFETCH(bool, noAccess);
  QFETCH(QString, message);
  RegulatorRig rig;
  RegulatorOnlineView& v = rig.Online();
  v.Prepare(0);
  v.togglePolling();
  v.poll();
  Settle();
  const float before = v.Panels()[0]->Value(LoopValue::SP);
  const QString shown = v.Panels()[0]->Text(1);
  const size_t from = rig.line.Written().size();
  if (noAccess)
    rig.form->discreteProcessing.AccessLevel = 0;
  else
    rig.form->service.CurrentDevice = 4;  // nobody answers
  v.editValue(LoopValue::SP, 0);
  v.EditText->setText(before > 50 ? "30" : "70");
  v.leaveValueEditor();
  Settle();
  if (noAccess) QVERIFY(rig.Sent(16, from).empty());
  QVERIFY2(QString::fromStdString(rig.ui.Last().text).startsWith(message), rig.ui.Last().text.c_str());
  QCOMPARE(v.Panels()[0]->Text(1), shown);
  QCOMPARE(rig.Regs().RegValues[0][0], before);
  QVERIFY(v.Polling());
  QVERIFY(v.Label1->isVisibleTo(&v));
  rig.form->service.CurrentDevice = 0;
  v.poll();
  Settle();
  QCOMPARE(rig.controller->Plant().Setpoint(0), before);
  v.togglePolling();
}

void RegulatorWindowsTest::Online_FailedHandAutWithoutPollingDoesNotLatch() {
  RegulatorRig rig;
  RegulatorOnlineView& v = rig.Online();
  v.Prepare(1);
  v.poll();
  Settle();
  QVERIFY(!v.Polling());
  LoopLivePanel* panel = v.Panels()[0];
  QVERIFY(panel->HANDAUT->isChecked());
  rig.form->service.CurrentDevice = 4;  // nobody answers
  panel->HANDAUT->click();
  Settle();
  // The controller stays automatic and switched on, and so do the buttons.
  QVERIFY(panel->HANDAUT->isChecked());
  QVERIFY(panel->APONOFF->isChecked());
  QVERIFY(v.AChangeSP->isEnabled());
  QVERIFY(!v.AChangeOUT->isEnabled());
  QVERIFY(rig.ui.Shown().empty());  // polling off: nothing is told
}

// "Нет" to the forced-mode question undoes this dialog's edits only: another
// loop's unsent edit still reaches the controller.
void RegulatorWindowsTest::LoopDialog_FcRefusalNoRestoresOnlyThisLoop() {
  RegulatorRig rig;
  RegulatorEditor& ed = rig.Editor();
  ed.readFromController();
  Settle();
  rig.Regs().SetKP(1, "4");
  rig.Regs().RegModified = 1;
  ed.RebuildPanels();
  ed.clickPanel(0);
  rig.ui.QueueAnswer(Answer::No);
  QString kp;
  QVERIFY(WhileModal([&] { ed.editLoop(); },
                     [&](QWidget* w) {
                       ControlLoopDialog* d = LoopDialog(w);
                       const QString stored = d->Field("EditKp")->text();
                       Fill(d, {{"EditKp", "7"}, {"EdAdFB_OnFC", "0"}});
                       d->onOk();
                       kp = d->Field("EditKp")->text() == stored ? "restored" : d->Field("EditKp")->text();
                       d->onCancel();
                     }));
  QCOMPARE(rig.ui.Last().text, std::string("отказываетесь  от режима FC?"));
  QCOMPARE(kp, QString("restored"));
  QCOMPARE(rig.Regs().GetKP(1), std::string("4,00"));
  ed.writeToController();
  Settle();
  const auto& block = rig.controller->Blocks().at(32);
  std::array<uint8_t, 3> four{};
  FloatToFloat24(4.0f, four.data());
  QVERIFY(std::equal(four.begin(), four.end(), block.begin() + 1 + 28 + 6));
}

// The parameter fields refuse what no number has; the comma goes in once.
void RegulatorWindowsTest::LoopDialog_RealFieldsTakeDigitsAndOneComma() {
  RegulatorRig rig;
  ControlLoopDialog* d = rig.form->controlLoopDialog;
  d->PrepareCreation(3, 3);
  d->show();
  const std::pair<int, const char*> fields[] = {{Regulators::KindSingleLoop, "EditKp"},
                                                {Regulators::KindSingleLoop, "EdOUT_FC"},
                                                {Regulators::KindCascade, "EditTi1"},
                                                {Regulators::KindProgram, "Edit7"},
                                                {Regulators::KindTwoPosition, "EditOut0"}};
  for (const auto& [kind, name] : fields) {
    d->chooseKind(kind);
    QLineEdit* e = d->Field(name);
    e->clear();
    rig.ui.Clear();
    QTest::keyClicks(e, "1x,5e,3");
    QVERIFY2(e->text() == "1,53", name);
    QCOMPARE(rig.ui.Shown().size(), size_t{3});
  }
  d->Field("EditAnVh")->clear();
  QTest::keyClicks(d->Field("EditAnVh"), "1,2");
  QCOMPARE(d->Field("EditAnVh")->text(), QString("12"));
  d->hide();
}

void RegulatorWindowsTest::LoopDialog_NotesStayInsideAndGoWithTheEdit() {
  RegulatorRig rig;
  ControlLoopDialog* d = rig.form->controlLoopDialog;
  QRect note, dialog;
  bool goneAfterEdit = false;
  QString noKind;
  QVERIFY(WhileModal(
      [&] {
        d->PrepareCreation(3, 3);
        d->Run();
      },
      [&](QWidget*) {
        d->onOk();
        noKind = d->ErrorText->isVisible() ? d->ErrorText->text() : QString();
        d->chooseKind(Regulators::KindSingleLoop);
        QVERIFY(!d->ErrorText->isVisible());
        Fill(d, {{"EditAnVh", "7"}, {"EditAdOUT", "3"}, {"EdAdFB_OnFC", "1"}, {"EdOUT_FC", "100,5"}});
        d->onOk();
        note = d->ErrorText->geometry();
        dialog = d->rect();
        QTest::keyClick(d->Field("EdOUT_FC"), Qt::Key_Backspace);
        goneAfterEdit = !d->ErrorText->isVisible();
        d->onCancel();
      }));
  QCOMPARE(noKind, QString("Выберите тип контура регулирования"));
  QVERIFY2(dialog.contains(note), qPrintable(QString("%1,%2 %3x%4 in %5x%6")
                                                 .arg(note.x())
                                                 .arg(note.y())
                                                 .arg(note.width())
                                                 .arg(note.height())
                                                 .arg(dialog.width())
                                                 .arg(dialog.height())));
  QVERIFY(goneAfterEdit);
}

void RegulatorWindowsTest::Editor_DeleteElementsAndClearingTheSelection() {
  RegulatorRig rig;
  RegulatorEditor& ed = rig.Editor();
  ed.RebuildPanels();
  ed.resize(LoopPanelItem::kStripWidth + 60, 400);  // panels fill the view
  ed.show();
  Settle();
  ed.clickPanel(0);
  QVERIFY(ed.PanelItems()[0]->IsSelected());
  // The strip left of the panel is empty space.
  const QPoint margin = ed.ScrollBox1->mapFromScene(QPointF(10, 100));
  QTest::mouseClick(ed.ScrollBox1->viewport(), Qt::LeftButton, {}, margin);
  QVERIFY(!ed.PanelItems()[0]->IsSelected());
  QCOMPARE(rig.Regs().CurReg, -1);
  const QPoint panel = ed.ScrollBox1->mapFromScene(
      ed.PanelItems()[0]->mapRectToScene(ed.PanelItems()[0]->PanelRect()).center());
  QTest::mouseClick(ed.ScrollBox1->viewport(), Qt::LeftButton, {}, panel);
  QVERIFY(ed.PanelItems()[0]->IsSelected());
  QCOMPARE(ed.ADelete->text(), QString("Удаление элементов"));
  QVERIFY(ed.PopupMenu1->actions().contains(ed.ADelete));
  ed.ADelete->trigger();
  QCOMPARE(ed.PanelItems().size(), size_t{1});
  QCOMPARE(rig.Regs().GetPV(1), 0);
  ed.hide();
}

// A repeater fed by a calculation block: its bars and trend follow the
// values, not an empty 0..1; the PV unit shows; the CSV gets its extension.
void RegulatorWindowsTest::Online_CalcBlockRepeaterScaleUnitAndCsvName() {
  RegulatorRig rig;
  Regulators& r = rig.Regs();
  RegulatorOnlineView& v = rig.Online();
  v.Prepare(0);
  QCOMPARE(v.Panels()[0]->Unit(),
           QString::fromStdString(DescribePvInput(rig.form->config, r.GetPV(0), r.GetKind(0)).unit));
  r.SetPV(0, 50);
  r.SetSPSource(0, 0);
  r.SetFB(0, 0);
  v.Prepare(0);
  QCOMPARE(v.Label5->text(), QString("Рег. параметр CDS Calc №"));
  v.poll();
  Settle();
  LoopLivePanel* panel = v.Panels()[0];
  const float pv = r.RegValues[0][2];
  QVERIFY(panel->DisplayMax() > panel->DisplayMin());
  QVERIFY2(panel->DisplayMin() <= pv && pv <= panel->DisplayMax(), qPrintable(QString::number(pv)));
  QVERIFY(panel->DisplayMax() != 1.0);

  v.ChooseCsvFile = [&] { return QDir(rig.dir.path()).filePath("trend"); };
  v.ButTrendCsv->click();
  QVERIFY(QFile::exists(QDir(rig.dir.path()).filePath("trend.csv")));
}

void RegulatorWindowsTest::Online_CascadeShowsTwoPanels() {
  RegulatorRig rig;
  AddCascade(rig.Regs());
  RegulatorOnlineView& v = rig.Online();
  v.Prepare(2);
  Settle();
  QCOMPARE(v.Panels().size(), size_t{2});
  QCOMPARE(v.PanelArea->width(), 460);
  QCOMPARE(v.Panels()[1]->Loop(), 3);
  QCOMPARE(v.Panels()[1]->x() - v.Panels()[0]->x(), 200);
  QVERIFY(v.EditNReg1->isVisibleTo(&v));
  QCOMPARE(v.LabTip->text(), QString("каскадная схема"));
  v.Prepare(0);
  Settle();
  QCOMPARE(v.Panels().size(), size_t{1});
  QCOMPARE(v.PanelArea->width(), 280);
  QVERIFY(!v.EditNReg1->isVisibleTo(&v));
}

void RegulatorWindowsTest::Online_FailedPollStopsSilently() {
  RegulatorRig rig;
  RegulatorOnlineView& v = rig.Online();
  v.Prepare(0);
  Settle();
  v.togglePolling();
  QVERIFY(v.Polling());
  rig.form->service.CurrentDevice = 4;  // nobody answers
  v.poll();
  Settle();
  QVERIFY(!v.Polling());
  QVERIFY(!v.Label1->isVisibleTo(&v));
  QVERIFY(rig.ui.Shown().empty());
}

void RegulatorWindowsTest::Online_TrendExportsCsv() {
  RegulatorRig rig;
  RegulatorOnlineView& v = rig.Online();
  v.Prepare(0);
  Settle();
  int64_t now = 1'700'000'000'000;
  v.Now = [&now] { return now; };
  for (int k = 0; k < 3; ++k, now += 3000) {
    v.poll();
    Settle();  // each tick's cycle ends before the next: a busy line would skip it
  }
  const QString path = QDir(rig.dir.path()).filePath("trend.csv");
  QVERIFY(v.exportTrend(path));
  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
  QCOMPARE(lines.size(), 4);
  QVERIFY(lines[0].startsWith("loop,time,PV,SP,OUT"));
  QVERIFY(lines[1].startsWith("1,"));
  QVERIFY(!v.exportTrend(QDir(rig.dir.path()).filePath("no/such/dir/trend.csv")));
}

// With ZUL_SCREENSHOT_DIR set: the editor with three loops including a
// cascade, the loop dialog for three kinds and the online view of a cascade
// after a few minutes of trend.
void RegulatorWindowsTest::Print_FourLoopsAPage_data() {
  QTest::addColumn<int>("loops");
  QTest::addColumn<int>("pages");
  QTest::newRow("none: nothing to print") << 0 << 0;
  QTest::newRow("one") << 1 << 1;
  QTest::newRow("four fill a page") << 4 << 1;
  QTest::newRow("five start a second") << 5 << 2;
}

void RegulatorWindowsTest::Print_FourLoopsAPage() {
  QFETCH(int, loops);
  QFETCH(int, pages);
  RegulatorRig rig;
  Regulators& r = rig.Regs();
  r.ClearLoops(0, Regulators::RecordCount);
  for (int k = 0; k < loops; ++k) {
    r.SetPV(k, k + 1);
    r.SetSPSource(k, 1);
    r.SetOutput(k, k);
  }
  RegulatorEditor& ed = rig.Editor();
  ed.RebuildPanels();
  QCOMPARE(static_cast<int>(ed.PanelItems().size()), loops);
  QCOMPARE(ed.Button2->isEnabled(), loops > 0);
  QCOMPARE(ed.PageCount(), pages);
  QTemporaryDir dir;
  const QString pdf = dir.filePath("loops.pdf");
  QCOMPARE(ed.PrintToPdf(pdf), pages > 0);
  if (pages == 0) return;
  QFile f(pdf);
  QVERIFY(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  QCOMPARE(bytes.count("/Type /Page") - bytes.count("/Type /Pages"), pages);
  // The printout draws panels unselected and gives the selection back.
  ed.clickPanel(0);
  QVERIFY(ed.PrintToPdf(pdf));
  QVERIFY(ed.PanelItems()[0]->IsSelected());
}

// The printout as the preview prints it, at the printer's resolution: the
// panels' texts come out as words of a readable size.
void RegulatorWindowsTest::PrintoutReadsAtPrinterResolution() {
  RegulatorRig rig;
  Regulators& r = rig.Regs();
  r.ClearLoops(0, Regulators::RecordCount);
  AddCascade(r);
  for (int k = 4; k < 9; ++k) {
    r.SetPV(k, k + 1);
    r.SetSPSource(k, 1);
    r.SetOutput(k, k);
  }
  RegulatorEditor& ed = rig.Editor();
  ed.RebuildPanels();
  QTemporaryDir dir;
  const QString pdf = dir.filePath("loops.pdf");
  QVERIFY(ed.PrintToPdf(pdf));
  test::SavePdfPages(pdf, "regulator_print_page", 2);
  const QList<test::PdfWord> words = test::PdfWords(pdf);
  QVERIFY2(!words.isEmpty(), "pdftotext read nothing");
  for (const char* word : {"Регулятор", "№3", "PV", "KP", "dSP", "каскадная"})
    QVERIFY2(test::HasWord(words, word), word);
  const QStringList bad = test::Unreadable(words);
  QVERIFY2(bad.isEmpty(), qPrintable(bad.mid(0, 10).join("; ")));
}

void RegulatorWindowsTest::Screenshots() {
  if (qEnvironmentVariable("ZUL_SCREENSHOT_DIR").isEmpty()) QSKIP("ZUL_SCREENSHOT_DIR not set");
  RegulatorRig rig;
  AddCascade(rig.Regs());
  rig.Regs().RegModified = 1;
  QVERIFY(WriteRegulatorBlocks(rig.form->link, rig.form->config, rig.ui));
  RegulatorEditor& ed = rig.Editor();
  ed.resize(680, 1000);
  ed.show();
  ed.clickPanel(2);
  Settle();
  Save(&ed, "regulator_editor");
  ed.hide();

  ControlLoopDialog* d = rig.form->controlLoopDialog;
  d->PrepareProgramming(0, 1);
  d->show();
  Settle();
  Save(d, "loop_dialog_pid");
  d->PrepareProgramming(2, 3);
  Settle();
  Save(d, "loop_dialog_cascade");
  d->PrepareCreation(5, 4);
  d->chooseKind(Regulators::KindTwoPosition);
  Fill(d, {{"EditAnVh", "5"}, {"EditAdOUT", "4"}, {"EditOut0", "10"}, {"EditOut1", "80"}, {"EditAdFB", "1"}});
  d->leavePvInput();
  Settle();
  Save(d, "loop_dialog_two_position");
  d->hide();

  // Loops 1 and 2 of the simulator become a cascade, so that it runs live.
  Regulators& r = rig.Regs();
  r.SetOutput(0, 9);
  r.SetSPSource(1, 8);
  r.RegModified = 1;
  QVERIFY(WriteRegulatorBlocks(rig.form->link, rig.form->config, rig.ui));
  RegulatorOnlineView& v = rig.Online();
  v.Prepare(0);
  Settle();
  int64_t now = 1'700'000'000'000;
  v.Now = [&now] { return now; };
  for (int k = 0; k < 80; ++k, now += 3000) {
    rig.clock.Advance(3000);
    if (k == 40) {
      v.editValue(LoopValue::SP, 0);
      v.EditText->setText("70");
      v.leaveValueEditor();
      Settle();
    }
    v.poll();
    Settle();
  }
  v.resize(1000, 700);
  v.show();
  Settle();
  Save(&v, "regulator_online");
  v.done(0);
  Settle();
}

QTEST_MAIN(RegulatorWindowsTest)
#include "regulator_windows_test.moc"
