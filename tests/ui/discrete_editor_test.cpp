// The discrete processing editor against a simulated controller: reading,
// a handler with its alarm, delay and relay blocks, group paste, delete, undo
// and redo, writing and what the controller then holds; the identifier
// dialog's pages; the scheme's layout with 252 rows and its printout.
#include <QAction>
#include <QComboBox>
#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPdfWriter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "core/config/ControllerImage.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"
#include "ui/LayoutCheck.h"
#include "ui/PdfText.h"
#include "ui/UiTestSupport.h"
#include "ui/discrete/DiscreteProcessingEditor.h"
#include "ui/discrete/InputIdentifierDialog.h"
#include "ui/discrete/SignalDialogs.h"

using namespace zul;
using namespace zul::test;

namespace {

using G = DiscreteRowGeometry;

// A main window whose port reaches a simulated controller (two discrete
// input modules, an analog module, a relay module) in virtual time.
struct EditorRig {
  EditorRig() {
    ControllerSetup setup;
    setup.composition.modules = {};
    size_t slot = 0;
    for (int type : {1, 1, 6, 3}) setup.composition.modules[slot++] = static_cast<uint8_t>(type);
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
    form->discreteProcessing.EditorShown = 0;
    Editor().Prepare();
    Settle();
  }
  DiscreteProcessingEditor& Editor() { return *form->discreteProcessingEditor; }
  DiscreteProcessing& Z() { return form->discreteProcessing; }
  QPoint At(int row, QRectF (*part)(int)) {
    Editor().ScrollToRow(row);
    return Editor().ScrollBox1->mapFromScene(part(row).center());
  }
  void Click(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(Editor().ScrollBox1->viewport(), Qt::LeftButton, modifiers, At(row, &G::Number));
  }
  // The records as the controller keeps them (blocks 12..25).
  ProcessingRecord ControllerRecord(int signal) {
    const auto& block = controller->Blocks().at(12 + signal / 18);
    ProcessingRecord r{};
    std::copy_n(block.begin() + 1 + 11 * (signal % 18), 11, r.begin());
    return r;
  }

  QTemporaryDir dir;
  VirtualClock clock;
  SimulatedBus bus{clock};
  SimulatedLine line{bus, clock};
  ScriptedInteraction ui;
  SimulatedController* controller = nullptr;
  std::unique_ptr<MainWindow> form;
};

void Choose(QWidget* dialog, bool analog, int module, int input, int setpoint) {
  auto* d = qobject_cast<InputIdentifierDialog*>(dialog);
  QVERIFY(d);
  d->PageControl1->setCurrentIndex(0);
  d->CBoxTipVh->setCurrentIndex(analog ? 1 : 0);
  d->onOwnKindChanged();
  d->EditNMod->setValue(module);
  d->EditNVhMod->setValue(input);
  d->CBoxTipSign->setCurrentIndex(setpoint);
  d->TipKItems[1]->setChecked(true);
  d->OK->click();
  Settle();
}

}  // namespace

class DiscreteEditorTest : public QObject {
  Q_OBJECT
 private slots:
  void Open_DrawsTheActiveRecordsOfTheController();
  void HandlerWithAlarmDelayRelay_PasteDeleteUndoWrite();
  void TextEditedInPlace_UndoThenF10_TheControllerGetsTheUndoneText();
  void Selection_ClickCtrlClickAndEmptySpace();
  void Refusals_WarnAndChangeNothing_data();
  void Refusals_WarnAndChangeNothing();
  void Cut_UndoneUnderItsOwnName();
  void Close_ChangedAnsweredNo_RecordsBackFromTheReference();
  void IdentifierDialog_EditModeShowsTheSourceOfTheSignal_data();
  void IdentifierDialog_EditModeShowsTheSourceOfTheSignal();
  void IdentifierDialog_NoNetworkSignals_NetworkPageCreatesNothing();
  void IdentifierDialog_NetworkPage_LimitsFollowTheBlock();
  void IdentifierDialog_EnterMovesOnEscapeChangesNothing();
  void CreateHandler_TakenSignalRefusedUntypedTextKept();
  void PopupMenus_EnablingRules();
  void Layout_252RowsEveryElementWithinItsRow();
  void Printout_ElevenRowsAPageAndTheRelayLines();
};

void DiscreteEditorTest::Open_DrawsTheActiveRecordsOfTheController() {
  EditorRig rig;
  int active = 0;
  for (int s = 0; s < rig.form->service.SignalCount; ++s) active += rig.Z().IsRecordActive(s);
  QCOMPARE(rig.Z().RowCount, active);
  QCOMPARE(static_cast<int>(rig.Editor().scene->Rows().size()), active);
  QCOMPARE(rig.Editor().EditModif->text(), "1163000000000000");
  QVERIFY(rig.Editor().windowTitle().endsWith("устройство 1"));
  QVERIFY(!rig.Editor().LabelFile->isVisible());
  QVERIFY(rig.Editor().AFB->isEnabled());  // "Функц. блоки" opens the function block editor
  QCOMPARE(rig.Editor().HintAt(10, G::Element::Input),
           "номер входа  на схеме 11\nномер сигнала в базе 11 (адрес 0x0A)\nДискр.сигн.011");
  rig.Click(2);
  rig.Editor().show();
  Settle();
  Save(&rig.Editor(), "discrete_editor_48_signals");
  rig.Editor().hide();
}

void DiscreteEditorTest::HandlerWithAlarmDelayRelay_PasteDeleteUndoWrite() {
  EditorRig rig;
  DiscreteProcessingEditor& e = rig.Editor();
  DiscreteProcessing& z = rig.Z();
  // Start from an empty scheme so the rows are ours.
  e.ChooseAllClick();
  rig.ui.QueueAnswer(Answer::Yes);
  e.DelChooseClick();
  QCOMPARE(z.RowCount, 0);

  // Discrete module 2, input 5: signal 16.
  QCOMPARE(ModalSteps([&] { e.AVhod->trigger(); }, {[](QWidget* d) { Choose(d, false, 2, 5, 0); }}),
           size_t{0});
  QCOMPARE(z.RowCount, 1);
  QCOMPARE(z.CurSignal, 16);
  QCOMPARE(z.GetContact(16), 0x20);

  QCOMPARE(ModalSteps([&] { e.ABSign->trigger(); }, {[](QWidget* d) {
                        auto* a = qobject_cast<AlarmTypeDialog*>(d);
                        a->Items[2]->setChecked(true);
                        a->Edit1->setText("03");
                        a->OK->click();
                      }}),
           size_t{0});
  QCOMPARE(ModalSteps([&] { e.ABZader->trigger(); }, {[](QWidget* d) {
                        auto* a = qobject_cast<DelayDialog*>(d);
                        a->EditDiskr->setText("10");
                        a->EditT->setText("06");
                        a->OK->click();
                      }}),
           size_t{0});
  QCOMPARE(ModalSteps([&] { e.ABVyh->trigger(); }, {[](QWidget* d) {
                        auto* a = qobject_cast<RelayOutputsDialog*>(d);
                        a->TogglePanel(0, 3);
                        a->OK->click();
                      }}),
           size_t{0});
  const ProcessingRecord handler = {0xA3, 0x04, 0, 0, 0, 0, 0, 0, 0, 0x46, 0};
  QCOMPARE(z.Record(16), handler);
  QCOMPARE(rig.ui.Shown().size(), size_t{1});  // only the delete question

  // Copy it and paste twice: signals 17 and 18 follow.
  rig.Click(0);
  e.ACopy->trigger();
  Settle();
  QVERIFY(e.AInsertPaspGroup->isEnabled());
  e.AInsertPaspGroup->trigger();
  Settle();
  e.AInsertPaspGroup->trigger();
  Settle();
  QCOMPARE(z.RowCount, 3);
  QCOMPARE(z.Record(18), handler);

  // Delete the middle one, then undo and redo it.
  const DiscreteSnapshot beforeDelete = CaptureDiscrete(rig.form->config);
  rig.Click(1);
  rig.ui.QueueAnswer(Answer::Yes);
  e.ADelChoose->trigger();
  Settle();
  QCOMPARE(z.RowCount, 2);
  QVERIFY(!z.IsRecordActive(17));
  e.AUndo->trigger();
  Settle();
  QVERIFY(CaptureDiscrete(rig.form->config) == beforeDelete);
  QCOMPARE(static_cast<int>(e.scene->Rows().size()), 3);
  e.ARedo->trigger();
  Settle();
  QCOMPARE(z.RowCount, 2);
  // F9 right after a delete only rebuilds: the controller's rows do not come back.
  e.AInPort->trigger();
  Settle();
  QCOMPARE(z.RowCount, 2);
  QVERIFY(!z.IsRecordActive(17));

  // Write, and the controller holds what memory holds.
  z.Modified = 1;
  e.AOutPort->trigger();
  Settle();
  QVERIFY2(rig.ui.Shown().size() == 2, rig.ui.Last().text.c_str());  // the two delete questions
  for (int s : {16, 17, 18}) QCOMPARE(rig.ControllerRecord(s), z.Record(s));
  QCOMPARE(rig.ControllerRecord(18), handler);
  QCOMPARE(z.Modified, 0);
}

void DiscreteEditorTest::TextEditedInPlace_UndoThenF10_TheControllerGetsTheUndoneText() {
  EditorRig rig;
  DiscreteProcessingEditor& e = rig.Editor();
  const int signal = rig.Z().RowSignal[0];
  const int block = ServiceBlock::kFirstTextBlockNumber + signal / ServiceBlock::kTextsPerBlock;
  const auto held = rig.controller->Blocks().at(block);

  e.show();  // the in-place field works on a shown window
  Settle();
  e.BeginTextEdit(0);
  e.EditTextInPlace->setText("Насос новый");
  e.EndTextEdit(true);
  Settle();
  QVERIFY(rig.controller->Blocks().at(block) != held);  // a text is written at once

  e.AUndo->trigger();
  Settle();
  e.AOutPort->trigger();
  Settle();
  // Not the window's state: the controller's bytes are the text block as it was.
  QCOMPARE(rig.controller->Blocks().at(block), held);
  QVERIFY(ChangedBlocks(rig.form->config).empty());
  e.hide();
}

void DiscreteEditorTest::Selection_ClickCtrlClickAndEmptySpace() {
  EditorRig rig;
  DiscreteProcessing& z = rig.Z();
  QVERIFY(z.RowCount >= 3);
  rig.Click(0);
  QCOMPARE(z.CurRow, 0);
  rig.Click(2, Qt::ControlModifier);
  QCOMPARE(z.SelectedCount, 2);
  QCOMPARE(z.CurRow, -1);
  rig.Editor().UpdateActions();
  QVERIFY(!rig.Editor().ABSign->isEnabled());
  rig.Click(0, Qt::ControlModifier);
  QCOMPARE(z.CurRow, 2);
  // Right of the output column there is no row.
  QTest::mouseClick(rig.Editor().ScrollBox1->viewport(), Qt::LeftButton, {},
                    rig.Editor().ScrollBox1->mapFromScene(QPointF(G::kRight + 2, 10)));
  QCOMPARE(z.SelectedCount, 0);
}

void DiscreteEditorTest::Refusals_WarnAndChangeNothing_data() {
  QTest::addColumn<QString>("action");
  QTest::addColumn<bool>("select");
  QTest::addColumn<QString>("warning");
  QTest::addColumn<bool>("fileMode");
  QTest::addColumn<QString>("caption");
  const QString warn = kCaptionWarning;
  const QString note = kProgramTitle;
  QTest::newRow("alarm without a row") << "ASign" << false << "Не выбран № входа или № ФБ" << false << warn;
  QTest::newRow("delete without a row") << "ADelete" << false << "Не выбран № входа" << false << warn;
  QTest::newRow("group delete without a selection")
      << "ADelChoose" << false << "Нет выделенных входов" << false << warn;
  QTest::newRow("copy without a selection") << "ACopy" << false << "Нет выделенных входов" << false << warn;
  QTest::newRow("delay panel not there")
      << "AZader" << true << "Панель задерж. для входа с таким номером не создана" << false << warn;
  QTest::newRow("alarm block already there")
      << "ABSign" << true << "Для этого входа блок сигнализации уже создан" << false << note;
  QTest::newRow("F10 on a file") << "AOutPort" << false
                                 << "Программа работает с файлом: в прибор ничего не передано" << true
                                 << note;
  QTest::newRow("group delete answered by Enter")
      << "ADelChoose" << true << "Удалить выделенные обработчики входного сигнала?" << false
      << "Подтвердите удаление ";
  QTest::newRow("cut answered by Enter")
      << "ACut" << true << "Вырезать выделенные обработчики входного сигнала?" << false
      << "Подтвердите вырезание ";
}

void DiscreteEditorTest::Refusals_WarnAndChangeNothing() {
  QFETCH(QString, action);
  QFETCH(bool, select);
  QFETCH(QString, warning);
  QFETCH(bool, fileMode);
  QFETCH(QString, caption);
  EditorRig rig;
  rig.form->service.FileMode = fileMode ? 1 : 0;
  const auto blocks = rig.controller->Blocks();
  if (select) {
    // A row with an alarm only.
    const int row = rig.Z().RowCount - 1;
    rig.Z().SetRecord(rig.Z().RowSignal[static_cast<size_t>(row)], {0x41, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    rig.Click(row);
  }
  const DiscreteSnapshot before = CaptureDiscrete(rig.form->config);
  rig.Editor().findChild<QAction*>(action)->trigger();
  Settle();
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), warning);
  QCOMPARE(QString::fromStdString(rig.ui.Last().caption), caption);
  QVERIFY(CaptureDiscrete(rig.form->config) == before);
  QVERIFY(rig.controller->Blocks() == blocks);
}

void DiscreteEditorTest::Cut_UndoneUnderItsOwnName() {
  EditorRig rig;
  DiscreteProcessingEditor& e = rig.Editor();
  // The scheme has the keyboard, not the read-only composition field.
  e.Prepare();
  Settle();
  QCOMPARE(e.focusWidget(), static_cast<QWidget*>(e.ScrollBox1));
  const DiscreteSnapshot before = CaptureDiscrete(rig.form->config);
  rig.Click(0);
  rig.ui.QueueAnswer(Answer::Yes);
  e.ACut->trigger();
  Settle();
  QVERIFY(!(CaptureDiscrete(rig.form->config) == before));
  QCOMPARE(e.AUndo->text(), QString("Отменить Вырезать"));
  QCOMPARE(e.AUndo->iconText(), QString("Отменить"));
  QVERIFY(!e.AUndo->icon().isNull());
  e.AUndo->trigger();
  QVERIFY(CaptureDiscrete(rig.form->config) == before);
  QCOMPARE(e.focusWidget(), static_cast<QWidget*>(e.ScrollBox1));
}

void DiscreteEditorTest::Close_ChangedAnsweredNo_RecordsBackFromTheReference() {
  EditorRig rig;
  DiscreteProcessing& z = rig.Z();
  const ProcessingRecord kept = z.Record(0);
  rig.Click(0);
  rig.Editor().ADelete->trigger();
  Settle();
  QVERIFY(z.Record(0) != kept);
  rig.ui.QueueAnswer(Answer::Cancel);
  rig.Editor().NCloseClick();
  QVERIFY(z.Record(0) != kept);  // Cancel keeps the editor and the change
  rig.ui.QueueAnswer(Answer::No);
  rig.Editor().NCloseClick();
  QCOMPARE(rig.ui.Last().text, std::string(kChangedQuestion));
  QCOMPARE(z.Record(0), kept);
  QCOMPARE(z.Modified, 0);
}

void DiscreteEditorTest::IdentifierDialog_EditModeShowsTheSourceOfTheSignal_data() {
  QTest::addColumn<int>("signal");
  QTest::addColumn<int>("page");
  QTest::addColumn<int>("kind");
  QTest::addColumn<int>("module");
  QTest::addColumn<int>("input");
  QTest::addColumn<int>("setpoint");
  QTest::newRow("discrete module 2 input 12") << 23 << 0 << 0 << 2 << 12 << 0;
  QTest::newRow("analog index 30: channel 2 H") << 30 << 0 << 1 << 1 << 2 << 2;
  QTest::newRow("analog channel 6 HH") << 47 << 0 << 1 << 1 << 6 << 3;
}

void DiscreteEditorTest::IdentifierDialog_EditModeShowsTheSourceOfTheSignal() {
  QFETCH(int, signal);
  QFETCH(int, page);
  QFETCH(int, kind);
  QFETCH(int, module);
  QFETCH(int, input);
  QFETCH(int, setpoint);
  EditorRig rig;
  InputIdentifierDialog& d = *rig.Editor().identifierDialog;
  d.PrepareEdit(1, signal);
  QCOMPARE(d.windowTitle(), "Редактирование идентификатора входа");
  QCOMPARE(d.LabNVh->text(), "№ ред. входа на схеме");
  QCOMPARE(d.PageControl1->currentIndex(), page);
  QCOMPARE(d.CBoxTipVh->currentIndex(), kind);
  QCOMPARE(d.EditNMod->value(), module);
  QCOMPARE(d.EditNVhMod->value(), input);
  QCOMPARE(d.CBoxTipSign->currentIndex(), setpoint);
  QCOMPARE(d.CBoxTipSign->isEnabled(), kind == 1);
  QCOMPARE(d.ChosenSignal(), signal);
  if (signal == 30) {
    d.show();
    Settle();
    Save(&d, "dialog_input_identifier_own");
    d.hide();
  }
}

void DiscreteEditorTest::IdentifierDialog_NoNetworkSignals_NetworkPageCreatesNothing() {
  EditorRig rig;
  DiscreteProcessingEditor& e = rig.Editor();
  rig.Click(0);
  e.ADelete->trigger();  // room for one more handler
  Settle();
  const int rows = rig.Z().RowCount;
  QCOMPARE(ModalSteps([&] { e.CreatVhButClick(); }, {[](QWidget* w) {
                        auto* d = qobject_cast<InputIdentifierDialog*>(w);
                        QCOMPARE(d->windowTitle(), "Создание нового идентификатора входа");
                        QVERIFY(!d->TabSheet2->isEnabled());
                        d->PageControl1->setCurrentIndex(1);
                        d->OK->click();
                      }}),
           size_t{0});
  QCOMPARE(rig.Z().RowCount, rows);
  QCOMPARE(rig.Z().CurSignal, -1);
}

void DiscreteEditorTest::IdentifierDialog_EnterMovesOnEscapeChangesNothing() {
  EditorRig rig;
  DiscreteProcessingEditor& e = rig.Editor();
  rig.Click(rig.Z().RowCount - 1);
  e.ADelete->trigger();  // room for one more handler
  Settle();
  const DiscreteSnapshot before = CaptureDiscrete(rig.form->config);
  const auto blocks = rig.controller->Blocks();
  QCOMPARE(ModalSteps([&] { e.CreatVhButClick(); }, {[](QWidget* w) {
                        auto* d = qobject_cast<InputIdentifierDialog*>(w);
                        d->EditText->setFocus();
                        QTest::keyClicks(d->EditText, "Pump 1");
                        QTest::keyClick(d->EditText, Qt::Key_Return);
                        QVERIFY(d->isVisible());
                        QVERIFY(d->focusWidget() != d->EditText);
                        QTest::keyClick(d->focusWidget(), Qt::Key_Escape);
                      }}),
           size_t{0});
  Settle();
  QVERIFY(!e.identifierDialog->isVisible());
  QVERIFY(CaptureDiscrete(rig.form->config) == before);
  QVERIFY(rig.controller->Blocks() == blocks);
}

// Creating a handler for a signal that has a row is refused and the row stays
// as it was; a created handler keeps the text its signal already had.
void DiscreteEditorTest::CreateHandler_TakenSignalRefusedUntypedTextKept() {
  for (const bool deleteFirst : {false, true}) {
    EditorRig rig;
    DiscreteProcessingEditor& e = rig.Editor();
    DiscreteProcessing& z = rig.Z();
    const int signal = z.RowSignal[0];
    QVERIFY(signal < 24);  // an own discrete input the dialog can name
    rig.form->service.SetText(signal, "Насос 1");
    rig.Click(deleteFirst ? 0 : z.RowCount - 1);  // room for one more handler
    e.ADelete->trigger();
    Settle();
    const DiscreteSnapshot before = CaptureDiscrete(rig.form->config);
    const auto blocks = rig.controller->Blocks();
    QCOMPARE(ModalSteps([&] { e.CreatVhButClick(); },
                        {[&](QWidget* w) { Choose(w, false, signal / 12 + 1, signal % 12 + 1, 0); }}),
             size_t{0});
    Settle();
    QCOMPARE(QString::fromStdString(rig.form->service.GetText(signal)), QString("Насос 1"));
    QVERIFY(rig.controller->Blocks() == blocks);
    if (deleteFirst) {
      QCOMPARE(z.RowSignal[static_cast<size_t>(z.RowCount - 1)], signal);
      QCOMPARE(z.GetContact(signal), DiscreteProcessing::kContactNormallyOpen);
    } else {
      QCOMPARE(QString::fromStdString(rig.ui.Last().text), QString("существует вход с порядковым № 1"));
      QVERIFY(CaptureDiscrete(rig.form->config) == before);
    }
  }
}

void DiscreteEditorTest::IdentifierDialog_NetworkPage_LimitsFollowTheBlock() {
  EditorRig rig;
  ServiceBlock& s = rig.form->service;
  // Block 1: three discrete inputs of a ЛК-12 at address 5; block 2: two analog inputs.
  s.NetDiscretePerBlock[0] = 3;
  s.NetAnalogPerBlock[1] = 2;
  s.NetDiscreteTotal = 3;
  s.NetAnalogTotal = 2;
  s.SetSignalCount(48 + 3 + 8);
  rig.form->networkMaster.SetSlave(0, 5);
  rig.form->networkMaster.SetSlaveType(0, 1);
  rig.form->networkMaster.SetSlave(1, 7);
  rig.form->networkMaster.SetSlaveType(1, 15);
  InputIdentifierDialog& d = *rig.Editor().identifierDialog;
  d.PrepareCreate(49);  // beyond the own inputs: the network page
  QCOMPARE(d.PageControl1->currentIndex(), 1);
  QVERIFY(d.TabSheet2->isEnabled());
  QCOMPARE(d.EditNB_MBM->maximum(), 2);
  QCOMPARE(d.CBoxTipVhNet->currentIndex(), 0);
  QCOMPARE(d.EditNVhNet->maximum(), 3);
  QCOMPARE(d.LabTipSlave->text(), "ЛК-12");
  QCOMPARE(d.LabAdrSlave->text(), "5");
  QCOMPARE(d.ChosenSignal(), 48);
  d.EditNB_MBM->setValue(2);
  QCOMPARE(d.CBoxTipVhNet->currentIndex(), 1);  // the block has analog inputs only
  QCOMPARE(d.EditNVhNet->maximum(), 2);
  QVERIFY(d.CBoxTipSignNet->isEnabled());
  QCOMPARE(d.LabTipSlave->text(), "не определен");
  d.EditNVhNet->setValue(2);
  d.CBoxTipSignNet->setCurrentIndex(1);
  QCOMPARE(d.ChosenSignal(), 48 + 3 + 4 + 1);
  d.show();
  Settle();
  Save(&d, "dialog_input_identifier_network");
  d.hide();
}

void DiscreteEditorTest::PopupMenus_EnablingRules() {
  EditorRig rig;
  DiscreteProcessingEditor& e = rig.Editor();
  DiscreteProcessing& z = rig.Z();
  // One own discrete row: no input information; replacing needs one copied record.
  rig.Click(0);
  e.UpdateActions();
  QVERIFY(!e.AInfAnalog->isEnabled());
  QVERIFY(!e.AChange->isEnabled());
  QVERIFY(!e.AInsertPaspGroup->isEnabled());
  e.ACopy->trigger();
  Settle();
  QCOMPARE(z.ClipState, 0);
  QVERIFY(e.AChange->isEnabled() && e.AInsertPaspGroup->isEnabled());
  // An analog setpoint row (signal 24 on): its information is there.
  const int analogRow = RowOfSignal(z, 30);
  QVERIFY(analogRow >= 0);
  rig.Click(analogRow);
  e.UpdateActions();
  QVERIFY(e.AInfAnalog->isEnabled());
  // Two rows: no block commands, no replacing.
  rig.Click(1, Qt::ControlModifier);
  e.UpdateActions();
  for (QAction* a : {e.ABSign, e.ASign, e.ADelSign, e.ABZader, e.AZader, e.ADelZader, e.ABVyh, e.ABlVyh,
                     e.ADelVyh, e.AChange})
    QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
  QVERIFY(e.ACopy->isEnabled() && e.ADelChoose->isEnabled());
  rig.Click(analogRow);
  for (QMenu* menu : {e.PopupMenu2, e.PopupMenu3}) {
    menu->popup(QPoint(0, 0));
    Settle();
    Save(menu, "discrete_" + menu->objectName());
    menu->hide();
  }
}

void DiscreteEditorTest::Layout_252RowsEveryElementWithinItsRow() {
  EditorRig rig;
  DiscreteProcessing& z = rig.Z();
  // A base of 252 signals: the composition says so, the network fills the rest.
  rig.form->service.SetSignalCount(252);
  for (int s = 0; s < 252; ++s) {
    z.SetRecord(s, {static_cast<uint8_t>(0x40 | 0x20 | (s % 24 + 1)), static_cast<uint8_t>(s & 0xFF), 0, 0, 0,
                    0, 0, 0, 0, static_cast<uint8_t>(0x80 | (s % 60 + 1)), 0});
    rig.form->service.SetText(s, "Сигнал " + std::to_string(s + 1));
  }
  rig.Editor().OpenFileClick();
  QCOMPARE(z.RowCount, 252);
  DiscreteSchemeScene& scene = *rig.Editor().scene;
  QCOMPARE(static_cast<int>(scene.Rows().size()), 252);
  QCOMPARE(scene.ShVh1->rect().height(), 54.0 * 253);
  QCOMPARE(scene.sceneRect().height(), 54.0 * 253);
  for (int r = 0; r < 252; ++r) {
    const QRectF strip = G::Strip(r);
    for (const QRectF& part : {G::Number(r), G::Text(r), G::Contact(r), G::Archive(r), G::Input(r),
                               G::Alarm(r), G::Delay(r), G::Relays(r), G::Marker(r)}) {
      QVERIFY2(strip.contains(part), qPrintable(QString("row %1").arg(r)));
    }
    QCOMPARE(scene.Rows()[static_cast<size_t>(r)]->boundingRect(), strip);
  }
  // The blocks stand where the design puts them and do not overlap.
  QCOMPARE(G::Alarm(0).left() - G::kInputColumn, 158.0);
  QCOMPARE(G::Delay(0).left() - G::kInputColumn, 246.0);
  QCOMPARE(G::Relays(0).left() - G::kInputColumn, 314.0);
  QVERIFY(!G::Alarm(0).intersects(G::Delay(0)) && !G::Delay(0).intersects(G::Relays(0)));
  QVERIFY(!G::Input(0).intersects(G::Marker(0)) && G::Relays(0).right() < G::kOutputColumn);
  // All signals are on the scheme: no further handler can be created.
  rig.Editor().CreatVhButClick();
  QCOMPARE(rig.ui.Last().text, std::string("Все собственные входы созданы"));

  rig.Editor().resize(1000, 700);
  rig.Editor().show();
  Settle();
  Save(&rig.Editor(), "discrete_editor_252_rows");
  rig.Editor().hide();
}

// Printed as the preview prints it, at the printer's resolution: portrait
// pages of 11 rows, then the relay lines, every page headed with its number,
// and the rows' texts words of a readable size.
void DiscreteEditorTest::Printout_ElevenRowsAPageAndTheRelayLines() {
  EditorRig rig;
  const int rows = rig.Z().RowCount;
  QVERIFY(rows > 11);
  const QString pdf = QDir(rig.dir.path()).filePath("scheme.pdf");
  rig.Editor().PrintScheme = [&] { QVERIFY(rig.Editor().PrintToPdf(pdf)); };
  rig.Editor().Button1->click();
  Settle();
  const QList<test::PdfWord> words = test::PdfWords(pdf);
  QVERIFY2(!words.isEmpty(), "pdftotext read nothing");
  const int pages = words.last().page;
  QVERIFY2(pages >= (rows + 10) / 11 + 1, qPrintable(QString::number(pages)));
  for (int page = 1; page <= pages; ++page) {
    const auto first =
        std::find_if(words.begin(), words.end(), [&](const test::PdfWord& w) { return w.page == page; });
    QVERIFY(first != words.end());
    QVERIFY2(first->paper.height() > first->paper.width(), "landscape");
    QCOMPARE(first->text, QString("страница"));
    QCOMPARE(std::next(first)->text, QString::number(page));
  }
  for (const char* word : {"на", "схеме", "базе", "Информация", "ARHIV"})
    QVERIFY2(test::HasWord(words, word), word);
  const QStringList bad = test::Unreadable(words);
  QVERIFY2(bad.isEmpty(), qPrintable(bad.mid(0, 10).join("; ")));
  test::SavePdfPages(pdf, "discrete_print_page", pages);
  const QImage first = rig.Editor().PrintoutFirstPage(QSize(794, 1123));
  QVERIFY(first.pixelColor(400, 200) != QColor(Qt::white) || first.pixelColor(200, 200) != QColor(Qt::white));
}

QTEST_MAIN(DiscreteEditorTest)
#include "discrete_editor_test.moc"
