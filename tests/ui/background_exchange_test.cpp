// Long exchanges run off the UI thread: the window keeps handling events, the
// progress dialog names the block, a read stops between blocks when asked and
// a write cannot be stopped.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>
#include <thread>

#include "core/ScriptedInteraction.h"
#include "core/link/ModbusLink.h"
#include "serial/QtSerialLine.h"
#include "support/PtyPair.h"
#include "ui/LayoutCheck.h"
#include "ui/SimulatedRig.h"
#include "ui/link/LinkWorker.h"
#include "ui/widgets/BackgroundExchange.h"

using namespace zul;
using namespace zul::test;

namespace {

// Calls `tick` on the UI thread every few milliseconds while it lives.
class Ticker {
 public:
  explicit Ticker(std::function<void()> tick) {
    QObject::connect(&timer_, &QTimer::timeout, std::move(tick));
    timer_.start(5);
  }

 private:
  QTimer timer_;
};

size_t BlockReads(const SimulatedRig& rig) {
  const auto& written = rig.line.Written();
  return static_cast<size_t>(
      std::count_if(written.begin(), written.end(), [](const auto& frame) { return frame[1] == 68; }));
}

}  // namespace

class BackgroundExchangeTest : public QObject {
  Q_OBJECT
 private slots:
  void Read_SlowController_WindowStaysResponsiveAndNamesTheBlock();
  void Read_Stopped_EndsBetweenBlocksWithoutAMessage();
  void Write_CannotBeStopped_AndSaysWhy();
  void Write_AskingFirst_ShowsTheDialogOnlyOnceItSends_data();
  void Write_AskingFirst_ShowsTheDialogOnlyOnceItSends();
  void RealPort_LivesOnTheWorkerAndComesBackAtTheEnd();
};

void BackgroundExchangeTest::Read_SlowController_WindowStaysResponsiveAndNamesTheBlock() {
  SimulatedRig rig;
  rig.line.realMsPerFrame = 15;
  int ticksWhileBusy = 0;
  QStringList shown;
  Ticker ticker([&] {
    if (!rig.form->Worker.Busy()) return;
    ++ticksWhileBusy;
    if (ExchangeProgressDialog* d = BackgroundExchange::Current(); d && d->isVisible())
      shown << d->Block->text();
  });
  rig.form->readFromController();
  QVERIFY(Settle());
  QVERIFY(ticksWhileBusy > 0);  // a read on the UI thread would allow none
  const QRegularExpression block("^блок (\\d+) из (\\d+)$");
  QVERIFY(
      std::any_of(shown.begin(), shown.end(), [&](const QString& t) { return block.match(t).hasMatch(); }));
  QVERIFY(!rig.form->Worker.Busy());
  QVERIFY(rig.form->InformBut->isEnabled());
  QVERIFY(rig.ui.Shown().empty());
  QVERIFY(BackgroundExchange::Current() == nullptr);
}

void BackgroundExchangeTest::Read_Stopped_EndsBetweenBlocksWithoutAMessage() {
  SimulatedRig rig;
  rig.line.realMsPerFrame = 15;
  Ticker ticker([&] {
    ExchangeProgressDialog* d = BackgroundExchange::Current();
    if (d && d->Bar->value() >= 5 && d->StopButton->isEnabled()) d->StopButton->click();
  });
  rig.form->readFromController();
  QVERIFY(Settle());
  QVERIFY(rig.ui.Shown().empty());
  QVERIFY(!rig.form->InformBut->isEnabled());
  QVERIFY(BlockReads(rig) < 20);
  QVERIFY(!rig.form->Worker.Busy());
}

void BackgroundExchangeTest::Write_CannotBeStopped_AndSaysWhy() {
  SimulatedRig rig;
  rig.form->readFromController();
  QVERIFY(Settle());
  rig.ui.Clear();
  rig.line.realMsPerFrame = 5;
  bool sawNote = false;
  bool saved = false;
  Ticker ticker([&] {
    ExchangeProgressDialog* d = BackgroundExchange::Current();
    if (!d || !d->isVisible()) return;
    sawNote = sawNote || (d->Note->isVisible() && d->Note->text() == QString::fromUtf8(kWriteCannotStopText));
    if (!saved && d->Bar->value() >= 20) {
      saved = true;
      Save(d, "write_progress");
    }
    QVERIFY(!d->StopButton->isVisible());
    d->reject();  // Escape: ignored
    d->close();   // the title bar: ignored too
  });
  rig.form->writeToController();
  QVERIFY(Settle());
  QVERIFY(sawNote);
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "Конфигурация передана в прибор");
}

namespace {

// Notes whether the progress dialog was in sight when a box came up or the
// write reported its first block.
class Probe : public ScriptedInteraction {
 public:
  Answer Ask(const Message& message) override {
    behindQuestion = behindQuestion || DialogShown();
    return ScriptedInteraction::Ask(message);
  }
  void Progress(int value, int maximum) override {
    if (maximum > 0) shownWhileSending = shownWhileSending || DialogShown();
    ScriptedInteraction::Progress(value, maximum);
  }
  static bool DialogShown() {
    const ExchangeProgressDialog* d = BackgroundExchange::Current();
    return d && d->isVisible();
  }
  bool behindQuestion = false;
  bool shownWhileSending = false;
};

}  // namespace

void BackgroundExchangeTest::Write_AskingFirst_ShowsTheDialogOnlyOnceItSends_data() {
  QTest::addColumn<bool>("yes");
  QTest::newRow("Да") << true;
  QTest::newRow("Нет") << false;
}

// A write that asks before it sends ("Передать в прибор?") shows no progress
// behind the question, none at all after "Нет", and its dialog once it sends.
void BackgroundExchangeTest::Write_AskingFirst_ShowsTheDialogOnlyOnceItSends() {
  QFETCH(bool, yes);
  SimulatedRig rig;
  Probe probe;
  probe.QueueAnswer(yes ? Answer::Yes : Answer::No);
  bool sent = false;
  BackgroundExchange(rig.form->Worker, probe, rig.form.get())
      .Run("Запись", ExchangeKind::Write, [&sent](Interaction& ui) {
        if (ui.Ask({"Подтвердите", "Передать в прибор?", Icon::Question, Buttons::YesNo, Answer::No}) !=
            Answer::Yes)
          return;
        ui.Progress(0, 2);
        ui.Progress(1, 2);
        sent = true;
      });
  QVERIFY(Settle());
  QVERIFY(!probe.behindQuestion);
  QCOMPARE(sent, yes);
  QCOMPARE(probe.shownWhileSending, yes);
  QVERIFY(BackgroundExchange::Current() == nullptr);
}

// QSerialPort's object lives on the link worker while the worker runs, and
// comes back to the UI thread when it ends.
void BackgroundExchangeTest::RealPort_LivesOnTheWorkerAndComesBackAtTheEnd() {
  PtyPair pty;
  QVERIFY(pty.Ok());
  QtSerialLine line;
  SteadyClock clock;
  ScriptedInteraction ui;
  ModbusLink link(line, clock, ui);
  link.SetPortName(pty.SlavePath());
  link.SetBaudText("115200");
  QCOMPARE(link.OpenPort(), 0);
  LinkWorker worker(link, ui);
  worker.AdoptLineObject(line.ThreadObject());
  const Bytes reply = WithCrc({0x01, 0x44, 0x03, 0x0C, 0xAA, 0xBB});
  QWidget window;
  for (int round = 0; round < 2; ++round) {
    std::thread controller([&] {
      pty.Receive(5, 3000);
      pty.Send(reply);
    });
    int result = -1;
    BackgroundExchange(worker, ui, &window)
        .RunFor(
            "обмен", ExchangeKind::Read,
            [&link](Interaction&) {
              std::array<uint8_t, kAnswerBufferSize> answer{};
              const uint8_t block = 0x0C;
              return link.Request(0, 68, std::span(&block, 1), answer);
            },
            [&result](int r) { result = r; });
    QVERIFY(Settle());
    controller.join();
    QCOMPARE(result, int(kResultOk));
    QVERIFY(line.ThreadObject()->thread() != QThread::currentThread());
  }
  worker.Shutdown();
  QCOMPARE(line.ThreadObject()->thread(), QThread::currentThread());
  QVERIFY(ui.Shown().empty());
}

QTEST_MAIN(BackgroundExchangeTest)
#include "background_exchange_test.moc"
