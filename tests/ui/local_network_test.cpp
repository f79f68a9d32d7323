// The local network windows against a simulated controller: creating entries
// through the editor (the scaling window opens for an analog entry),
// deleting one and writing on closing, the function-15 editor, the range
// dialog and both online views polling the simulated network.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "core/config/ReadConfiguration.h"
#include "ui/NetworkRig.h"
#include "ui/UiTestSupport.h"
#include "ui/inform/InformationWindows.h"
#include "ui/network/Function15Editor.h"
#include "ui/network/LocalNetworkWindow.h"
#include "ui/network/NetworkMasterEditor.h"
#include "ui/network/NetworkOnlineViews.h"
#include "ui/network/NetworkScalingWindow.h"

using namespace zul;
using namespace zul::test;

class LocalNetworkTest : public QObject {
  Q_OBJECT
 private slots:
  void MainButtons_OpenTheirMode_data();
  void MainButtons_OpenTheirMode();
  void CreateF1AndF3_ScalingOpensForTheAnalogEntryAndCloseWrites();
  void DeleteFirstOfThree_ClosingWritesTheMovedBlocks();
  void EditorWithoutType_StaysOpenAtTheTypeAndEscapeLeavesTheBlock();
  void EscapeOnACorrection_StoresAndRenumbersNothing();
  void DamagedEntry_ShownInvalidAndItsEditorRefusesIt();
  void EntryAmongTheModuleSignals_WarnedOnReadAndRefused();
  void Zul01Type_PresetsTheFieldsAndRefusesFunction3();
  void Scaling_EmptySetpointRefusedStoredValueBack();
  void Scaling_ReportSavedAsRtfThenPrintedOnYes();
  void LineSettings_ChosenAndWritten();
  void Function15_CreatedAndStoredOnYes();
  void Function15_FileModeMarksTheFile();
  void Function15_EmptiedInputsCount_KeepsTheSignalNumbers();
  void RangeDialog_RefusesOutOfRangeWithTheLimits();
  void AnalogView_PollsLiveValuesOfTheEntry();
  void DiscreteView_ShowsTheChosenTwelveOfSixteen();
};

void LocalNetworkTest::MainButtons_OpenTheirMode_data() {
  QTest::addColumn<QString>("button");
  QTest::addColumn<QString>("group");
  QTest::addColumn<QString>("title");
  QTest::newRow("blocks") << "LocalNet1"
                          << "GroupBox1"
                          << "Локальная сеть RS-485 ModBus ф1,ф2,ф3,ф4";
  QTest::newRow("line") << "LocNetObm"
                        << "GroupBox2"
                        << "Локальная сеть RS-485";
  QTest::newRow("f15") << "LocNet15"
                       << "GroupBox3"
                       << "Локальная сеть RS-485 ModBus ф15";
}

void LocalNetworkTest::MainButtons_OpenTheirMode() {
  QFETCH(QString, button);
  QFETCH(QString, group);
  QFETCH(QString, title);
  NetworkRig rig;
  auto* b = rig.form->findChild<QPushButton*>(button);
  QVERIFY(b && b->isEnabled());
  rig.form->service.SetSignalCount(60);  // as an edit in the window would leave it
  const bool closed = WhileModal([b] { b->click(); },
                                 [&](QWidget* w) {
                                   QCOMPARE(w->objectName(), QString("FormLNet"));
                                   QCOMPARE(w->windowTitle(), title);
                                   for (const char* name : {"GroupBox1", "GroupBox2", "GroupBox3"})
                                     QCOMPARE(w->findChild<QWidget*>(name)->isVisibleTo(w), group == name);
                                   w->close();
                                 });
  QVERIFY(closed);
  QVERIFY(rig.ui.Shown().empty());                    // nothing changed, nothing asked
  QCOMPARE(rig.form->StAllD->text(), QString("60"));  // the main window's totals follow
}

void LocalNetworkTest::CreateF1AndF3_ScalingOpensForTheAnalogEntryAndCloseWrites() {
  NetworkRig rig;
  LocalNetworkWindow& w = rig.Net();
  w.Prepare(LocalNetworkMode::Blocks);
  Settle();
  rig.Create(0, 0, 1, 16);  // ЗУЛ-01: function 1, 16 outputs
  QCOMPARE(w.Buttons[0]->text(), QString("Ф1"));
  bool scalingShown = false;
  rig.Create(1, 1, 3, -1, [&](QWidget* d) {
    NetworkScalingWindow& s = *rig.Editor().scalingWindow;
    QCOMPARE(d, &s);
    scalingShown = true;
    // Network analog position 0 is the entry's; the rest stay shut.
    QVERIFY(s.Rows[0].NSK->isEnabled());
    QVERIFY(!s.Rows[1].NSK->isEnabled());
    QCOMPARE(s.Rows[0].Number->text(), QString("7"));
    s.Rows[0].Poz->setText("TE-12");
    s.Rows[0].VSK->setText("250");
    s.leaveField(s.Rows[0].VSK);
    s.accept();
    Settle();
  });
  QVERIFY(scalingShown);
  QCOMPARE(w.Buttons[1]->text(), QString("Ф3"));
  NetworkMaster& m = rig.form->networkMaster;
  QCOMPARE(m.GetFirstDiscrete(1), 64);
  QCOMPARE(m.GetFirstAnalog(1), 6);
  QCOMPARE(m.GetMaxCode(1), 16384);
  QCOMPARE(rig.form->service.SignalCount, 68);
  QCOMPARE(QString::fromStdString(m.GetPosition(0)), QString("TE-12"));

  const size_t mark = rig.line.Written().size();
  rig.ui.QueueAnswer(Answer::Yes);
  w.accept();
  Settle();
  QVERIFY(!w.isVisible());
  QCOMPARE(rig.ui.Shown().front().text, std::string(kNetworkSendQuestion));
  QCOMPARE(rig.WrittenBlocks(mark), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 10}));
  const BlockBytes& master = rig.controller->Blocks().at(10);
  QVERIFY(std::equal(master.begin(), master.end(), m.MasterBlock.begin()));
}

void LocalNetworkTest::DeleteFirstOfThree_ClosingWritesTheMovedBlocks() {
  NetworkRig rig;
  LocalNetworkWindow& w = rig.Net();
  w.Prepare(LocalNetworkMode::Blocks);
  Settle();
  rig.Create(0, 0, 1, 16);
  rig.Create(1, 1, 3, -1, [](QWidget* d) { d->close(); });
  Settle();
  rig.Create(2, 15, 2, 8);
  rig.ui.QueueAnswer(Answer::Yes);
  w.accept();
  Settle();
  ServiceBlock& s = rig.form->service;
  s.SetText(68, "третий");  // first signal of the third entry
  FunctionBlocks& fb = rig.form->functionBlocks;
  fb.SetTypeCode(0, 1);
  fb.SetInputSource(0, 0, srcDiscrete);
  fb.SetInputNumber(0, 0, 69);

  w.Prepare(LocalNetworkMode::Blocks);
  Settle();
  w.selectEntry(0);
  w.NDelete->trigger();
  Settle();
  QCOMPARE(w.Buttons[0]->text(), QString("Ф3"));
  QCOMPARE(w.Buttons[1]->text(), QString("Ф2"));
  QCOMPARE(w.Buttons[2]->text(), QString());
  const size_t mark = rig.line.Written().size();
  rig.ui.QueueAnswer(Answer::Yes);
  w.accept();
  Settle();

  std::vector<int> expected{2, 3, 4, 5, 6, 7, 8, 10};
  for (int b = 12 + 48 / 18; b <= 25; ++b) expected.push_back(b);
  for (int b = 40 + 48 / 16; b <= 51; ++b) expected.push_back(b);
  for (int p = 0; p < fb.GetPageCount(); ++p) expected.push_back(68 + p);
  QCOMPARE(rig.WrittenBlocks(mark), expected);
  Configuration again;
  QVERIFY(ReadConfiguration(rig.form->link, again, rig.ui).ok);
  QCOMPARE(again.networkMaster.MasterBlock, rig.form->networkMaster.MasterBlock);
  QCOMPARE(QString::fromStdString(again.service.GetText(52)), QString("третий"));
  QCOMPARE(again.functionBlocks.GetInputNumber(0, 0), 53);
  QCOMPARE(again.service.SignalCount, 60);
}

void LocalNetworkTest::EditorWithoutType_StaysOpenAtTheTypeAndEscapeLeavesTheBlock() {
  NetworkRig rig;
  LocalNetworkWindow& w = rig.Net();
  w.Prepare(LocalNetworkMode::Blocks);
  Settle();
  const auto master = rig.form->networkMaster.MasterBlock;
  NetworkMasterEditor& e = rig.Editor();
  QVERIFY(WhileModal([&] { w.openEntry(0); },
                     [&](QWidget*) {
                       QCOMPARE(e.Label9->text(), QString("Создание"));
                       QCOMPARE(e.StAddr_Beg1->text(), QString("48"));
                       e.EditUstr->setText("7");
                       e.accept();
                       QVERIFY(e.isVisible());  // the error keeps what was typed
                       QCOMPARE(e.focusWidget(), static_cast<QWidget*>(e.TipUstr));
                       QCOMPARE(e.EditUstr->text(), QString("7"));
                       e.reject();
                     }));
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(rig.ui.Shown()[0].text, std::string("тип устройства не задан\n"));
  QCOMPARE(rig.form->networkMaster.MasterBlock, master);
  QCOMPARE(w.Buttons[0]->text(), QString());
}

// Escape and the title bar cancel: nothing typed is stored or renumbered.
void LocalNetworkTest::EscapeOnACorrection_StoresAndRenumbersNothing() {
  NetworkRig rig;
  LocalNetworkWindow& w = rig.Net();
  w.Prepare(LocalNetworkMode::Blocks);
  Settle();
  rig.Create(0, 15, 1, 8);
  rig.Create(1, 15, 1, 4);
  Settle();
  rig.form->service.SetText(56, "второй");
  const Configuration before = rig.form->config;
  NetworkMasterEditor& e = rig.Editor();
  for (auto close :
       {+[](NetworkMasterEditor& d) { d.reject(); }, +[](NetworkMasterEditor& d) { d.close(); }}) {
    QVERIFY(WhileModal([&] { w.openEntry(0); },
                       [&](QWidget*) {
                         e.EditKolVh->setText("16");
                         e.EditKolDat->setText("16");
                         close(e);
                       }));
    QCOMPARE(rig.form->networkMaster.MasterBlock, before.networkMaster.MasterBlock);
    QCOMPARE(rig.form->service.SignalCount, before.service.SignalCount);
    QCOMPARE(QString::fromStdString(rig.form->service.GetText(56)), QString("второй"));
  }
  QVERIFY(rig.ui.Shown().empty());
}

void LocalNetworkTest::DamagedEntry_ShownInvalidAndItsEditorRefusesIt() {
  NetworkRig rig;
  NetworkMaster& m = rig.form->networkMaster;
  m.SetFunction(0, 3);
  m.SetSlaveType(0, 15);
  m.SetSlave(0, 4);
  m.SetOutputs(0, 60);  // 240 limit signals from 48: past the table
  m.SetFirstDiscrete(0, 48);
  m.SetFirstAnalog(0, 6);
  LocalNetworkWindow& w = rig.Net();
  w.Prepare(LocalNetworkMode::Blocks);
  Settle();
  QCOMPARE(w.Buttons[0]->toolTip(), QString(kInvalidEntryHint));
  QCOMPARE(w.Buttons[1]->toolTip(), QString("блок 2"));
  QVERIFY(!rig.Editor().analogOnline->Prepare(0));
  const auto master = m.MasterBlock;
  QVERIFY(WhileModal([&] { w.openEntry(0); },
                     [&](QWidget*) {
                       rig.Editor().accept();
                       rig.Editor().reject();
                     }));
  QCOMPARE(rig.ui.Shown().front().text, std::string("ошибка в количестве выходов блока\n"));
  QCOMPARE(m.MasterBlock, master);
}

// A controller whose entry starts among the module signals: the read warns
// naming it, the window marks it, its editor does not open, and a correction
// typed anyway never reaches the modules' texts.
void LocalNetworkTest::EntryAmongTheModuleSignals_WarnedOnReadAndRefused() {
  NetworkRig rig;
  BlockBytes master = rig.controller->Blocks().at(10);
  const uint8_t entry[12] = {3, 3, 17, 0x34, 0x12, 3, 0, 15, 0, 0, 0, 0};
  std::copy(std::begin(entry), std::end(entry), master.begin() + 1);
  QVERIFY(rig.controller->SetBlock(10, master));
  rig.form->readFromController();
  QVERIFY(Settle());
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QVERIFY(rig.ui.Last().text.find("Блоки локальной сети заданы неверно: 1.") != std::string::npos);
  const Configuration before = rig.form->config;
  rig.ui.Clear();
  LocalNetworkWindow& w = rig.Net();
  w.Prepare(LocalNetworkMode::Blocks);
  Settle();
  QCOMPARE(w.Buttons[0]->toolTip(), QString(kInvalidEntryHint));
  w.openEntry(0);  // refused before it opens
  QCOMPARE(rig.ui.Last().text, std::string(kEntryInsideModulesText));
  QVERIFY(!rig.Editor().isVisible());
  QCOMPARE(rig.form->networkMaster.MasterBlock, before.networkMaster.MasterBlock);
  for (int s = 0; s < 48; ++s) QCOMPARE(rig.form->service.GetText(s), before.service.GetText(s));
  QCOMPARE(rig.form->service.SignalCount, before.service.SignalCount);
}

void LocalNetworkTest::Zul01Type_PresetsTheFieldsAndRefusesFunction3() {
  NetworkRig rig;
  NetworkMasterEditor& e = rig.Editor();
  QVERIFY(e.Prepare(0));
  e.onTypeChosen(0);
  QCOMPARE(e.CBoxKodF->currentText(), QString("1"));
  QCOMPARE(e.EditKolVh->text(), QString("16"));
  QVERIFY(!e.EditXMax->isEnabled());
  QVERIFY(!e.TipDate->isEnabled());
  e.onFunctionChosen(2);
  QCOMPARE(rig.ui.Last().text, std::string(kFunctionNotAllowedText));
  QCOMPARE(e.CBoxKodF->currentIndex(), -1);
  e.onTypeChosen(15);
  e.onFunctionChosen(2);
  QVERIFY(e.TipDate->isEnabled());
  e.onDataTypeChosen(1);
  QVERIFY(e.Byte_Order->isEnabled());
  QCOMPARE(e.Byte_Order->currentText(), QString("старш. регистром вперед"));
}

void LocalNetworkTest::Scaling_EmptySetpointRefusedStoredValueBack() {
  NetworkRig rig;
  rig.Net().Prepare(LocalNetworkMode::Blocks);
  Settle();
  rig.Create(0, 15, 3, 3, [](QWidget* d) { d->close(); });
  Settle();
  NetworkScalingWindow& s = *rig.Editor().scalingWindow;
  QVERIFY(s.Prepare(0));
  const QString stored = s.Rows[1].Ust[2]->text();
  s.Rows[1].Ust[2]->clear();
  s.leaveField(s.Rows[1].Ust[2]);
  QCOMPARE(rig.ui.Last().text, std::string(" Ошибка ввода "));
  QCOMPARE(s.Rows[1].Ust[2]->text(), stored);
  QVERIFY(s.Rows[2].Ust[2]->isEnabled());
  QVERIFY(!s.Rows[3].Ust[2]->isEnabled());
  // A function-1 entry has nothing to scale.
  rig.Create(1, 0, 1, 16);
  QVERIFY(!s.Prepare(1));
}

void LocalNetworkTest::Scaling_ReportSavedAsRtfThenPrintedOnYes() {
  NetworkRig rig;
  rig.Net().Prepare(LocalNetworkMode::Blocks);
  Settle();
  rig.Create(0, 15, 4, 2, [](QWidget* d) { d->close(); });
  Settle();
  NetworkScalingWindow& s = *rig.Editor().scalingWindow;
  QVERIFY(s.Prepare(0));
  const QString path = rig.dir.filePath("scaling");
  s.ChooseFile = [&](const FileDialogRequest&) { return path; };
  std::vector<Report> printed;
  s.Print = [&](const Report& r) { printed.push_back(r); };
  rig.ui.QueueAnswer(Answer::Yes);
  s.ButReport->click();
  Settle();
  QVERIFY(QFile::exists(path + ".rtf"));
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "Печатать?");
  QCOMPARE(printed.size(), size_t{1});
  QCOMPARE(printed[0].lines.front(), rig.form->inputsWindow->ReportTitle());
  QVERIFY(QString::fromStdString(printed[0].lines.back()).startsWith("8\t"));
  QCOMPARE(printed[0].lines.size(), size_t{9});  // title, caption, two header lines, two rows
}

void LocalNetworkTest::LineSettings_ChosenAndWritten() {
  NetworkRig rig;
  LocalNetworkWindow& w = rig.Net();
  w.Prepare(LocalNetworkMode::LineSettings);
  Settle();
  w.Skor->setCurrentIndex(3);
  w.onBaudChosen(3);
  w.Parit->setCurrentIndex(1);
  w.onFrameChosen(1);
  rig.ui.QueueAnswer(Answer::Yes);
  w.accept();
  Settle();
  QCOMPARE(rig.controller->Blocks().at(10)[193], uint8_t{(3 << 2) | 1});
}

void LocalNetworkTest::Function15_CreatedAndStoredOnYes() {
  NetworkRig rig;
  Function15Editor& e = *rig.Net().function15Editor;
  rig.Net().Prepare(LocalNetworkMode::Function15);
  Settle();
  QVERIFY(WhileModal([&] { rig.Net().openFunction15(1); },
                     [&](QWidget*) {
                       QVERIFY(!e.Edits[0]->isEnabled());
                       e.EditKodF->setText("15");
                       e.leaveFunction();
                       e.CBoxUstr->setCurrentIndex(6);
                       e.EditKolVh->setText("3");
                       e.EditKolVh->setModified(true);
                       e.leaveInputs();
                       QVERIFY(e.Edits[2]->isEnabled());
                       QVERIFY(!e.Edits[3]->isEnabled());
                       for (int i = 0; i < 3; ++i)
                         e.Edits[static_cast<size_t>(i)]->setText(QString::number(50 + i));
                       e.EditKolDat->setText("3");
                       e.Kvit->setChecked(true);
                       rig.ui.QueueAnswer(Answer::Yes);
                       e.accept();
                     }));
  QCOMPARE(rig.ui.Last().text, std::string(kF15SaveQuestion));
  QCOMPARE(rig.Net().LocNet15_2->text(), QString("Ф15"));
  const BlockBytes& block = rig.controller->Blocks().at(11);
  QCOMPARE(block[41], uint8_t{15});
  QCOMPARE(block[43], uint8_t{7});
  QCOMPARE(block[41 + 8 + 2], uint8_t{52});
  QCOMPARE(block[41 + 7] & 0x10, 0x10);
  QCOMPARE(rig.form->reserveBlocks.F15Block[41], uint8_t{15});
}

void LocalNetworkTest::Function15_FileModeMarksTheFile() {
  NetworkRig rig;
  rig.form->service.FileMode = 1;
  Function15Editor& e = *rig.Net().function15Editor;
  rig.Net().Prepare(LocalNetworkMode::Function15);
  Settle();
  const size_t mark = rig.line.Written().size();
  QVERIFY(WhileModal([&] { rig.Net().openFunction15(0); },
                     [&](QWidget*) {
                       e.EditKodF->setText("15");
                       e.markChanged();
                       e.CBoxUstr->setCurrentIndex(0);
                       e.EditKolVh->setText("1");
                       e.EditKolDat->setText("1");
                       e.accept();
                     }));
  rig.Net().accept();
  Settle();
  QVERIFY(rig.ui.Shown().empty());
  QCOMPARE(rig.form->service.FileChanged, 1);
  QCOMPARE(rig.form->function15Blocks.GetFunction(0), 15);
  QCOMPARE(rig.line.Written().size(), mark);
}

// Emptying "Количество  входов блока" puts the stored count back and leaves
// every signal number; OK and "Да" send the block as it was.
void LocalNetworkTest::Function15_EmptiedInputsCount_KeepsTheSignalNumbers() {
  NetworkRig rig;
  Function15Blocks& f15 = rig.form->function15Blocks;
  f15.SetFunction(0, 15);
  f15.SetSlave(0, 9);
  f15.SetInputs(0, 31);
  f15.SetDataCount(0, 31);
  for (int i = 0; i < 31; ++i) f15.SetInputSignal(0, i, 100 + i);
  const auto block = f15.GetBlock();
  const std::vector<uint8_t> expected(block.begin(), block.end());
  Function15Editor& e = *rig.Net().function15Editor;
  rig.Net().Prepare(LocalNetworkMode::Function15);
  Settle();
  QVERIFY(WhileModal([&] { rig.Net().openFunction15(0); },
                     [&](QWidget*) {
                       e.EditKolVh->clear();
                       e.EditKolVh->setModified(true);
                       e.leaveInputs();
                       QCOMPARE(e.EditKolVh->text(), QString("31"));
                       for (int i = 0; i < 31; ++i) {
                         QCOMPARE(e.Edits[static_cast<size_t>(i)]->text(), QString::number(100 + i));
                         QVERIFY(e.Edits[static_cast<size_t>(i)]->isEnabled());
                       }
                       f15.Unchanged = 0;  // as the typing marked it
                       rig.ui.QueueAnswer(Answer::Yes);
                       e.accept();
                     }));
  Settle();
  const BlockBytes& stored = rig.controller->Blocks().at(11);
  QVERIFY(std::equal(expected.begin(), expected.end(), stored.begin()));
}

void LocalNetworkTest::RangeDialog_RefusesOutOfRangeWithTheLimits() {
  NetworkRig rig;
  DiscreteRangeDialog& d = *rig.Editor().discreteOnline->rangeDialog;
  d.Prepare(60, 16);  // signals 60..75, rows 61..76 in the view
  Settle();
  QCOMPARE(d.EditAdr->text(), QString("61"));
  d.EditAdr->setText("60");
  QVERIFY(!d.canClose());
  QVERIFY(d.HintAdr->text().contains("Величина вне диапазона 61 - 76"));
  d.EditAdr->setText("71");
  d.EditKol->setText("7");
  QVERIFY(!d.canClose());
  QVERIFY(d.HintKol->text().contains("Величина вне диапазона 1 - 6"));
  d.EditKol->setText("6");
  QVERIFY(d.canClose());
  QCOMPARE(d.Start(), 70);
  QCOMPARE(d.Count(), 6);
}

void LocalNetworkTest::AnalogView_PollsLiveValuesOfTheEntry() {
  NetworkRig rig;
  LocalNetworkWindow& w = rig.Net();
  w.Prepare(LocalNetworkMode::Blocks);
  Settle();
  rig.Create(0, 15, 3, 4, [](QWidget* d) { d->close(); });
  Settle();
  rig.ui.QueueAnswer(Answer::Yes);
  w.accept();
  Settle();
  NetworkAnalogOnline& v = *rig.Editor().analogOnline;
  QVERIFY(v.Prepare(0));
  QCOMPARE(v.TipMod->text(), QString("не определен"));
  QCOMPARE(v.LabAMod->text(), QString("3"));
  QVERIFY(v.Rows[3].Vh->isVisibleTo(&v));
  QVERIFY(!v.Rows[4].Vh->isVisibleTo(&v));
  v.poll();
  Settle();
  QCOMPARE(v.Rows[0].Number->text(), QString("7"));
  const QString first = v.Rows[0].Value->text();
  QVERIFY(!first.isEmpty());
  QCOMPARE(v.Rows[0].Fault->text(), QString("и"));
  rig.clock.Advance(20000);
  v.poll();
  Settle();
  QVERIFY(v.Rows[0].Value->text() != first);  // the simulated network moves
}

void LocalNetworkTest::DiscreteView_ShowsTheChosenTwelveOfSixteen() {
  NetworkRig rig;
  LocalNetworkWindow& w = rig.Net();
  w.Prepare(LocalNetworkMode::Blocks);
  Settle();
  rig.Create(0, 15, 3, 4, [](QWidget* d) { d->close(); });
  Settle();
  rig.ui.QueueAnswer(Answer::Yes);
  w.accept();
  Settle();
  NetworkDiscreteOnline& v = *rig.Editor().discreteOnline;
  QVERIFY(WhileModal([&] { QVERIFY(v.Prepare(0)); },
                     [&](QWidget* d) {
                       QCOMPARE(d, v.rangeDialog);
                       QCOMPARE(v.rangeDialog->EditAdr->text(), QString("49"));  // the block's first row
                       v.rangeDialog->EditAdr->setText("53");                    // as the view numbers it
                       v.rangeDialog->EditKol->setText("12");
                       v.rangeDialog->accept();
                     }));
  QCOMPARE(v.First(), 52);
  QCOMPARE(v.Shown(), 12);
  QCOMPARE(v.Rows[0].Number->text(), QString("53"));
  QCOMPARE(v.Rows[0].Ident->text(), QString::fromStdString(rig.form->service.GetIdentifier(52)));
  v.poll();
  Settle();
  for (const auto& row : v.Rows) {
    QVERIFY(row.State->text() == "on" || row.State->text() == "off");
    QCOMPARE(row.Validity->text(), QString("достовер."));
  }
}

QTEST_MAIN(LocalNetworkTest)
#include "local_network_test.moc"
