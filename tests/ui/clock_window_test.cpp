#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "ui/UiTestSupport.h"
#include "ui/main/ClockWindow.h"
#include "ui/widgets/HintLabel.h"

using namespace zul;
using namespace zul::test;

namespace {

Bytes ClockAnswer(std::array<int, 7> regs) {
  Bytes a = {0x01, 0x04, 14};
  for (int r : regs) {
    a.push_back(0);
    a.push_back(static_cast<uint8_t>(r));
  }
  return a;
}

void Fill(ClockWindow& w, const QStringList& texts) {
  for (int k = 0; k < kClockFields; ++k) w.Edits[static_cast<size_t>(k)]->setText(texts.value(k));
}

}  // namespace

class ClockWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void Opening_EveryFieldOneAndPollingStarts();
  void Poll_ShowsTimeDateAndDay_data();
  void Poll_ShowsTimeDateAndDay();
  void Poll_Failure_ReportedOnlyWhilePollingIsOff();
  void Poll_SkippedWhileAnotherExchangeRuns();
  void Send_OutOfRangeMonth_NoteUnderTheFieldAndNothingSent();
  void Send_WithoutFullAccess_NothingCheckedNothingSent();
  void Send_Broadcasts();
  void DeviceTime_WithPollingOff_Warns();
  void DeviceTime_CopiesTheLastPoll();
  void ComputerTime_SundayIsSeven();
  void OkWithAFieldInError_StaysOpenWithPollingStopped();
  void Closing_InFileModeAfterAnEdit_MarksTheFileChanged();
  void DigitsOnly();
};

void ClockWindowTest::Opening_EveryFieldOneAndPollingStarts() {
  MainWindowRig rig;
  rig.form->service.TimeEdited = 1;
  rig.form->ButTimeDate->setEnabled(true);
  QVERIFY(WhileModal([&] { rig.form->openClockWindow(); },
                     [&](QWidget* w) {
                       auto* d = qobject_cast<ClockWindow*>(w);
                       for (QLineEdit* e : d->Edits) QCOMPARE(e->text(), "1");
                       QCOMPARE(rig.form->service.TimeEdited, 0);
                       QVERIFY(d->Timer1->isActive());
                       QCOMPARE(d->Timer1->interval(), 100);
                       QVERIFY(d->Label10->isVisible());
                       QCOMPARE(d->ReportFlag(), 0);
                       d->reject();
                     }));
  QVERIFY(!rig.form->clockWindow->Timer1->isActive());
  QCOMPARE(rig.form->clockWindow->ReportFlag(), 1);
}

void ClockWindowTest::Poll_ShowsTimeDateAndDay_data() {
  QTest::addColumn<int>("weekday");
  QTest::addColumn<QString>("day");
  QTest::newRow("thursday") << 4 << "чт";
  QTest::newRow("sunday") << 7 << "вс";
  QTest::newRow("zero") << 0 << "";
  QTest::newRow("eight") << 8 << "";
}

void ClockWindowTest::Poll_ShowsTimeDateAndDay() {
  QFETCH(int, weekday);
  MainWindowRig rig;
  ClockWindow& w = *rig.form->clockWindow;
  rig.line.QueueFrame(ClockAnswer({5, 7, 13, 9, 3, 24, weekday}));
  w.pollOnce();
  Settle();
  QCOMPARE(rig.line.Written().front(), WithCrc({0x01, 0x04, 0x03, 0xE8, 0x00, 0x07}));
  QCOMPARE(w.StTime->text(), "13:07:05");
  QCOMPARE(w.StDate->text(), "09.03.24");
  QTEST(w.StDayWeek->text(), "day");
}

void ClockWindowTest::Poll_Failure_ReportedOnlyWhilePollingIsOff() {
  MainWindowRig rig;
  ClockWindow& w = *rig.form->clockWindow;
  rig.line.QueueFrame(ClockAnswer({5, 7, 13, 9, 3, 24, 4}));
  w.onShown();  // polling on, report flag 0
  w.pollOnce();
  Settle();
  w.pollOnce();  // silent
  Settle();
  QVERIFY(rig.ui.Shown().empty());
  QCOMPARE(w.StTime->text(), "13:07:05");  // the last values stay
  w.togglePolling();                       // off
  w.pollOnce();
  Settle();
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QVERIFY(QString::fromStdString(rig.ui.Last().text).contains("не отвечает на запрос"));
  w.Timer1->stop();
}

void ClockWindowTest::Poll_SkippedWhileAnotherExchangeRuns() {
  MainWindowRig rig;
  {
    HeldLine busy(rig.form->Worker);
    rig.form->clockWindow->pollOnce();
  }  // the line is free again: the skipped tick sent nothing after
  QVERIFY(rig.line.Written().empty());
}

void ClockWindowTest::Send_OutOfRangeMonth_NoteUnderTheFieldAndNothingSent() {
  MainWindowRig rig;
  rig.form->discreteProcessing.AccessLevel = kFullAccess;
  ClockWindow& w = *rig.form->clockWindow;
  w.resize(w.sizeHint());
  Fill(w, {"1", "1", "1", "1", "13", "1", "1"});
  w.setDeviceTime();
  Settle();
  QVERIFY(rig.line.Written().empty());
  QVERIFY(w.ErrorText->isVisibleTo(&w));
  QCOMPARE(w.ErrorText->text(), "13 Величина вне диапазона 1 - 12");
  const QPoint under = w.Edits[kClockMonth]->mapTo(&w, QPoint(5, w.Edits[kClockMonth]->height() - 5));
  QCOMPARE(w.ErrorText->pos(), under);
  QCOMPARE(rig.ui.Beeps(), 1);
  Fill(w, {"1", "1", "", "1", "13", "1", "1"});
  w.setDeviceTime();
  Settle();
  QCOMPARE(w.ErrorText->text(), "  Ошибка ввода ");  // the empty hour comes first
  QVERIFY(rig.line.Written().empty());
}

void ClockWindowTest::Send_WithoutFullAccess_NothingCheckedNothingSent() {
  MainWindowRig rig;
  ClockWindow& w = *rig.form->clockWindow;
  Fill(w, {"99", "1", "1", "1", "1", "1", "1"});
  w.setDeviceTime();
  Settle();
  QVERIFY(rig.line.Written().empty());
  QVERIFY(!w.ErrorText->isVisibleTo(&w));
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), QString(kNoWriteAccessText));
  QCOMPARE(rig.ui.Last().icon, Icon::Warning);
}

void ClockWindowTest::Send_Broadcasts() {
  MainWindowRig rig;
  rig.form->discreteProcessing.AccessLevel = kFullAccess;
  rig.form->service.CurrentDevice = 3;
  ClockWindow& w = *rig.form->clockWindow;
  Fill(w, {"5", "7", "13", "9", "3", "24", "4"});
  w.setDeviceTime();
  Settle();
  QCOMPARE(rig.line.Written().size(), size_t{1});
  QCOMPARE(rig.line.Written().front(), WithCrc({0x00, 70, 5, 7, 13, 9, 3, 24, 4}));
  QVERIFY(rig.ui.Shown().empty());
}

void ClockWindowTest::DeviceTime_WithPollingOff_Warns() {
  MainWindowRig rig;
  rig.form->clockWindow->takeDeviceTime();
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "Включите запрос времени с прибора");
  QCOMPARE(QString::fromStdString(rig.ui.Last().caption), "Предупреждение");
  QCOMPARE(rig.ui.Last().icon, Icon::Error);
}

void ClockWindowTest::DeviceTime_CopiesTheLastPoll() {
  MainWindowRig rig;
  ClockWindow& w = *rig.form->clockWindow;
  w.show();  // polling starts
  rig.line.QueueFrame(ClockAnswer({5, 7, 13, 9, 3, 24, 4}));
  w.pollOnce();
  Settle();
  w.takeDeviceTime();
  QStringList texts;
  for (QLineEdit* e : w.Edits) texts << e->text();
  QCOMPARE(texts, (QStringList{"5", "7", "13", "9", "3", "24", "4"}));
  w.reject();
  Settle();
}

void ClockWindowTest::ComputerTime_SundayIsSeven() {
  MainWindowRig rig;
  ClockWindow& w = *rig.form->clockWindow;
  w.PutCalendar(FromCalendar(2024, 3, 10, 8, 4, 2, Qt::Sunday));
  QCOMPARE(w.Edits[kClockWeekday]->text(), "7");
  QCOMPARE(w.Edits[kClockYear]->text(), "24");
  w.takeComputerTime();
  QVERIFY(w.CheckFields());
}

void ClockWindowTest::OkWithAFieldInError_StaysOpenWithPollingStopped() {
  MainWindowRig rig;
  ClockWindow& w = *rig.form->clockWindow;
  QVERIFY(WhileModal([&] { w.Open(); },
                     [&](QWidget*) {
                       w.Edits[kClockSeconds]->setText("60");
                       w.OK->click();
                       QVERIFY(w.isVisible());
                       QVERIFY(!w.Timer1->isActive());
                       QVERIFY(!w.Label10->isVisible());
                       QCOMPARE(w.ErrorText->text(), "60 Величина вне диапазона 0 - 59");
                       w.Cancel->click();
                     }));
  QVERIFY(rig.line.Written().empty());
}

void ClockWindowTest::Closing_InFileModeAfterAnEdit_MarksTheFileChanged() {
  MainWindowRig rig;
  rig.form->service.FileMode = 1;
  ClockWindow& w = *rig.form->clockWindow;
  QVERIFY(WhileModal([&] { w.Open(); }, [&](QWidget*) { w.Cancel->click(); }));
  QCOMPARE(rig.form->service.FileChanged, 0);
  QVERIFY(WhileModal([&] { w.Open(); },
                     [&](QWidget*) {
                       w.Edits[kClockHour]->setText("12");
                       w.OK->click();
                     }));
  QCOMPARE(rig.form->service.FileChanged, 1);
}

void ClockWindowTest::DigitsOnly() {
  MainWindowRig rig;
  QLineEdit* e = rig.form->clockWindow->Edits[kClockSeconds];
  e->clear();
  QTest::keyClicks(e, "4a-5x6");
  QCOMPARE(e->text(), "45");  // at most two characters
  QCOMPARE(rig.ui.Beeps(), 0);
  QVERIFY(rig.ui.Shown().empty());
  // Enter moves on to the next field, even from an empty one.
  ClockWindow& w = *rig.form->clockWindow;
  w.show();
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  w.Edits[kClockMinutes]->clear();
  w.Edits[kClockMinutes]->setFocus();
  QTest::keyClick(w.Edits[kClockMinutes], Qt::Key_Return);
  QCOMPARE(QApplication::focusWidget(), w.Edits[kClockHour]);
  QVERIFY(w.isVisible());
  w.reject();
  Settle();
}

QTEST_MAIN(ClockWindowTest)
#include "clock_window_test.moc"
