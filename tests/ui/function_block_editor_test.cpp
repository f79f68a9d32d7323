// The function block editor against a simulated controller: read, create,
// insert, copy groups, delete, undo, write, closing, zoom and printing; and
// the block dialog's enabling and checks.
#include <QAction>
#include <QComboBox>
#include <QGraphicsScene>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QWheelEvent>
#include <QtTest>

#include "FunctionBlockEditorRig.h"
#include "PdfText.h"
#include "UiTestSupport.h"
#include "core/config/ControllerImage.h"
#include "core/config/ReadConfiguration.h"
#include "core/link/ModbusLink.h"
#include "sim/SimulatedLine.h"
#include "support/WritingLink.h"
#include "ui/discrete/DiscreteProcessingEditor.h"
#include "ui/discrete/SignalDialogs.h"
#include "ui/fb/FunctionBlockDialog.h"
#include "ui/fb/FunctionBlockEditor.h"
#include "ui/inform/InformationWindows.h"
#include "ui/link/LinkWorker.h"
#include "ui/widgets/HintLabel.h"

namespace zul {
namespace {

using test::ModalSteps;

// An editor over a simulated controller whose configuration has been read.
struct EditorRig : test::FunctionBlockEditorRig {
  EditorRig() { Open(); }
  // Blocks 1..count as AND blocks, each reading the one before.
  void MakeBlocks(int count) {
    for (int i = 0; i < FunctionBlocks::kCapacity; ++i) fb().ClearRecord(i);
    for (int i = 0; i < count; ++i) {
      fb().SetTypeCode(i, ftAND + 1);
      fb().SetByte(i, 15, i + 1);
      if (i > 0) {
        fb().SetInputSource(i, 0, srcFBOutput);
        fb().SetInputNumber(i, 0, i);
      }
    }
    editor->Rebuild();
  }
  // Runs an editor command whose block dialog `inside` fills and closes.
  bool WithBlockDialog(void (FunctionBlockEditor::*command)(),
                       const std::function<void(FunctionBlockDialog&)>& inside) {
    return ModalSteps([&] { (editor.get()->*command)(); }, {[&](QWidget* w) {
                        auto* d = qobject_cast<FunctionBlockDialog*>(w);
                        if (d) inside(*d);
                        // A failed check inside must not leave the dialog open.
                        if (w->isVisible()) static_cast<QDialog*>(w)->reject();
                      }}) == 0;
  }
  std::vector<uint8_t> ControllerPage(int page) const { return controller->Blocks().at(68 + page); }
};

void ChooseTimer(FunctionBlockDialog& d, const char* time) {
  d.RadioGroup1->Item(ftTimer)->click();
  test::Settle();
  d.EditT->setText(time);
  d.OK->click();
  test::Settle();
}

}  // namespace

class FunctionBlockEditorTest : public QObject {
  Q_OBJECT
 private slots:
  void ReadDrawsEveryBlockAndClearsTheHistory();
  void CreatedTimerIsWrittenToTheController();
  void InsertBeforeTheSelectedBlock();
  void CopiedGroupIsAppendedAndUndone();
  void ACopyWithAGapIsRefusedAloud();
  void LinkMarksStayInTheScene();
  void DeleteAsksAndUndoBringsTheBlocksBack();
  void CancelledCreationPutsTheCalculationRecordsBack();
  void HundredStepsOfHistory();
  void FileModeNeitherReadsNorWritesAndClosingMarksTheFile();
  void ClosingWithNoPutsTheReferenceBack();
  void ClosingThroughTheSchemeQuestionStillSendsTheDeletion();
  void AlarmThroughTheSignalDialog();
  void BlockMenuEnabling_data();
  void BlockMenuEnabling();
  void ClicksSelect();
  void ZoomAndFit();
  void PrintsFiveRowsAPage();
  void PrintoutReadsAtPrinterResolution();
  void DialogEnabling_data();
  void DialogEnabling();
  void DialogRefusesAnHourOf24();
  void DialogEnterInAnEmptyFieldIsAnInputError();
  void DialogRadioItemsDoNotOverlap();
  void OpenedFromTheMainWindowAndTheDiscreteEditor();
  void Screenshots();
};

void FunctionBlockEditorTest::ReadDrawsEveryBlockAndClearsTheHistory() {
  EditorRig rig;
  rig.MakeBlocks(4);
  QVERIFY(rig.editor->Item(3));
  rig.editor->selectAll();
  rig.ui.QueueAnswer(Answer::Yes);
  rig.editor->deleteBlocks();
  QVERIFY(rig.editor->History()->canUndo());
  rig.editor->readFromController();
  test::Settle();
  QVERIFY(!rig.editor->History()->canUndo());
  Configuration fresh;
  const std::vector<uint8_t> page = rig.ControllerPage(0);
  fresh.functionBlocks.LoadPage(0, std::span<const uint8_t>(page).subspan(1));  // after the block number
  fresh.functionBlocks.RecountBlocks();
  QCOMPARE(rig.fb().FBCount, fresh.functionBlocks.FBCount);
  QCOMPARE(rig.editor->Scene()->items().isEmpty(), rig.fb().FBCount == 0);
}

void FunctionBlockEditorTest::CreatedTimerIsWrittenToTheController() {
  EditorRig rig;
  rig.MakeBlocks(2);
  QVERIFY(rig.WithBlockDialog(&FunctionBlockEditor::createBlock, [](FunctionBlockDialog& d) {
    QCOMPARE(d.EditNFB->text(), QString("3"));
    QCOMPARE(d.LabCreatProg->text(), QString("создание"));
    ChooseTimer(d, "7");
  }));
  QCOMPARE(rig.fb().FBCount, 3);
  QCOMPARE(rig.fb().GetTypeCode(2), ftTimer + 1);
  QCOMPARE(rig.fb().GetTime(2), 7);
  QVERIFY(rig.editor->Item(2)->Chosen());
  rig.ui.QueueAnswer(Answer::Yes);  // the regulator block, unchanged, goes too
  rig.editor->writeToController();
  test::Settle();
  const auto page = rig.ControllerPage(0);
  rig.fb().StorePage(0);
  QVERIFY(std::equal(page.begin() + 1, page.end(), rig.fb().PageBuf().begin()));
  QCOMPARE(rig.fb().Changed, 0);
  QVERIFY(rig.editor->windowTitle().endsWith("устройство 1"));
}

void FunctionBlockEditorTest::InsertBeforeTheSelectedBlock() {
  EditorRig rig;
  rig.MakeBlocks(3);
  rig.editor->SelectOnly(1);
  QVERIFY(rig.WithBlockDialog(&FunctionBlockEditor::insertBlock, [](FunctionBlockDialog& d) {
    QCOMPARE(d.EditNFB->text(), QString("2"));
    d.RadioGroup1->Item(ftOR)->click();
    test::Settle();
    // Block 3 as the scheme shows it while the dialog is open.
    d.Source[0]->setCurrentIndex(srcFBOutput);
    d.EditVx[0]->setText("3");
    d.OK->click();
    test::Settle();
  }));
  QCOMPARE(rig.fb().FBCount, 4);
  QCOMPARE(rig.fb().GetTypeCode(1), ftOR + 1);
  QCOMPARE(rig.fb().GetInputNumber(1, 0), 4);  // that block is 4 now
  QCOMPARE(rig.fb().GetByte(2, 15), 2);
  QCOMPARE(rig.fb().GetInputNumber(2, 0), 1);
  QCOMPARE(rig.fb().GetInputNumber(3, 0), 3);  // old block 3 read block 2, now 3
}

void FunctionBlockEditorTest::CopiedGroupIsAppendedAndUndone() {
  EditorRig rig;
  rig.MakeBlocks(3);
  rig.editor->SelectOnly(1);
  rig.editor->ToggleSelection(2);
  rig.editor->copyBlocks();
  QVERIFY(rig.editor->AAddGroup->isEnabled());
  rig.editor->appendCopies();
  QCOMPARE(rig.fb().FBCount, 5);
  QCOMPARE(rig.fb().GetInputNumber(4, 0), 4);  // the copy of 3 reads the copy of 2
  QCOMPARE(rig.editor->Selection(), (std::vector<int>{3, 4}));
  rig.editor->undo();
  QCOMPARE(rig.fb().FBCount, 3);
  QCOMPARE(rig.editor->Scene()->items().size(), 3);
  rig.editor->redo();
  QCOMPARE(rig.fb().FBCount, 5);
}

void FunctionBlockEditorTest::ACopyWithAGapIsRefusedAloud() {
  EditorRig rig;
  rig.MakeBlocks(6);
  rig.editor->SelectOnly(1);
  rig.editor->ToggleSelection(2);
  rig.editor->ToggleSelection(4);
  rig.editor->copyBlocks();
  for (bool insert : {true, false}) {
    rig.editor->SelectOnly(0);
    rig.ui.Clear();
    insert ? rig.editor->insertCopies() : rig.editor->appendCopies();
    QCOMPARE(rig.ui.Last().text, std::string(kCopiedWithGapText));
    QCOMPARE(rig.fb().FBCount, 6);
    QVERIFY(!rig.editor->History()->canUndo());
  }
}

void FunctionBlockEditorTest::LinkMarksStayInTheScene() {
  EditorRig rig;
  rig.MakeBlocks(7);  // blocks 4 and 7 start a row and read the block before
  const QRectF scene = rig.editor->Scene()->sceneRect();
  for (int index : {1, 3, 6}) {
    FunctionBlockItem* item = rig.editor->Item(index);
    QVERIFY(item->Texts().linked[0]);
    const QRectF mark = item->mapRectToScene(item->LinkMarkRect(0));
    QVERIFY2(scene.contains(mark), qPrintable(QString("block %1").arg(index + 1)));
  }
}

void FunctionBlockEditorTest::DeleteAsksAndUndoBringsTheBlocksBack() {
  EditorRig rig;
  rig.MakeBlocks(5);
  rig.editor->SelectOnly(1);
  rig.editor->ToggleSelection(3);
  rig.ui.QueueAnswer(Answer::Yes);
  rig.editor->deleteBlocks();
  QCOMPARE(rig.ui.Shown().front().text, std::string(kDeleteQuestionText));
  QCOMPARE(rig.fb().FBCount, 3);
  QCOMPARE(rig.fb().GetByte(1, 15), 3);
  QVERIFY(rig.editor->Selection().empty());
  rig.editor->undo();
  QCOMPARE(rig.fb().FBCount, 5);
  QCOMPARE(rig.fb().GetByte(1, 15), 2);
}

void FunctionBlockEditorTest::CancelledCreationPutsTheCalculationRecordsBack() {
  EditorRig rig;
  rig.MakeBlocks(2);
  rig.fb().SetTypeCode(2, FunctionBlocks::kTypeCalc);
  rig.fb().SetSubtype(2, 1);
  rig.editor->Rebuild();
  QVERIFY(rig.WithBlockDialog(&FunctionBlockEditor::createBlock,
                              [](FunctionBlockDialog& d) { d.Cancel->click(); }));
  QCOMPARE(rig.fb().GetTypeCode(2), FunctionBlocks::kTypeCalc);
  QCOMPARE(rig.fb().GetTypeCode(3), 0);
  QVERIFY(!rig.editor->History()->canUndo());
}

void FunctionBlockEditorTest::HundredStepsOfHistory() {
  EditorRig rig;
  rig.MakeBlocks(1);
  rig.editor->SelectOnly(0);
  for (int step = 1; step <= kUndoSteps + 1; ++step) {
    rig.editor->SelectOnly(0);
    rig.editor->copyBlocks();
    rig.editor->appendCopies();
    if (rig.fb().FBCount == 120) {
      rig.editor->selectAll();
      rig.ui.QueueAnswer(Answer::Yes);
      rig.editor->deleteBlocks();
    }
  }
  int undone = 0;
  while (rig.editor->History()->canUndo()) {
    rig.editor->undo();
    ++undone;
  }
  QCOMPARE(undone, kUndoSteps);
}

void FunctionBlockEditorTest::FileModeNeitherReadsNorWritesAndClosingMarksTheFile() {
  EditorRig rig;
  rig.config.service.FileMode = 1;
  rig.editor->Prepare();
  test::Settle();
  QVERIFY(!rig.editor->LabelFile->isHidden());
  rig.MakeBlocks(2);
  const int requests = rig.controller->Requests();
  rig.editor->readFromController();
  test::Settle();
  rig.editor->writeToController();
  test::Settle();
  QCOMPARE(rig.controller->Requests(), requests);
  QCOMPARE(rig.fb().FBCount, 2);
  rig.fb().Changed = 1;
  rig.editor->show();
  rig.editor->reject();
  test::Settle();
  QCOMPARE(rig.config.service.FileChanged, 1);
  QVERIFY(rig.ui.Shown().empty());
}

// Every block deleted, then "Конфигурация не задана. Будете создавать?" -> Нет
// closes the editor: the deletion is still a change, asked about and sent.
void FunctionBlockEditorTest::ClosingThroughTheSchemeQuestionStillSendsTheDeletion() {
  EditorRig rig;
  rig.MakeBlocks(3);
  QVERIFY(WriteFunctionBlockTable(rig.config, rig.link, rig.ui));  // the controller holds them
  rig.editor->show();
  test::Settle();
  rig.editor->selectAll();
  rig.ui.QueueAnswer(Answer::Yes);  // delete them
  rig.editor->deleteBlocks();
  test::Settle();
  rig.ui.Clear();
  rig.ui.QueueAnswer(Answer::No);   // Будете создавать? -> Нет
  rig.ui.QueueAnswer(Answer::Yes);  // Передать в прибор? -> Да
  rig.editor->addAlarm();
  test::Settle();
  QVERIFY(!rig.editor->isVisible());
  QCOMPARE(rig.ui.Shown().size(), size_t{2});
  QCOMPARE(rig.ui.Last().text, std::string(kChangedCloseQuestion));
  // The controller's pages hold the empty table memory holds.
  const BlockMap memory = EncodeBlocks(rig.config);
  for (int p = 0; p < rig.fb().GetPageCount(); ++p) {
    const auto& held = rig.controller->Blocks().at(kFirstFunctionBlockPage + p);
    QVERIFY(std::vector<uint8_t>(held.begin() + 1, held.end()) == memory.at(kFirstFunctionBlockPage + p));
  }
}

void FunctionBlockEditorTest::ClosingWithNoPutsTheReferenceBack() {
  EditorRig rig;
  const auto reference = rig.config.reserveBlocks.FBRecords;
  rig.MakeBlocks(3);
  rig.fb().Changed = 1;
  rig.ui.QueueAnswer(Answer::Cancel);
  rig.editor->show();
  rig.editor->reject();
  test::Settle();
  QVERIFY(rig.editor->isVisible());
  rig.ui.QueueAnswer(Answer::No);
  rig.editor->AClose->trigger();  // Alt+X
  test::Settle();
  QVERIFY(!rig.editor->isVisible());
  QCOMPARE(rig.ui.Shown().size(), size_t{2});  // asked once per try
  QCOMPARE(rig.ui.Last().text, std::string(kChangedCloseQuestion));
  for (int i = 0; i < 3; ++i)
    QVERIFY(std::ranges::equal(rig.fb().Record(i), reference[static_cast<size_t>(i)]));
  QCOMPARE(rig.fb().Changed, 0);
}

void FunctionBlockEditorTest::AlarmThroughTheSignalDialog() {
  EditorRig rig;
  rig.MakeBlocks(2);
  rig.editor->SelectOnly(1);
  QVERIFY(ModalSteps([&] { rig.editor->addAlarm(); }, {[](QWidget* w) {
                       auto* d = qobject_cast<AlarmTypeDialog*>(w);
                       QVERIFY(d);
                       QCOMPARE(d->LabNVh->text(), QString("ФБ №"));
                       QCOMPARE(d->Label2->text(), QString("2"));
                       d->Items[2]->click();
                       d->Edit1->setText("4");
                       d->OK->click();
                     }}) == 0);
  QCOMPARE(rig.fb().GetAlarmType(1), 2);
  QCOMPARE(rig.fb().GetCell(1), 4);
  QVERIFY(rig.editor->AEditSign->isEnabled());
  QVERIFY(!rig.editor->AAddSign->isEnabled());
  QCOMPARE(rig.dialogs.alarmTypeDialog->LabNVh->text(), QString("Вход №"));
  rig.editor->deleteAlarm();
  QCOMPARE(rig.fb().GetAlarmType(1), 0);
}

void FunctionBlockEditorTest::BlockMenuEnabling_data() {
  QTest::addColumn<QList<int>>("selected");
  QTest::addColumn<bool>("alarm");
  QTest::addColumn<bool>("copied");
  QTest::addColumn<QStringList>("enabled");
  QTest::newRow("one") << QList<int>{0} << false << false
                       << QStringList{"AEditFB", "ACopy", "ADelete", "AInsertFB", "AAddSign", "AAddVyh"};
  QTest::newRow("one with alarm and a copy")
      << QList<int>{0} << true << true << QStringList{"AEditFB",      "ACopy",     "ADelete",  "AInsertFB",
                                                      "AInsertGroup", "AEditSign", "ADelSign", "AAddVyh"};
  QTest::newRow("two") << QList<int>{0, 1} << false << false << QStringList{"ACopy", "ADelete"};
}

void FunctionBlockEditorTest::BlockMenuEnabling() {
  QFETCH(QList<int>, selected);
  QFETCH(bool, alarm);
  QFETCH(bool, copied);
  QFETCH(QStringList, enabled);
  EditorRig rig;
  rig.MakeBlocks(3);
  if (alarm) {
    rig.fb().SetAlarmType(0, 1);
    rig.fb().SetCell(0, 1);
  }
  if (copied) CopyBlocksToClipboard(rig.config, {2});
  rig.editor->Rebuild();
  rig.editor->ClearSelection();
  for (int i : selected) rig.editor->ToggleSelection(i);
  QStringList on;
  for (QAction* a : rig.editor->BlockMenu()->actions())
    if (!a->isSeparator() && a->isEnabled()) on << a->objectName();
  // Del acts on the whole selection, so its entry stays with Copy.
  QCOMPARE(on, enabled);
}

void FunctionBlockEditorTest::ClicksSelect() {
  EditorRig rig;
  rig.MakeBlocks(3);
  rig.editor->resize(900, 600);
  rig.editor->show();
  QVERIFY(QTest::qWaitForWindowExposed(rig.editor.get()));
  QWidget* port = rig.editor->View()->viewport();
  auto at = [&](int index) {
    return rig.editor->View()->mapFromScene(rig.editor->Item(index)->scenePos() + QPointF(20, 40));
  };
  QTest::mouseClick(port, Qt::LeftButton, {}, at(1));
  QCOMPARE(rig.editor->Selection(), std::vector<int>{1});
  QTest::mouseClick(port, Qt::LeftButton, Qt::ControlModifier, at(2));
  QCOMPARE(rig.editor->Selection(), (std::vector<int>{1, 2}));
  QTest::mouseClick(port, Qt::LeftButton, Qt::ControlModifier, at(1));
  QCOMPARE(rig.editor->Selection(), std::vector<int>{2});
  QTest::mouseClick(port, Qt::LeftButton, {}, rig.editor->View()->mapFromScene(QPointF(300, 200)));
  QVERIFY(rig.editor->Selection().empty());
  rig.editor->hide();
}

void FunctionBlockEditorTest::ZoomAndFit() {
  EditorRig rig;
  rig.MakeBlocks(120);
  rig.editor->resize(900, 600);
  rig.editor->show();
  QVERIFY(QTest::qWaitForWindowExposed(rig.editor.get()));
  FunctionBlockView* view = rig.editor->View();
  const QPointF centre = view->viewport()->rect().center();
  QWheelEvent zoomIn(centre, view->viewport()->mapToGlobal(centre), {}, QPoint(0, 120), Qt::NoButton,
                     Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view->viewport(), &zoomIn);
  QVERIFY(view->Zoom() > 1.1);
  QWheelEvent scroll(centre, view->viewport()->mapToGlobal(centre), {}, QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
  const int before = view->verticalScrollBar()->value();
  QApplication::sendEvent(view->viewport(), &scroll);
  QCOMPARE(view->verticalScrollBar()->value(), before + 10);
  rig.editor->fitScheme();
  QVERIFY(view->Zoom() < 0.5);
  const QRectF shown = view->mapToScene(view->viewport()->rect()).boundingRect();
  QVERIFY(shown.contains(rig.editor->Scene()->sceneRect().adjusted(1, 1, -1, -1)));
  rig.editor->hide();
}

void FunctionBlockEditorTest::PrintsFiveRowsAPage() {
  EditorRig rig;
  rig.MakeBlocks(31);  // 11 rows: three pages
  QCOMPARE(rig.editor->PageCount(), 3);
  rig.editor->View()->SetZoom(0.3);
  QTemporaryDir dir;
  const QString pdf = dir.filePath("scheme.pdf");
  QVERIFY(rig.editor->PrintToPdf(pdf));
  QFile f(pdf);
  QVERIFY(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  QVERIFY(bytes.startsWith("%PDF"));
  QCOMPARE(bytes.count("/Type /Page") - bytes.count("/Type /Pages"), 3);
  QCOMPARE(rig.editor->View()->Zoom(), 0.3);
  // Each page leaves the other pages' rows out, and gives them back after.
  for (QGraphicsItem* item : rig.editor->Scene()->items()) QVERIFY(item->isVisible());
}

namespace {

// A scheme of 120 blocks of every kind, with algorithms, alarms and relays.
void MakeShowcase(EditorRig& rig) {
  FunctionBlocks& fb = rig.fb();
  for (int i = 0; i < 120; ++i) {
    const int kind = i % 9;
    FunctionBlockValues v = ValuesForKind(kind);
    if (kind == ftTimer) {
      v.timerKind = i % 6;
      v.time = std::to_string(i % 50);
      v.hour = "07";
      v.minute = "30";
    }
    if (kind == ftComparator) {
      v.analogNumber = "2";
      v.setpoint = "12,5";
      v.hysteresis = "3";
    }
    if (kind == ftCounter) v.counterSetpoint = "12";
    const int inputs = FunctionBlocks::CountInputs(kind + 1, v.timerKind);
    for (int k = 0; k < inputs; ++k) {
      v.inputs[static_cast<size_t>(k)] = {
          k % 2, k == 0 && i > 0 ? 1 : 0,
          k == 0 && i > 0 ? std::to_string(i) : std::to_string(k + 1 + i % 20)};
    }
    fb.RecountBlocks();
    fb.FBCount = i;
    StoreBlockValues(rig.config, i, v, true);
    if (i < 62 && i % 4 == 1) {
      fb.SetAlarmType(i, 1 + i % 3);
      fb.SetCell(i, 1 + i % 20);
    }
    if (i % 5 == 2) fb.SetRelayByte(i, 1, 0x21 << (i % 3));
  }
  fb.SetAlgCount(10);
  for (int a = 0; a < 10; ++a) {
    fb.SetAlgName(a, "Алгоритм " + std::to_string(a + 1) + (a == 0 ? ": пуск насосов" : ""));
    for (int k = 0; k < 12; ++k) fb.SetAlgMember(a, k, a * 12 + k + 1);
  }
  RebuildAlgorithmStarts(fb);
  rig.editor->Rebuild();
}

}  // namespace

// The printout as the preview prints it, at the printer's resolution: the
// block captions come out as words of a readable size.
void FunctionBlockEditorTest::PrintoutReadsAtPrinterResolution() {
  EditorRig rig;
  MakeShowcase(rig);
  rig.editor->MainCaption = [] { return QString("Программатор ЗУЛ-05HMI-16"); };
  QTemporaryDir dir;
  const QString pdf = dir.filePath("scheme.pdf");
  QVERIFY(rig.editor->PrintToPdf(pdf));
  test::SavePdfPages(pdf, "fb_print_page", 2);
  const QList<test::PdfWord> words = test::PdfWords(pdf);
  QVERIFY2(!words.isEmpty(), "pdftotext read nothing");
  for (const char* word :
       {"Программатор", "страница", "гистерезис=", "уставка=", "ФБ1", "T5", "Информация", "МР1:"})
    QVERIFY2(test::HasWord(words, word), word);
  const QStringList bad = test::Unreadable(words);
  QVERIFY2(bad.isEmpty(), qPrintable(bad.mid(0, 10).join("; ")));
}

void FunctionBlockEditorTest::DialogEnabling_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<int>("timerKind");
  QTest::addColumn<int>("inputs");
  QTest::addColumn<QStringList>("groups");
  QTest::addColumn<QString>("label1");
  QTest::newRow("AND") << int(ftAND) << 0 << 4 << QStringList{} << "";
  QTest::newRow("comparator") << int(ftComparator) << 0 << 1 << QStringList{"GBTimer", "GBComp"} << "";
  QTest::newRow("timer") << int(ftTimer) << 0 << 2 << QStringList{"GBTimer"} << "S";
  QTest::newRow("alarm clock") << int(ftTimer) << 5 << 1 << QStringList{"GBTimer", "GBClock"} << "";
  QTest::newRow("trigger") << int(ftTrigger) << 0 << 4 << QStringList{"RadioGroup3"} << "S";
  QTest::newRow("counter") << int(ftCounter) << 0 << 4 << QStringList{"GBCount"} << "ZV";
}

void FunctionBlockEditorTest::DialogEnabling() {
  QFETCH(int, kind);
  QFETCH(int, timerKind);
  QFETCH(int, inputs);
  QFETCH(QStringList, groups);
  QFETCH(QString, label1);
  ScriptedInteraction ui;
  FunctionBlockDialog d(ui);
  d.RadioGroup1->Item(kind)->click();
  test::Settle();
  if (timerKind) d.RadioGroup2->Item(timerKind)->click();
  int enabled = 0;
  for (QLineEdit* e : d.EditVx) enabled += e->isEnabled();
  QCOMPARE(enabled, inputs);
  for (const char* name : {"GBTimer", "GBComp", "GBCount", "RadioGroup3", "GBClock"}) {
    auto* w = d.findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(w->isEnabled(), groups.contains(name));
  }
  QCOMPARE(d.LabRS[0]->text(), label1);
}

void FunctionBlockEditorTest::DialogRefusesAnHourOf24() {
  ScriptedInteraction ui;
  FunctionBlockDialog d(ui);
  d.Prepare(70, FunctionBlockDialog::Mode::Create, ValuesForKind(ftAND));
  test::Settle();
  QVERIFY(!d.SBVkl->isEnabled());
  d.RadioGroup1->Item(ftTimer)->click();
  test::Settle();
  d.RadioGroup2->Item(5)->click();
  test::Settle();
  d.EditHour->setText("24");
  d.show();
  d.OK->click();
  test::Settle();
  QVERIFY(d.isVisible());
  QVERIFY(d.Cancelled());
  QCOMPARE(d.ErrorText->text(), QString("24 Величина вне диапазона 0 - 23"));
  d.EditHour->setText("23");
  d.OK->click();
  test::Settle();
  QVERIFY(!d.Cancelled());
  QCOMPARE(d.Values().hour, std::string("23"));
}

void FunctionBlockEditorTest::DialogEnterInAnEmptyFieldIsAnInputError() {
  ScriptedInteraction ui;
  FunctionBlockDialog d(ui);
  d.Prepare(1, FunctionBlockDialog::Mode::Create, ValuesForKind(ftTimer));
  d.show();
  test::Settle();
  for (QLineEdit* e : {d.EditVx[0], d.EditT}) {
    ui.Clear();
    e->clear();
    QTest::keyClick(e, Qt::Key_Return);
    QCOMPARE(ui.Shown().size(), size_t{1});
    QCOMPARE(ui.Last().text, std::string(kInputErrorNote));
    e->setText("5");
    QTest::keyClick(e, Qt::Key_Return);
    QCOMPARE(ui.Shown().size(), size_t{1});  // a filled field just moves on
  }
  d.reject();
}

// Every kind's page of the dialog, at its own size and squeezed into a small
// screen: the items of each radio group stand apart inside their box.
void FunctionBlockEditorTest::DialogRadioItemsDoNotOverlap() {
  ScriptedInteraction ui;
  FunctionBlockDialog d(ui);
  for (int kind : {ftTimer, ftComparator, ftTrigger}) {
    d.Prepare(1, FunctionBlockDialog::Mode::Create, ValuesForKind(kind));
    d.show();
    for (const QSize size : {d.sizeHint(), QSize(1000, 560), QSize(700, 500)}) {
      d.resize(size);
      test::Settle();
      for (RadioChoice* group : d.findChildren<RadioChoice*>()) {
        QGroupBox* box = group->Box();
        const QList<QRadioButton*> items = box->findChildren<QRadioButton*>();
        for (int i = 0; i < items.size(); ++i) {
          const QRect r = items[i]->geometry();
          QVERIFY2(box->rect().contains(r) && r.height() >= items[i]->minimumSizeHint().height(),
                   qPrintable(items[i]->objectName()));
          if (i > 0) QVERIFY2(!r.intersects(items[i - 1]->geometry()), qPrintable(items[i]->objectName()));
        }
        // Nor does the group overlap its neighbours.
        for (QWidget* other : group->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
          if (other == group || !other->isVisible() || other->geometry().isEmpty()) continue;
          QVERIFY2(!group->geometry().intersects(other->geometry()),
                   qPrintable(group->objectName() + " / " + other->objectName() + " " + ControlText(other)));
        }
        QVERIFY2(group->parentWidget()->rect().contains(group->geometry()), qPrintable(group->objectName()));
      }
    }
  }
  d.reject();
}

void FunctionBlockEditorTest::OpenedFromTheMainWindowAndTheDiscreteEditor() {
  test::MainWindowRig rig;
  rig.Compose({1, 6, 3});
  rig.form->ShowConfiguration();  // the editors become available
  const std::function<void()> ways[] = {[&] { rig.form->ButProgFB->click(); },
                                        [&] { rig.form->discreteProcessingEditor->OpenFunctionBlocks(); }};
  for (const auto& open : ways) {
    QString shown;
    QCOMPARE(ModalSteps(open, {[&](QWidget* w) {
                          shown = w->objectName();
                          static_cast<QDialog*>(w)->reject();
                        }}),
             size_t{0});
    QCOMPARE(shown, QString("FormFB"));
  }
}

// With ZUL_SCREENSHOT_DIR set: a scheme of 120 blocks with algorithms, alarms
// and relays, the block dialog for three kinds, and the first printed page.
void FunctionBlockEditorTest::Screenshots() {
  const QString dir = qEnvironmentVariable("ZUL_SCREENSHOT_DIR");
  if (dir.isEmpty()) QSKIP("ZUL_SCREENSHOT_DIR not set");
  EditorRig rig;
  MakeShowcase(rig);
  FunctionBlocks& fb = rig.fb();
  rig.editor->SelectOnly(4);
  rig.editor->ToggleSelection(5);
  rig.editor->resize(1000, 760);
  rig.editor->show();
  QVERIFY(QTest::qWaitForWindowExposed(rig.editor.get()));
  QVERIFY(rig.editor->grab().save(dir + "/fb_scheme.png"));
  rig.editor->fitScheme();
  QTest::qWait(20);
  QVERIFY(rig.editor->grab().save(dir + "/fb_scheme_fit.png"));
  rig.editor->zoomOriginal();
  rig.editor->hide();

  FunctionBlockDialog& d = *rig.editor->BlockDialog();
  const struct {
    int index;
    const char* file;
  } shots[] = {{5, "fb_dialog_timer.png"}, {7, "fb_dialog_comparator.png"}, {6, "fb_dialog_trigger.png"}};
  for (const auto& s : shots) {
    d.Prepare(s.index + 1, FunctionBlockDialog::Mode::Edit, LoadBlockValues(fb, s.index));
    test::Settle();
    d.show();
    d.resize(d.sizeHint());  // the offscreen screen is smaller than a laptop's
    QTest::qWait(20);
    QVERIFY(d.grab().save(dir + "/" + s.file));
    d.hide();
  }
  for (int i = 15; i < 120; ++i) fb.ClearRecord(i);
  fb.SetAlgCount(2);
  RebuildAlgorithmStarts(fb);
  rig.editor->Rebuild();
  rig.editor->ClearSelection();
  rig.editor->MainCaption = [] { return QString("Программатор ЗУЛ-05HMI-16"); };
  QTemporaryDir printed;
  QVERIFY(rig.editor->PrintToPdf(printed.filePath("scheme.pdf")));
  test::SavePdfPages(printed.filePath("scheme.pdf"), "fb_print_algorithms_page", 1);
}

}  // namespace zul

QTEST_MAIN(zul::FunctionBlockEditorTest)
#include "function_block_editor_test.moc"
