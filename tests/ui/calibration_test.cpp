// The calibration view: the coils its buttons write, the rows it draws from
// the status bytes, polling that stops at the first failure, and the
// calibration mode switched off when it closes.
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "ui/UiTestSupport.h"
#include "ui/modules/AnalogModuleWindow.h"
#include "ui/modules/CalibrationWindow.h"

using namespace zul;
using namespace zul::test;

namespace {

Bytes OnlineAnswer(int channels, std::vector<uint8_t> status) {
  Bytes a{0x01, 71, static_cast<uint8_t>(8 * channels)};
  for (int k = 0; k < channels; ++k) {
    for (char ch : std::string("  25,07")) a.push_back(static_cast<uint8_t>(ch));
    a.push_back(static_cast<size_t>(k) < status.size() ? status[static_cast<size_t>(k)] : 0);
  }
  return a;
}

Bytes CodesAnswer(int16_t first, int16_t second, int16_t current) {
  Bytes a{0x01, 68, 43, 61};  // the answer names the block asked for
  a.resize(3 + 43, 0);
  auto put = [&a](size_t at, int16_t v) {
    a[at] = static_cast<uint8_t>(v & 0xFF);
    a[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  };
  put(3 + 1, first);
  put(3 + 3, second);
  put(3 + 29, current);
  return a;
}

Bytes CoilEcho(Bytes request) {
  request.insert(request.begin(), {0x01, 5});
  return request;
}

// Slots: two discrete input modules' worth is not needed; analog modules 1
// (ЛК-10) and 2 (ЛК-7).
struct CalibrationRig : MainWindowRig {
  CalibrationRig() {
    Compose({1, 9, 6});
    form->discreteProcessing.AccessLevel = kFullAccess;
    form->analogModules.SetModuleDefaults(0, 9);
    form->analogModules.SetModuleDefaults(1, 6);
    form->analogModules.SetInputSignal(1, 2, 1);  // input 3: "0,2-1 кгс/см2"
  }
  CalibrationWindow& Kalibr() { return *form->calibrationWindow; }
  void PrepareModule2() {
    std::array<QString, 6> positions, units;
    for (int c = 0; c < 6; ++c) {
      positions[static_cast<size_t>(c)] = QString("поз.%1").arg(c + 1);
      units[static_cast<size_t>(c)] = "%";
    }
    Kalibr().Prepare(2, 6, "ЛК-7", positions, units);
    Settle();
  }
};

}  // namespace

class CalibrationTest : public QObject {
  Q_OBJECT
 private slots:
  void Module2Input3_ModeAndScaleEndWriteTheirCoils();
  void StatusByte_DrawsLetterValueAndUnit_data();
  void StatusByte_DrawsLetterValueAndUnit();
  void FailedPoll_ShowsOnceAndStops();
  void Closing_SwitchesTheCalibrationModeOff();
  void OnLine_FromTheModuleWindow_OpensWithTheCodes();
};

void CalibrationTest::Module2Input3_ModeAndScaleEndWriteTheirCoils() {
  CalibrationRig rig;
  rig.PrepareModule2();
  CalibrationWindow& k = rig.Kalibr();
  QVERIFY(!k.Rows[2].KalMax->isEnabled());
  rig.line.QueueFrame(CoilEcho({0x10, 0x23, 0xFF, 0x00}));
  k.Rows[2].SpBut->click();
  Settle();
  QCOMPARE(rig.line.Written().back(), WithCrc({0x01, 0x05, 0x10, 0x23, 0xFF, 0x00}));
  QCOMPARE(rig.form->analogModules.CalibrationChannel, 3);
  QVERIFY(k.Rows[2].KalMax->isEnabled());
  QVERIFY(!k.Rows[1].KalMax->isEnabled());
  QCOMPARE(k.Kalibr->palette().color(QPalette::WindowText), QColor(Qt::black));

  rig.ui.QueueAnswer(Answer::Yes);
  rig.line.QueueFrame(CoilEcho({0x12, 0x23, 0xFF, 0x00}));
  k.Rows[2].KalMax->click();
  Settle();
  QCOMPARE(QString::fromStdString(rig.ui.Last().caption), "Подтвердите готовность к калибровке шкалы");
  QVERIFY(QString::fromStdString(rig.ui.Last().text).contains("конца шкалы"));
  QCOMPARE(rig.line.Written().back(), WithCrc({0x01, 0x05, 0x12, 0x23, 0xFF, 0x00}));

  rig.ui.QueueAnswer(Answer::No);  // nothing sent
  const size_t sent = rig.line.Written().size();
  k.Rows[2].KalMin->click();
  Settle();
  QCOMPARE(rig.line.Written().size(), sent);

  rig.line.QueueFrame(CoilEcho({0x10, 0x23, 0x00, 0x00}));
  k.Rows[2].SpBut->click();
  Settle();
  QCOMPARE(rig.line.Written().back(), WithCrc({0x01, 0x05, 0x10, 0x23, 0x00, 0x00}));
  QCOMPARE(rig.form->analogModules.CalibrationChannel, 0);
  QCOMPARE(k.Kalibr->palette().color(QPalette::WindowText), QColor(Qt::gray));
}

void CalibrationTest::StatusByte_DrawsLetterValueAndUnit_data() {
  QTest::addColumn<int>("status");
  QTest::addColumn<QString>("letter");
  QTest::addColumn<QString>("value");
  QTest::addColumn<QString>("unit");
  QTest::addColumn<QColor>("colour");
  QTest::newRow("good") << 0x00 << "и"
                        << "  25,07"
                        << "%" << QColor(Qt::green);
  QTest::newRow("calibration") << 0x20 << "к"
                               << "  25,07"
                               << "кгс/см2" << QColor(Qt::yellow);
  QTest::newRow("open") << 0x40 << "о"
                        << ""
                        << "%" << QColor(0x80, 0x00, 0x80);
  QTest::newRow("fault") << 0x80 << "п"
                         << "  25,07"
                         << "%" << QColor(0x80, 0x00, 0x80);
}

void CalibrationTest::StatusByte_DrawsLetterValueAndUnit() {
  QFETCH(int, status);
  QFETCH(QString, letter);
  QFETCH(QString, value);
  QFETCH(QString, unit);
  QFETCH(QColor, colour);
  CalibrationRig rig;
  rig.PrepareModule2();
  rig.line.QueueFrame(OnlineAnswer(6, {0, 0, static_cast<uint8_t>(status)}));
  rig.line.QueueFrame(CodesAnswer(-120, 3900, 2047));
  rig.Kalibr().poll();
  Settle();
  QCOMPARE(rig.line.Written()[0], WithCrc({0x01, 71, 6, 6}));
  QCOMPARE(rig.line.Written()[1], WithCrc({0x01, 68, 61}));
  const CalibrationWindow::Row& row = rig.Kalibr().Rows[2];
  QCOMPARE(row.AV->text(), letter);
  QCOMPARE(row.AV->palette().color(QPalette::Window), colour);
  QCOMPARE(row.V->text(), value);
  QCOMPARE(row.RV->text(), unit);
  QCOMPARE(rig.Kalibr().Rows[0].XMin->text(), "-120");
  QCOMPARE(rig.Kalibr().Rows[0].XMax->text(), "3900");
  QCOMPARE(rig.Kalibr().Rows[0].XACP->text(), "2047");
  QCOMPARE(rig.Kalibr().Rows[0].NV->text(), "норма");
  // Back out of calibration mode the unit returns.
  rig.line.QueueFrame(OnlineAnswer(6, {}));
  rig.line.QueueFrame(CodesAnswer(0, 0, 0));
  rig.Kalibr().poll();
  Settle();
  QCOMPARE(row.RV->text(), "%");
}

void CalibrationTest::FailedPoll_ShowsOnceAndStops() {
  CalibrationRig rig;
  rig.PrepareModule2();
  CalibrationWindow& k = rig.Kalibr();
  k.togglePolling();
  QVERIFY(k.Polling());
  QCOMPARE(k.Timer1->interval(), 1000);
  k.poll();  // silence
  Settle();
  QVERIFY(!k.Polling());
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QVERIFY(!k.Label1->isVisibleTo(&k));
  // The codes refused with exception 3: the values still show, polling goes on.
  k.togglePolling();
  rig.line.QueueFrame(OnlineAnswer(6, {0x05}));
  rig.line.QueueReply(WithCrc({0x01, 0xC4, 0x03}));
  k.poll();
  Settle();
  QVERIFY(k.Polling());
  QCOMPARE(k.Rows[0].NV->text(), "H");
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  // Another exchange running: the tick skips its turn.
  const size_t sent = rig.line.Written().size();
  {
    HeldLine busy(rig.form->Worker);
    k.poll();
  }
  QCOMPARE(rig.line.Written().size(), sent);
  k.togglePolling();
}

void CalibrationTest::Closing_SwitchesTheCalibrationModeOff() {
  CalibrationRig rig;
  rig.PrepareModule2();
  CalibrationWindow& k = rig.Kalibr();
  rig.line.QueueFrame(CoilEcho({0x10, 0x25, 0xFF, 0x00}));
  k.Rows[4].SpBut->click();
  Settle();
  QCOMPARE(rig.form->analogModules.CalibrationChannel, 5);
  rig.line.QueueFrame(CoilEcho({0x10, 0x25, 0x00, 0x00}));
  k.reject();
  Settle();
  QCOMPARE(rig.line.Written().back(), WithCrc({0x01, 0x05, 0x10, 0x25, 0x00, 0x00}));
  QCOMPARE(rig.form->analogModules.CalibrationChannel, 0);
  QVERIFY(!k.Rows[4].SpBut->isChecked());
  // Clicks while closing change nothing.
  const size_t sent = rig.line.Written().size();
  k.onCalibrationButton(1, true);
  Settle();
  QCOMPARE(rig.line.Written().size(), sent);
}

void CalibrationTest::OnLine_FromTheModuleWindow_OpensWithTheCodes() {
  CalibrationRig rig;
  AnalogModuleWindow& p = *rig.form->analogModuleWindow;
  p.Prepare(2, 1, 9, "AI1_1 - AI1_6");
  Settle();
  rig.line.QueueFrame(OnlineAnswer(6, {}));
  rig.line.QueueSilence();  // the codes: not served
  for (int i = 0; i < 9; ++i) rig.line.QueueSilence();
  QVERIFY(WhileModal([&] { p.openOnline(); },
                     [&](QWidget* w) {
                       auto* k = qobject_cast<CalibrationWindow*>(w);
                       QVERIFY(k);
                       QCOMPARE(k->Rows[0].KV->text(), "поз.9101");
                       QVERIFY(!k->Rows[6].KV->isVisible());
                       QVERIFY(k->Polling());
                       k->togglePolling();
                       k->reject();
                     }));
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "Модуль не обслуживает запрос кодов АЦП");
  QCOMPARE(rig.line.Written()[0], WithCrc({0x01, 71, 0, 6}));
  QCOMPARE(rig.line.Written()[1], WithCrc({0x01, 68, 60}));

  // In file mode "on line" asks nothing and says why.
  rig.form->service.FileMode = 1;
  const size_t sent = rig.line.Written().size();
  p.openOnline();
  Settle();
  QCOMPARE(rig.line.Written().size(), sent);
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), QString::fromUtf8(kOnlineInFileModeText));
}

QTEST_MAIN(CalibrationTest)
#include "calibration_test.moc"
