// Every exchange goes through the one link worker. A click that must report a
// refusal or a failure while a poll cycle is on the line shows its message once
// and leaves the program responsive; closing mid-scan transfers what it was
// asked to; the scan's choice is the device every window talks to; a wheel
// passing over the renumbering box sends nothing.
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QWheelEvent>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "ui/SimulatedRig.h"
#include "ui/commissioning/CommissioningMenus.h"
#include "ui/commissioning/LineScanDialog.h"
#include "ui/main/ClockWindow.h"
#include "ui/modules/CalibrationWindow.h"
#include "ui/regulators/RegulatorOnlineView.h"
#include "ui/widgets/BackgroundExchange.h"

using namespace zul;
using namespace zul::test;

namespace {

// Slots: two discrete input modules, two analog modules, a relay module and a regulator module.
struct WorkerRig : SimulatedRig {
  WorkerRig() : SimulatedRig({1, 1, 6, 6, 3, 14}) {
    form->readFromController();
    Settle();
    ui.Clear();
  }
  std::vector<Bytes> Sent(uint8_t function, size_t from = 0) const {
    std::vector<Bytes> frames;
    for (size_t k = from; k < line.Written().size(); ++k)
      if (line.Written()[k].size() > 1 && line.Written()[k][1] == function)
        frames.push_back(line.Written()[k]);
    return frames;
  }
};

void PrepareCalibration(MainWindow& form) {
  std::array<QString, 6> positions, units;
  positions.fill("поз.");
  units.fill("%");
  form.calibrationWindow->Prepare(1, 6, "ЛК-7", positions, units);
}

struct ClickCase {
  const char* name;
  int access;
  bool silent;  // the controller has gone quiet before the click
  std::function<void(MainWindow&)> startPolling;
  std::function<void(MainWindow&)> click;
  const char* message;  // what the message says, in part
};

const std::vector<ClickCase>& ClickCases() {
  const auto clock = [](MainWindow& f) { f.clockWindow->pollOnce(); };
  const auto loops = [](MainWindow& f) {
    f.regulatorOnlineView->Prepare(0);
    f.regulatorOnlineView->togglePolling();  // polling on: failures are told
    f.regulatorOnlineView->poll();
  };
  const auto calibration = [](MainWindow& f) {
    PrepareCalibration(f);
    f.calibrationWindow->poll();
  };
  const auto panel = [](MainWindow& f) { return f.regulatorOnlineView->Panels().at(0); };
  static const std::vector<ClickCase> cases = {
      {"clock, set time, viewing", kViewingAccess, false, clock,
       [](MainWindow& f) { f.clockWindow->ChangeTime->click(); }, kNoWriteAccessText},
      {"loop +, viewing", kViewingAccess, false, loops, [=](MainWindow& f) { panel(f)->Plus->click(); },
       kNoWriteAccessText},
      {"loop -, viewing", kViewingAccess, false, loops, [=](MainWindow& f) { panel(f)->Minus->click(); },
       kNoWriteAccessText},
      {"loop HANDAUT, viewing", kViewingAccess, false, loops,
       [=](MainWindow& f) { panel(f)->HANDAUT->click(); }, kNoWriteAccessText},
      {"loop +, silent controller", kFullAccess, true, loops, [=](MainWindow& f) { panel(f)->Plus->click(); },
       "не отвечает на запрос"},
      {"calibration mode, viewing", kViewingAccess, false, calibration,
       [](MainWindow& f) { f.calibrationWindow->Rows[0].SpBut->click(); }, kNoWriteAccessText},
  };
  return cases;
}

}  // namespace

class LinkWorkerTest : public QObject {
  Q_OBJECT
 private slots:
  void ClickDuringAPollCycle_OneMessageAndTheProgramGoesOn_data();
  void ClickDuringAPollCycle_OneMessageAndTheProgramGoesOn();
  void ClosingMidScan_TransfersTheFileAfterTheScan();
  void ScanChoice_IsTheDeviceTheUnitListGoesTo();
  void WheelOverTheRenumberingBox_SendsNothing();
  void JobsRunInTheOrderPosted_AndABusyTickSkips();
  void WriteWithoutFullAccess_TheRefusalComesWithoutAWriteDialog();
};

void LinkWorkerTest::ClickDuringAPollCycle_OneMessageAndTheProgramGoesOn_data() {
  QTest::addColumn<int>("index");
  for (size_t k = 0; k < ClickCases().size(); ++k) QTest::newRow(ClickCases()[k].name) << static_cast<int>(k);
}

void LinkWorkerTest::ClickDuringAPollCycle_OneMessageAndTheProgramGoesOn() {
  QFETCH(int, index);
  const ClickCase& c = ClickCases()[static_cast<size_t>(index)];
  WorkerRig rig;
  rig.form->discreteProcessing.AccessLevel = c.access;
  if (c.silent) rig.form->service.CurrentDevice = 4;  // nobody answers there
  rig.line.realMsPerFrame = 30;                       // the cycle stays on the line while the click comes
  c.startPolling(*rig.form);
  QVERIFY(rig.form->Worker.Busy());
  c.click(*rig.form);
  QVERIFY2(Settle(20000), "the link worker never finished");
  for (QTimer* t : rig.form->findChildren<QTimer*>()) t->stop();
  QVERIFY(Settle(20000));
  const auto said = std::count_if(rig.ui.Shown().begin(), rig.ui.Shown().end(), [&](const Message& m) {
    return m.text.find(c.message) != std::string::npos;
  });
  QCOMPARE(said, 1);
  // The UI thread still answers.
  bool ticked = false;
  QTimer::singleShot(0, [&] { ticked = true; });
  QTRY_VERIFY_WITH_TIMEOUT(ticked, 5000);
  if (c.access != kFullAccess) QVERIFY(rig.Sent(5).empty() && rig.Sent(16).empty() && rig.Sent(70).empty());
}

// "Передать в прибор?" answered Да while the line scan runs: the file goes
// to the controller once the scan has ended, and the port closes after it.
void LinkWorkerTest::ClosingMidScan_TransfersTheFileAfterTheScan() {
  WorkerRig rig;
  rig.form->service.FileMode = 1;
  rig.form->service.FileChanged = 1;
  rig.form->commissioningMenus->openLineScan();
  auto* scan = rig.form->findChild<LineScanDialog*>();
  QVERIFY(scan);
  scan->SpinFrom->setValue(1);
  scan->SpinTo->setValue(3);
  rig.line.realMsPerFrame = 20;
  scan->ButStart->click();
  QVERIFY(rig.form->Worker.Busy());
  rig.ui.QueueAnswer(Answer::No);   // "Сохранить в файле?"
  rig.ui.QueueAnswer(Answer::Yes);  // "Передать в прибор?"
  rig.line.realMsPerFrame = 0;
  rig.form->close();
  QVERIFY(Settle());
  QVERIFY(!rig.form->isVisible());
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "Конфигурация передана в прибор");
  QVERIFY(!rig.Sent(69).empty());
  // The scan asked before the write: nothing of the write came in between.
  const auto& written = rig.line.Written();
  const auto firstStore =
      std::find_if(written.begin(), written.end(), [](const Bytes& f) { return f.size() > 1 && f[1] == 69; });
  QVERIFY(std::none_of(firstStore, written.end(), [](const Bytes& f) { return f[0] == 2 || f[0] == 3; }));
  QVERIFY(!rig.line.IsOpen());
}

// A double click on a found controller makes it the device of every window:
// the unit list is then written to its address.
void LinkWorkerTest::ScanChoice_IsTheDeviceTheUnitListGoesTo() {
  WorkerRig rig;
  ControllerSetup second;
  second.address = 5;
  rig.bus.Add(second);
  rig.form->commissioningMenus->openLineScan();
  auto* scan = rig.form->findChild<LineScanDialog*>();
  scan->SpinFrom->setValue(4);
  scan->SpinTo->setValue(6);
  scan->ButStart->click();
  QVERIFY(Settle());
  QCOMPARE(scan->TableFound->rowCount(), 1);
  emit scan->TableFound->cellDoubleClicked(0, 0);
  QCOMPARE(rig.form->CBoxUstr->currentText(), "5");
  QCOMPARE(rig.form->service.CurrentDevice, 4);
  const size_t from = rig.line.Written().size();
  rig.form->applyUnitName();
  QVERIFY(Settle());
  const auto stores = rig.Sent(69, from);
  QVERIFY(!stores.empty());
  for (const Bytes& f : stores) QCOMPARE(int(f[0]), 5);
}

void LinkWorkerTest::WheelOverTheRenumberingBox_SendsNothing() {
  WorkerRig rig;
  QComboBox* box = rig.form->CBoxUstrZ;
  const int before = box->currentIndex();
  const QPointF at(box->width() / 2.0, box->height() / 2.0);
  QWheelEvent notch(at, box->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(box, &notch);
  QVERIFY(Settle());
  QCOMPARE(box->currentIndex(), before);
  QVERIFY(rig.Sent(69).empty());
}

// Jobs keep their order; a poll tick that finds a job queued or running skips
// its turn instead of piling up behind it.
void LinkWorkerTest::JobsRunInTheOrderPosted_AndABusyTickSkips() {
  WorkerRig rig;
  std::vector<int> ran;
  std::vector<int> done;
  for (int k = 0; k < 5; ++k) {
    rig.form->Worker.Post(
        {[&ran, k](Interaction&) { ran.push_back(k); }, [&done, k] { done.push_back(k); }, rig.form.get()});
  }
  QVERIFY(!rig.form->Worker.PostPoll({[&ran](Interaction&) { ran.push_back(99); }}));
  QVERIFY(Settle());
  QCOMPARE(ran, (std::vector<int>{0, 1, 2, 3, 4}));
  QCOMPARE(done, ran);
  QVERIFY(rig.form->Worker.PostPoll({[&ran](Interaction&) { ran.push_back(5); }}));
  QVERIFY(Settle());
  QCOMPARE(ran.back(), 5);
}

void LinkWorkerTest::WriteWithoutFullAccess_TheRefusalComesWithoutAWriteDialog() {
  WorkerRig rig;
  rig.form->discreteProcessing.AccessLevel = kViewingAccess;
  rig.form->writeToController();
  QVERIFY(BackgroundExchange::Current() == nullptr);  // no "Запись нельзя прервать…" behind the refusal
  QVERIFY(Settle());
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(rig.ui.Last().text, std::string(kNoWriteAccessText));
  QVERIFY(rig.Sent(69).empty());
}

QTEST_MAIN(LinkWorkerTest)
#include "link_worker_test.moc"
