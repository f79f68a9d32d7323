// The editors', online views' and commissioning windows' exchanges run off the
// UI thread: during a command against a slow controller the UI thread keeps
// handling events; a command shows the progress dialog, a poll cycle shows
// none and a tick that comes while a cycle runs skips its turn.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QtTest>

#include "core/link/TrafficLog.h"
#include "ui/LayoutCheck.h"
#include "ui/NetworkRig.h"
#include "ui/SimulatedRig.h"
#include "ui/commissioning/CommissioningMenus.h"
#include "ui/commissioning/LineScanDialog.h"
#include "ui/commissioning/TrafficMonitor.h"
#include "ui/discrete/DiscreteProcessingEditor.h"
#include "ui/fb/FunctionBlockEditor.h"
#include "ui/link/LinkWorker.h"
#include "ui/main/ClockWindow.h"
#include "ui/modules/CalibrationWindow.h"
#include "ui/network/LocalNetworkWindow.h"
#include "ui/network/NetworkOnlineViews.h"
#include "ui/online/OnlineDiscreteView.h"
#include "ui/regulators/RegulatorEditor.h"
#include "ui/regulators/RegulatorOnlineView.h"
#include "ui/widgets/BackgroundExchange.h"

using namespace zul;
using namespace zul::test;

namespace {

// Two discrete input modules, two analog modules, a relay module and a regulator module.
struct SlowRig : SimulatedRig {
  SlowRig() : SimulatedRig({1, 1, 6, 6, 3, 14}) {
    form->readFromController();
    Settle();
    ui.Clear();
    line.realMsPerFrame = 10;
  }
  size_t Frames(int function) const {
    const auto& written = line.Written();
    return static_cast<size_t>(std::count_if(written.begin(), written.end(),
                                             [&](const auto& frame) { return frame[1] == function; }));
  }
};

// What the UI thread saw while a command ran: run on a 5 ms timer.
struct Watch {
  int ticksWhileBusy = 0;
  bool sawDialog = false;
  bool sawStop = false;
  QStringList blocks;
};

Watch WhileRunning(MainWindow& form, const std::function<void()>& command,
                   const std::function<void()>& duringTick = {}, const char* screenshot = nullptr) {
  Watch watch;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (!form.Worker.Busy()) return;
    ++watch.ticksWhileBusy;
    if (ExchangeProgressDialog* d = BackgroundExchange::Current(); d && d->isVisible()) {
      if (screenshot && d->Bar->value() > d->Bar->maximum() / 3) {
        Save(d, screenshot);
        screenshot = nullptr;
      }
      watch.sawDialog = true;
      watch.sawStop = watch.sawStop || d->StopButton->isVisible();
      watch.blocks << d->Block->text();
    }
    if (duringTick) duringTick();
  });
  timer.start(5);
  command();
  Settle();
  return watch;
}

// Whether the dialog names the blocks ("блок 3 из 8") or shows only its bar.
enum class Blocks { Named, Unnamed, TooFewToSee };

struct CommandCase {
  const char* name;
  int function;  // a request the command must send
  Blocks blocks;
  bool stoppable;  // "Прервать" is offered
  std::function<void(SlowRig&)> run;
  const char* screenshot = nullptr;  // the dialog saved under this name
};

const std::vector<CommandCase>& Commands() {
  static const std::vector<CommandCase> cases = {
      {"discrete editor read", 68, Blocks::Unnamed, true,
       [](SlowRig& r) {
         r.form->discreteProcessing.EditorShown = 1;
         r.form->discreteProcessingEditor->InPortClick();
       }},
      {"discrete editor write", 69, Blocks::Unnamed, false,
       [](SlowRig& r) {
         DiscreteProcessing& z = r.form->discreteProcessing;
         z.SchemeAssigned = 1;
         // A real change: "changed" is the bytes against what the controller holds.
         z.SetAlarmType(0, z.GetAlarmType(0) == 0x40 ? 0x80 : 0x40);
         r.form->discreteProcessingEditor->OutPortClick();
       },
       "editor_write_progress"},
      {"function block editor read", 68, Blocks::Named, true,
       [](SlowRig& r) {
         r.form->functionBlockEditor->Prepare();
         r.form->functionBlockEditor->readFromController();
       }},
      {"function block editor write", 69, Blocks::Named, false,
       [](SlowRig& r) {
         r.form->functionBlockEditor->Prepare();
         FunctionBlocks& fb = r.form->functionBlocks;
         fb.SetByte(0, 15, fb.GetByte(0, 15) ^ 1);
         r.form->functionBlockEditor->writeToController();
       }},
      {"regulator editor read", 68, Blocks::Unnamed, false,
       [](SlowRig& r) { r.form->regulatorEditor->readFromController(); }},
      {"regulator editor write", 69, Blocks::Unnamed, false,
       [](SlowRig& r) {
         Regulators& reg = r.form->regulators;
         reg.SetPV(0, reg.GetPV(0) + 1);
         r.form->regulatorEditor->writeToController();
       }},
      {"local network close", 69, Blocks::TooFewToSee, false,
       [](SlowRig& r) {
         LocalNetworkWindow& w = *r.form->localNetworkWindow;
         w.Prepare(LocalNetworkMode::LineSettings);
         w.Skor->setCurrentIndex(3);
         w.onBaudChosen(3);
         r.ui.QueueAnswer(Answer::Yes);
         w.accept();
       }},
      {"device renumbering", 69, Blocks::Unnamed, false, [](SlowRig& r) { r.form->renumberDevice(0); }},
      {"clock set", kBroadcastFunction, Blocks::Unnamed, false,
       [](SlowRig& r) {
         for (QLineEdit* e : r.form->clockWindow->Edits) e->setText("1");
         r.form->clockWindow->setDeviceTime();
       }},
      {"compare with the controller", 68, Blocks::Named, true,
       [](SlowRig& r) { r.form->commissioningMenus->openCompareWindow(); }},
  };
  return cases;
}

struct PollCase {
  const char* name;
  int function;
  std::function<void(SlowRig&)> prepare;
  std::function<void(SlowRig&)> poll;
};

const std::vector<PollCase>& Polls() {
  static const std::vector<PollCase> cases = {
      {"clock", 4, [](SlowRig&) {}, [](SlowRig& r) { r.form->clockWindow->pollOnce(); }},
      {"discrete inputs", 2, [](SlowRig& r) { r.form->discreteInputsOnline->Prepare(1, 1, "ДВ"); },
       [](SlowRig& r) { r.form->discreteInputsOnline->poll(); }},
      {"relay outputs", 1, [](SlowRig& r) { r.form->relayOutputsOnline->Prepare(5, 1, "ДВЫХ"); },
       [](SlowRig& r) { r.form->relayOutputsOnline->poll(); }},
      {"regulator view", 3, [](SlowRig& r) { r.form->regulatorOnlineView->Prepare(0); },
       [](SlowRig& r) { r.form->regulatorOnlineView->poll(); }},
  };
  return cases;
}

// A command given while a poll cycle of the same window is on the line.
struct CommandInPollCase {
  const char* name;
  int function;
  std::function<void(SlowRig&)> prepare;
  std::function<void(SlowRig&)> poll;
  std::function<void(SlowRig&)> command;
};

const std::vector<CommandInPollCase>& CommandsInPolls() {
  static const std::vector<CommandInPollCase> cases = {
      {"clock set", kBroadcastFunction,
       [](SlowRig& r) {
         for (QLineEdit* e : r.form->clockWindow->Edits) e->setText("1");
       },
       [](SlowRig& r) { r.form->clockWindow->pollOnce(); },
       [](SlowRig& r) { r.form->clockWindow->setDeviceTime(); }},
      {"calibration mode", 5,
       [](SlowRig& r) {
         const std::array<QString, 6> positions{}, units{};
         r.form->calibrationWindow->Prepare(1, 6, "ЛК-7", positions, units);
       },
       [](SlowRig& r) { r.form->calibrationWindow->poll(); },
       [](SlowRig& r) { r.form->calibrationWindow->Rows[0].SpBut->click(); }},
      {"loop nudge", 5, [](SlowRig& r) { r.form->regulatorOnlineView->Prepare(0); },
       [](SlowRig& r) { r.form->regulatorOnlineView->poll(); },
       [](SlowRig& r) { r.form->regulatorOnlineView->nudge(0, +1); }},
  };
  return cases;
}

void AddRows(size_t count, const std::function<const char*(size_t)>& name) {
  QTest::addColumn<size_t>("row");
  for (size_t k = 0; k < count; ++k) QTest::newRow(name(k)) << k;
}

}  // namespace

class WindowExchangesTest : public QObject {
  Q_OBJECT
 private slots:
  void Command_SlowController_UiStaysResponsiveUnderTheProgressDialog_data();
  void Command_SlowController_UiStaysResponsiveUnderTheProgressDialog();
  void Poll_SlowController_NoDialogAndABusyTickSkipsItsTurn_data();
  void Poll_SlowController_NoDialogAndABusyTickSkipsItsTurn();
  void Command_DuringAPollCycle_WaitsForItInsteadOfBeingLost_data();
  void Command_DuringAPollCycle_WaitsForItInsteadOfBeingLost();
  void NetworkAnalogView_SlowController_PollsOffTheUiThread();
  void FunctionBlockRead_FeedsTheEditorsOwnBar();
  void LineScan_RunsOnTheWorkerAndStopsFromTheDialog();
  void TrafficMonitor_TakesFramesFromTheWorkerOnlyWhileShown();
};

void WindowExchangesTest::Command_SlowController_UiStaysResponsiveUnderTheProgressDialog_data() {
  AddRows(Commands().size(), [](size_t k) { return Commands()[k].name; });
}

void WindowExchangesTest::Command_SlowController_UiStaysResponsiveUnderTheProgressDialog() {
  QFETCH(size_t, row);
  const CommandCase& c = Commands()[row];
  SlowRig rig;
  const size_t before = rig.Frames(c.function);
  const Watch watch = WhileRunning(
      *rig.form, [&] { c.run(rig); }, {}, c.screenshot);
  QVERIFY(watch.ticksWhileBusy > 0);  // on the UI thread the timer could not fire
  QVERIFY(watch.sawDialog);
  const QRegularExpression block("^блок \\d+ из \\d+$");
  const bool named = std::any_of(watch.blocks.begin(), watch.blocks.end(),
                                 [&](const QString& t) { return block.match(t).hasMatch(); });
  if (c.blocks != Blocks::TooFewToSee) QCOMPARE(named, c.blocks == Blocks::Named);
  QCOMPARE(watch.sawStop, c.stoppable);
  QVERIFY(rig.Frames(c.function) > before);
  QVERIFY(!rig.form->Worker.Busy());
  QVERIFY(BackgroundExchange::Current() == nullptr);
}

void WindowExchangesTest::Poll_SlowController_NoDialogAndABusyTickSkipsItsTurn_data() {
  AddRows(Polls().size(), [](size_t k) { return Polls()[k].name; });
}

void WindowExchangesTest::Poll_SlowController_NoDialogAndABusyTickSkipsItsTurn() {
  QFETCH(size_t, row);
  const PollCase& c = Polls()[row];
  SlowRig rig;
  c.prepare(rig);
  size_t before = rig.Frames(c.function);
  c.poll(rig);
  Settle();
  const size_t oneCycle = rig.Frames(c.function) - before;
  QVERIFY(oneCycle > 0);

  before = rig.Frames(c.function);
  int polledWhileBusy = 0;
  const Watch watch = WhileRunning(
      *rig.form, [&] { c.poll(rig); },
      [&] {
        ++polledWhileBusy;
        c.poll(rig);  // the next timer tick comes while the cycle still runs
        Settle();
      });
  QVERIFY(watch.ticksWhileBusy > 0);
  QVERIFY(polledWhileBusy > 0);
  QVERIFY(!watch.sawDialog);
  QCOMPARE(rig.Frames(c.function) - before, oneCycle);
  QVERIFY(rig.ui.Shown().empty());
}

void WindowExchangesTest::Command_DuringAPollCycle_WaitsForItInsteadOfBeingLost_data() {
  AddRows(CommandsInPolls().size(), [](size_t k) { return CommandsInPolls()[k].name; });
}

void WindowExchangesTest::Command_DuringAPollCycle_WaitsForItInsteadOfBeingLost() {
  QFETCH(size_t, row);
  const CommandInPollCase& c = CommandsInPolls()[row];
  SlowRig rig;
  c.prepare(rig);
  const size_t before = rig.Frames(c.function);
  bool given = false;
  WhileRunning(
      *rig.form, [&] { c.poll(rig); },
      [&] {
        if (given) return;
        given = true;
        c.command(rig);  // a click while the cycle is on the line
      });
  QVERIFY(given);
  QCOMPARE(rig.Frames(c.function), before + 1);
  QVERIFY(!rig.form->Worker.Busy());
}

void WindowExchangesTest::NetworkAnalogView_SlowController_PollsOffTheUiThread() {
  NetworkRig rig;
  rig.Net().Prepare(LocalNetworkMode::Blocks);
  Settle();
  rig.Create(0, 15, 3, 4, [](QWidget* d) { d->close(); });
  Settle();
  rig.ui.QueueAnswer(Answer::Yes);
  rig.Net().accept();
  Settle();
  NetworkAnalogOnline& v = *rig.Editor().analogOnline;
  QVERIFY(v.Prepare(0));
  rig.line.realMsPerFrame = 30;
  const Watch watch = WhileRunning(*rig.form, [&] { v.poll(); });
  Settle();
  QVERIFY(watch.ticksWhileBusy > 0);
  QVERIFY(!watch.sawDialog);
  QVERIFY(!v.Rows[0].Value->text().isEmpty());
}

void WindowExchangesTest::FunctionBlockRead_FeedsTheEditorsOwnBar() {
  SlowRig rig;
  FunctionBlockEditor& e = *rig.form->functionBlockEditor;
  e.Prepare();
  Settle();
  int highest = 0;
  WhileRunning(
      *rig.form, [&] { e.readFromController(); },
      [&] { highest = std::max(highest, e.ProgressBar1->value()); });
  QVERIFY(highest > 0);
}

void WindowExchangesTest::LineScan_RunsOnTheWorkerAndStopsFromTheDialog() {
  SlowRig rig;
  rig.form->commissioningMenus->openLineScan();
  Settle();
  LineScanDialog& d = *rig.form->commissioningMenus->lineScanDialog;
  d.SpinFrom->setValue(1);
  d.SpinTo->setValue(31);
  const size_t before = rig.Frames(17);
  const Watch watch = WhileRunning(
      *rig.form, [&] { d.startScan(); },
      [&] {
        if (d.ProgressScan->value() >= 3) d.ButStop->click();
      });
  QVERIFY(watch.ticksWhileBusy > 0);
  QVERIFY(!watch.sawDialog);
  QVERIFY(rig.Frames(17) - before < 31);
  QCOMPARE(d.Result().found.size(), size_t{1});
  // Stopped: the bar stays where the scan was and the status says so.
  QVERIFY(d.ProgressScan->value() < 31);
  QCOMPARE(d.LabStatus->text(), QString("остановлено"));
  QVERIFY(d.ButStart->isEnabled());
}

void WindowExchangesTest::TrafficMonitor_TakesFramesFromTheWorkerOnlyWhileShown() {
  SlowRig rig;
  rig.line.realMsPerFrame = 2;
  rig.form->commissioningMenus->openTrafficMonitor();
  TrafficMonitor& monitor = *rig.form->commissioningMenus->trafficMonitor;
  monitor.setFloating(true);  // the main window stays hidden (no password dialog)
  monitor.show();
  QVERIFY(monitor.isVisible());
  // Hidden half-way through a read on the worker, the log takes nothing more.
  size_t atHiding = 0;
  WhileRunning(
      *rig.form, [&] { rig.form->readFromController(); },
      [&] {
        if (monitor.isVisible() && monitor.Log().Records().size() >= 20) {
          monitor.hide();
          atHiding = monitor.Log().Records().size();
        }
      });
  QVERIFY(atHiding >= 20);
  QCOMPARE(monitor.Log().Records().size(), atHiding);
  QVERIFY(rig.Frames(68) * 2 > atHiding);
  monitor.show();
  rig.form->clockWindow->pollOnce();
  Settle();
  QCOMPARE(monitor.Log().Records().size(), atHiding + 2);
}

QTEST_MAIN(WindowExchangesTest)
#include "window_exchanges_test.moc"
