// The calculation dialog and the math blocks window, opened from the function
// block editor over a simulated controller: creating, programming and
// deleting blocks, the checks that keep the dialog open, undo, and what the
// controller holds after a write.
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

#include "FunctionBlockEditorRig.h"
#include "UiTestSupport.h"
#include "core/config/ReadConfiguration.h"
#include "sim/SimulatedLine.h"
#include "support/WritingLink.h"
#include "ui/LayoutCheck.h"
#include "ui/discrete/SignalDialogs.h"
#include "ui/fb/CalculationBlockDialog.h"
#include "ui/fb/FunctionBlockDialog.h"
#include "ui/fb/FunctionBlockEditor.h"
#include "ui/fb/MathBlocksWindow.h"
#include "ui/link/LinkWorker.h"
#include "ui/widgets/HintLabel.h"

namespace zul {
namespace {

using test::ModalSteps;

struct CalcRig : test::FunctionBlockEditorRig {
  CalcRig() {
    config.service.AnalogSignalCount = 12;  // the limit of X1, X2 and the integrators
    for (int i = 0; i < FunctionBlocks::kCapacity; ++i) fb().ClearRecord(i);
    for (int i = 0; i < 3; ++i) fb().SetTypeCode(i, ftAND + 1);
    Open();
  }
  // Runs an editor command whose calculation dialog `inside` fills and closes.
  bool WithCalcDialog(const std::function<void()>& command,
                      const std::function<void(CalculationBlockDialog&)>& inside) {
    return ModalSteps(command, {[&](QWidget* w) {
                        auto* d = qobject_cast<CalculationBlockDialog*>(w);
                        if (d) inside(*d);
                        if (w->isVisible()) static_cast<QDialog*>(w)->reject();
                      }}) == 0;
  }
  // A new arithmetic block through the menu.
  void CreateArith(int operation, const char* x1 = "1", const char* c1 = "2") {
    QVERIFY(WithCalcDialog([&] { editor->ACreatMath->trigger(); },
                           [&](CalculationBlockDialog& d) {
                             d.RadioGroup1->Item(operation)->click();
                             d.ComboBox1->setCurrentIndex(0);
                             d.EditX1->setText(x1);
                             d.EditC1->setText(c1);
                             d.OK->click();
                           }));
  }
};

}  // namespace

class CalculationBlocksTest : public QObject {
  Q_OBJECT
 private slots:
  void DifferenceBlockIsCreatedAndWrittenToTheController();
  void OutOfRangeEntriesKeepTheDialogOpen_data();
  void OutOfRangeEntriesKeepTheDialogOpen();
  void OperationChoiceFollowsTheMode();
  void IntegratorsGetTheirNumbersAndHour();
  void MathWindowProgramsAndDeletes();
  void RecordNumberOutsideTheBlocksKeepsTheDialogOpen();
  void EditWithoutChoiceLoadsBlock1AndStepsThroughRecords();
  void RefusalOpensNoDialog();
  void FileModeMarksTheFile();
  void ReportFromTheMathWindow();
  void EveryTextShowsWhole();
  void KeysOfTheFields_data();
  void KeysOfTheFields();
  void Screenshots();
};

void CalculationBlocksTest::DifferenceBlockIsCreatedAndWrittenToTheController() {
  CalcRig rig;
  QVERIFY(rig.editor->ACreatMath->isEnabled());
  QVERIFY(rig.WithCalcDialog([&] { rig.editor->createArithBlock(); },
                             [](CalculationBlockDialog& d) {
                               QCOMPARE(d.windowTitle(), QString("Программирование расчетных блоков"));
                               QCOMPARE(d.LabCreatProg->text(), QString("создание арифметических блоков"));
                               QCOMPARE(d.EditNFB3->value(), 4);
                               QVERIFY(!d.EditNFB3->isEnabled());
                               QCOMPARE(d.EditY->text(), QString("1"));
                               QVERIFY(!d.EditY->isEnabled());
                               QVERIFY(d.GroupBox2->isHidden());
                               QVERIFY(d.GroupBox1->isHidden());
                               d.RadioGroup1->Item(opDifference)->click();
                               d.ComboBox1->setCurrentIndex(srcAnalogSignal);
                               d.EditX1->setText("2");
                               d.EditC1->setText("-5");
                               d.ComboBox2->setCurrentIndex(srcAnalogSignal);
                               d.EditX2->setText("3");
                               d.EditC2->setText("100");
                               d.OK->click();
                             }));
  FunctionBlocks& fb = rig.fb();
  QCOMPARE(fb.GetArithCount(), 1);
  QCOMPARE(fb.GetOperation(3), int(opDifference));
  QCOMPARE(fb.GetByte(3, 7), 0x64);  // C2 = 100.0 in bytes 6-8
  QCOMPARE(fb.GetByte(3, 9), 1);     // Y
  QVERIFY(rig.editor->History()->canUndo());

  rig.ui.QueueAnswer(Answer::Yes);  // the unchanged regulator block goes too
  rig.editor->writeToController();
  test::Settle();
  const std::vector<uint8_t> page = rig.controller->Blocks().at(68);
  const size_t at = 1 + 3 * FunctionBlocks::kRecordSize;  // after the block number
  QCOMPARE(int(page[at]), FunctionBlocks::kTypeCalc | (opDifference << 4));
  QCOMPARE(int(page[at + 1]), 2);
  QCOMPARE(int(page[at + 5]), 3);
  QCOMPARE(int(page[at + 9]), 1);

  rig.editor->undo();
  QCOMPARE(rig.fb().GetTypeCode(3), 0);
  QCOMPARE(rig.fb().GetArithCount(), 0);
}

void CalculationBlocksTest::OutOfRangeEntriesKeepTheDialogOpen_data() {
  QTest::addColumn<int>("operation");
  QTest::addColumn<QString>("c1");
  QTest::addColumn<QString>("x1");
  QTest::addColumn<QString>("note");
  QTest::newRow("constant -32768") << int(opSum) << "-32768"
                                   << "1"
                                   << "-32768 Величина вне диапазона -32767 - 32767";
  QTest::newRow("analog beyond the count") << int(opSqrt) << "1"
                                           << "99"
                                           << "99 Величина вне диапазона 0 - 12";
  QTest::newRow("no operation") << -1 << "1"
                                << "1"
                                << " Ошибка ввода ";
}

void CalculationBlocksTest::OutOfRangeEntriesKeepTheDialogOpen() {
  QFETCH(int, operation);
  QFETCH(QString, c1);
  QFETCH(QString, x1);
  QFETCH(QString, note);
  CalcRig rig;
  bool stayedOpen = false;
  QVERIFY(rig.WithCalcDialog([&] { rig.editor->createArithBlock(); },
                             [&](CalculationBlockDialog& d) {
                               if (operation > 0) d.RadioGroup1->Item(operation)->click();
                               d.EditC1->setText(c1);
                               d.EditX1->setText(x1);
                               d.OK->click();
                               stayedOpen = d.isVisible();
                               QVERIFY(d.ErrorText->isVisible());
                               QVERIFY2(d.ErrorText->text().contains(note), qPrintable(d.ErrorText->text()));
                             }));
  QVERIFY(stayedOpen);
  QCOMPARE(rig.fb().GetArithCount(), 0);
  QCOMPARE(rig.fb().GetTypeCode(3), 0);
  QVERIFY(!rig.editor->History()->canUndo());
}

void CalculationBlocksTest::OperationChoiceFollowsTheMode() {
  CalcRig rig;
  QVERIFY(rig.WithCalcDialog([&] { rig.editor->createArithBlock(); },
                             [](CalculationBlockDialog& d) {
                               d.RadioGroup1->Item(opProduct)->click();
                               QVERIFY(d.EditX2->isEnabled());
                               QVERIFY(!d.EditC2->isEnabled());
                               QCOMPARE(d.EditC2->text(), QString());
                               d.RadioGroup1->Item(opIntegrator)->click();  // springs back
                               QVERIFY(d.RadioGroup1->Item(opProduct)->isChecked());
                               d.RadioGroup1->Item(opSqrt)->click();
                               QVERIFY(!d.EditX2->isEnabled());
                               QVERIFY(!d.ComboBox2->isEnabled());
                               d.RadioGroup1->Item(opSum)->click();
                               QCOMPARE(d.EditC2->text(), QString("0"));
                               QVERIFY(d.EditC2->isEnabled());
                             }));
  QVERIFY(rig.WithCalcDialog([&] { rig.editor->createIntegrators(); },
                             [](CalculationBlockDialog& d) {
                               QVERIFY(d.RadioGroup1->Item(opIntegrator)->isChecked());
                               d.RadioGroup1->Item(opSum)->click();
                               QVERIFY(d.RadioGroup1->Item(opIntegrator)->isChecked());
                               QVERIFY(!d.GroupBox3->isEnabled());
                             }));
}

void CalculationBlocksTest::IntegratorsGetTheirNumbersAndHour() {
  CalcRig rig;
  rig.CreateArith(opSqrt);
  QVERIFY(rig.WithCalcDialog([&] { rig.editor->ACreatIntegr->trigger(); },
                             [](CalculationBlockDialog& d) {
                               QCOMPARE(d.LabCreatProg->text(), QString("создание интеграторов расхода"));
                               QVERIFY(d.GroupBox2->isVisible());
                               QVERIFY(d.GroupBox1->isVisible());
                               QCOMPARE(d.EditNFB1->text(), QString("4"));
                               QCOMPARE(d.EditNFB2->text(), QString("5"));
                               QVERIFY(d.EditIntegr[0]->isEnabled());
                               QVERIFY(!d.EditIntegr[1]->isEnabled());
                               d.EditIntegr[0]->setText("2");
                               QVERIFY(d.EditIntegr[1]->isEnabled());
                               d.HourBeginDay->setText("24");
                               d.OK->click();
                               QVERIFY(d.isVisible());  // the hour is 0..23
                               QVERIFY(d.ErrorText->text().contains("Величина вне диапазона 0 - 23"));
                               d.HourBeginDay->setText("6");
                               d.OK->click();
                             }));
  FunctionBlocks& fb = rig.fb();
  QCOMPARE(fb.GetIntegratorRecords(), 1);
  QCOMPARE(fb.GetByte(3, 0), FunctionBlocks::kTypeCalc);
  QCOMPARE(fb.GetByte(3, 1), 2);
  QCOMPARE(fb.GetByte(3, 14), 6);
  QCOMPARE(fb.GetOperation(5), int(opSqrt));  // the arithmetic block made way
  QVERIFY(rig.WithCalcDialog([&] { rig.editor->AEditIntegr->trigger(); },
                             [](CalculationBlockDialog& d) {
                               QCOMPARE(d.LabCreatProg->text(),
                                        QString("программирование интеграторов расхода"));
                               QCOMPARE(d.EditIntegr[0]->text(), QString("2"));
                               QCOMPARE(d.HourBeginDay->text(), QString("6"));
                               d.EditIntegr[0]->setText("0");
                               d.OK->click();
                             }));
  QCOMPARE(fb.GetIntegratorRecords(), 0);
  QCOMPARE(fb.GetOperation(3), int(opSqrt));
}

void CalculationBlocksTest::MathWindowProgramsAndDeletes() {
  CalcRig rig;
  rig.CreateArith(opSum);
  rig.CreateArith(opProduct);
  rig.CreateArith(opQuotient);
  rig.fb().SetX1Source(5, srcCalculatedValue);  // МБ3 reads its own result
  rig.fb().SetX1Number(5, 3);
  rig.config.regulators.SetPV(0, 51);  // a repeater reading МБ3
  rig.ui.QueueAnswer(Answer::Yes);     // "Удалить математический блок МБ2?"
  QVERIFY(rig.editor->ButMath->isEnabled());
  MathBlocksWindow* w = rig.editor->MathWindow();
  const size_t left =
      ModalSteps([&] { rig.editor->ButMath->click(); },
                 {[&](QWidget* shown) {
                    QCOMPARE(shown, static_cast<QWidget*>(w));
                    QCOMPARE(w->windowTitle(), QString("Информация о  математических блоках"));
                    QCOMPARE(w->Buttons[0]->text(), QString("+"));
                    QCOMPARE(w->Buttons[1]->text(), QString("X"));
                    QCOMPARE(w->Buttons[2]->text(), QString(":"));
                    QCOMPARE(w->Buttons[3]->text(), QString());
                    QCOMPARE(w->Buttons[1]->toolTip(), QString("МБ2"));
                    w->Buttons[1]->click();  // programs МБ2: the next step
                    QCOMPARE(w->Buttons[1]->text(), QString("SQRT"));
                    w->deleteBlock(2);
                    QCOMPARE(w->Buttons[1]->text(), QString(":"));
                    QCOMPARE(w->Buttons[2]->text(), QString());
                    w->OK->click();
                  },
                  [&](QWidget* shown) {
                    auto* d = qobject_cast<CalculationBlockDialog*>(shown);
                    QVERIFY(d);
                    QCOMPARE(d->LabNFB3->text(), QString("Арифметический блок №2"));
                    QVERIFY(!d->EditNFB3->isEnabled());
                    d->RadioGroup1->Item(opSqrt)->click();
                    d->OK->click();
                  }});
  QCOMPARE(left, size_t(0));
  FunctionBlocks& fb = rig.fb();
  QCOMPARE(fb.GetArithCount(), 2);
  QCOMPARE(fb.GetOperation(4), int(opQuotient));
  QCOMPARE(fb.GetX1Number(4), 2);
  QCOMPARE(fb.GetResultAddress(4, 2), 2);
  QCOMPARE(fb.SelectedArith, -1);
  QCOMPARE(rig.config.regulators.GetPV(0), 50);
  rig.editor->undo();  // the deletion
  QCOMPARE(fb.GetArithCount(), 3);
  QCOMPARE(fb.GetOperation(4), int(opSqrt));
  QCOMPARE(rig.config.regulators.GetPV(0), 51);
  // Answered No, the block stays.
  w->deleteBlock(1);
  QCOMPARE(rig.ui.Last().text, MathBlockQuestionText(1));
  QCOMPARE(fb.GetArithCount(), 3);
  QCOMPARE(w->Buttons[0]->text(), QString("+"));
}

void CalculationBlocksTest::RecordNumberOutsideTheBlocksKeepsTheDialogOpen() {
  CalcRig rig;
  QVERIFY(rig.WithCalcDialog([&] { rig.editor->createIntegrators(); },
                             [](CalculationBlockDialog& d) {
                               d.EditIntegr[0]->setText("1");
                               d.OK->click();
                             }));
  rig.CreateArith(opSum);
  rig.CreateArith(opSqrt);  // blocks 1..3, integrators 4..5, МБ1 6, МБ2 7
  const auto before = rig.fb().Record(5);
  const std::vector<uint8_t> kept(before.begin(), before.end());
  const QString note = "Величина вне диапазона 6 - 7";
  QVERIFY(rig.WithCalcDialog([&] { rig.editor->editArithBlock(); },
                             [&](CalculationBlockDialog& d) {
                               QCOMPARE(d.EditNFB3->value(), 6);
                               d.EditX1->setText("5");
                               d.EditNFB3->setValue(4);  // an integrator record
                               QVERIFY(d.ErrorText->text().contains(note));
                               d.ErrorText->hide();
                               d.OK->click();
                               QVERIFY(d.isVisible());
                               QVERIFY(d.ErrorText->isVisible());
                               QVERIFY2(d.ErrorText->text().contains(note), qPrintable(d.ErrorText->text()));
                               d.EditNFB3->setValue(6);
                               d.ErrorText->hide();
                               // Typed below the up-down's minimum: the note, and the dialog stays.
                               d.EditNFB3->setFocus();
                               QTest::keyClick(d.EditNFB3, Qt::Key_A, Qt::ControlModifier);
                               QTest::keyClicks(d.EditNFB3, "2");
                               QTest::keyClick(d.EditNFB3, Qt::Key_Return);
                               QVERIFY(d.isVisible());
                               QVERIFY(d.ErrorText->isVisible());
                               QVERIFY2(d.ErrorText->text().startsWith("2 " + note),
                                        qPrintable(d.ErrorText->text()));
                               QCOMPARE(d.EditNFB3->value(), 6);
                             }));
  const auto after = rig.fb().Record(5);
  QCOMPARE(std::vector<uint8_t>(after.begin(), after.end()), kept);
  QCOMPARE(rig.editor->History()->count(), 3);  // the integrators and two blocks only
}

void CalculationBlocksTest::EditWithoutChoiceLoadsBlock1AndStepsThroughRecords() {
  CalcRig rig;
  rig.CreateArith(opSum, "4", "7");
  rig.CreateArith(opProduct, "5");
  QVERIFY(rig.WithCalcDialog([&] { rig.editor->AEditMath->trigger(); },
                             [&](CalculationBlockDialog& d) {
                               QCOMPARE(d.LabCreatProg->text(),
                                        QString("программирование арифметических блоков"));
                               QCOMPARE(d.LabNFB3->text(), QString("Арифметический блок №1"));
                               QCOMPARE(d.EditX1->text(), QString("4"));
                               QCOMPARE(d.EditC1->text(), QString("7,0000"));
                               QVERIFY(d.EditNFB3->isEnabled());
                               d.EditNFB3->stepUp();
                               QCOMPARE(d.LabNFB3->text(), QString("Арифметический блок №2"));
                               QCOMPARE(d.EditX1->text(), QString("5"));
                               QVERIFY(d.RadioGroup1->Item(opProduct)->isChecked());
                               d.EditNFB3->stepUp();  // an empty record: the dialog goes
                               QVERIFY(!d.isVisible());
                             }));
  QCOMPARE(rig.ui.Last().text, std::string(kUseCreateMenuText));
  QCOMPARE(rig.fb().GetArithCount(), 2);
}

void CalculationBlocksTest::RefusalOpensNoDialog() {
  CalcRig rig;
  const size_t left = ModalSteps([&] { rig.editor->editIntegrators(); }, {[](QWidget* w) { w->close(); }});
  test::Settle();
  QCOMPARE(left, size_t(1));
  QCOMPARE(rig.ui.Last().text, std::string(kNoIntegratorsText));
  QCOMPARE(rig.ui.Last().caption, std::string(kCaptionWarning));
}

void CalculationBlocksTest::FileModeMarksTheFile() {
  CalcRig rig;
  rig.config.service.FileMode = 1;
  rig.config.service.FileChanged = 0;
  rig.CreateArith(opSqrt);
  QCOMPARE(rig.config.service.FileChanged, 1);
}

void CalculationBlocksTest::ReportFromTheMathWindow() {
  CalcRig rig;
  rig.CreateArith(opSum);
  QTemporaryDir dir;
  const QString path = dir.filePath("math.rtf");
  rig.editor->MathReportFile = [&](const FileDialogRequest&) { return path; };
  rig.editor->MathReportPrint = [](const Report&) {};
  rig.ui.QueueAnswer(Answer::No);  // "Печатать?"
  rig.editor->MathWindow()->ButPrint->click();
  test::Settle();
  QVERIFY(QFile::exists(path));
}

void CalculationBlocksTest::EveryTextShowsWhole() {
  CalcRig rig;
  rig.CreateArith(opDifference);
  QVERIFY(rig.WithCalcDialog([&] { rig.editor->createIntegrators(); },
                             [](CalculationBlockDialog& d) {
                               d.EditIntegr[0]->setText("1");
                               d.OK->click();
                             }));
  CalculationBlockDialog* d = rig.editor->CalcDialog();
  for (CalcMode mode : {CalcMode::CreateArith, CalcMode::EditArith, CalcMode::EditIntegrators}) {
    d->Prepare(PrepareCalculationDialog(rig.fb(), mode));
    test::Settle();
    d->show();
    test::Settle();
    QVERIFY2(test::Clipped(d).isEmpty(), qPrintable(test::Clipped(d).join("; ")));
    d->hide();
  }
  MathBlocksWindow* w = rig.editor->MathWindow();
  w->Refresh();
  w->show();
  test::Settle();
  QVERIFY2(test::Clipped(w).isEmpty(), qPrintable(test::Clipped(w).join("; ")));
  w->hide();
}

void CalculationBlocksTest::KeysOfTheFields_data() {
  QTest::addColumn<QString>("field");
  QTest::addColumn<QString>("typed");  // one key per character; '!' is Shift+1
  QTest::addColumn<QString>("shown");
  QTest::addColumn<bool>("errorBox");
  QTest::newRow("number: digits") << "EditX1"
                                  << "12"
                                  << "12" << false;
  QTest::newRow("number: minus and letters dropped") << "EditX1"
                                                     << "-a5,"
                                                     << "5" << false;
  QTest::newRow("constant: minus") << "EditC1"
                                   << "-32"
                                   << "-32" << false;
  QTest::newRow("constant: no decimal comma") << "EditC2"
                                              << "1,5"
                                              << "15" << false;
  QTest::newRow("constant: Shift+digit refused") << "EditC1"
                                                 << "!"
                                                 << "" << true;
  QTest::newRow("integrator number") << "EditIntegr1"
                                     << "x7"
                                     << "7" << false;
}

void CalculationBlocksTest::KeysOfTheFields() {
  QFETCH(QString, field);
  QFETCH(QString, typed);
  QFETCH(QString, shown);
  QFETCH(bool, errorBox);
  CalcRig rig;
  CalculationBlockDialog* d = rig.editor->CalcDialog();
  d->Prepare(PrepareCalculationDialog(
      rig.fb(), field.startsWith("EditIntegr") ? CalcMode::CreateIntegrators : CalcMode::CreateArith));
  auto* e = d->findChild<QLineEdit*>(field);
  QVERIFY(e);
  e->clear();
  for (QChar ch : typed) {
    if (ch == '!')
      QTest::keyClick(e, Qt::Key_1, Qt::ShiftModifier);
    else
      QTest::keyClick(e, ch.toLatin1());
  }
  QCOMPARE(e->text(), shown);
  QCOMPARE(!rig.ui.Shown().empty(), errorBox);
}

void CalculationBlocksTest::Screenshots() {
  const QString dir = qEnvironmentVariable("ZUL_SCREENSHOT_DIR");
  if (dir.isEmpty()) QSKIP("ZUL_SCREENSHOT_DIR not set");
  CalcRig rig;
  rig.CreateArith(opSum, "3", "2");
  rig.CreateArith(opQuotient, "1", "10");
  rig.CreateArith(opSqrt, "2", "1");
  QVERIFY(rig.WithCalcDialog([&] { rig.editor->createIntegrators(); },
                             [](CalculationBlockDialog& d) {
                               d.EditIntegr[0]->setText("1");
                               d.EditIntegr[1]->setText("2");
                               d.HourBeginDay->setText("8");
                               d.OK->click();
                             }));
  CalculationBlockDialog* d = rig.editor->CalcDialog();
  d->Prepare(PrepareCalculationDialog(rig.fb(), CalcMode::EditArith));
  test::Settle();
  d->show();
  QVERIFY(d->grab().save(dir + "/calc_dialog_arith.png"));
  d->hide();
  d->Prepare(PrepareCalculationDialog(rig.fb(), CalcMode::EditIntegrators));
  test::Settle();
  d->show();
  QVERIFY(d->grab().save(dir + "/calc_dialog_integrators.png"));
  d->hide();
  MathBlocksWindow* w = rig.editor->MathWindow();
  w->Refresh();
  w->show();
  QVERIFY(w->grab().save(dir + "/math_blocks.png"));
  w->hide();
}

}  // namespace zul

QTEST_MAIN(zul::CalculationBlocksTest)
#include "calculation_windows_test.moc"
