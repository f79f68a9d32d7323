#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"
#include "ui/UiTestSupport.h"
#include "ui/online/OnlineDiscreteView.h"

using namespace zul;
using namespace zul::test;

class OnlineViewTest : public QObject {
  Q_OBJECT
 private slots:
  void InputModule_OpenedFromItsRow_ShowsTheModuleAndPolls();
  void InputModule_Slot2_PollsInputsFrom12AndValidityFrom1068();
  void SilentController_OneMessageThenNoMorePolls();
  void ReopenedView_PollsAgainWithReportFlagZero();
  void Tick_SkippedWhileAnotherExchangeRuns();
  void InputModule_AgainstTheSimulatedController();
  void RelayModule_PollsItsOutputs();
};

void OnlineViewTest::InputModule_OpenedFromItsRow_ShowsTheModuleAndPolls() {
  MainWindowRig rig;
  rig.Compose({1, 2, 6, 3});
  rig.form->service.SetText(12 + 3, "Насос 4");
  QVERIFY(WhileModal([&] { rig.form->openModuleWindow(2); },
                     [&](QWidget* w) {
                       auto* v = qobject_cast<DiscreteInputsOnline*>(w);
                       QVERIFY(v);
                       QCOMPARE(v->LabNMod->text(), "2");
                       QCOMPARE(v->TipMod->text(), "ЛК-2");
                       QCOMPARE(v->LabAMod->text(), "1");
                       QCOMPARE(v->TRecv[3]->text(), "Насос 4");
                       QCOMPARE(v->Mod1->text(), "Модуль ввода дискретной информации");
                       QCOMPARE(v->TRecv.size(), size_t{12});
                       QCOMPARE(v->Dost.size(), size_t{12});
                       QVERIFY(v->Polling());
                       QCOMPARE(v->Timer1->interval(), 3000);
                       QVERIFY(v->Label1->isVisible());
                       QCOMPARE(v->ReportFlag(), 0);
                       v->reject();
                     }));
  QCOMPARE(rig.form->discreteProcessing.GetEditSlot(), 2);
  QCOMPARE(rig.form->service.SelectedModule, 2);
  QVERIFY(!rig.form->discreteInputsOnline->Polling());
  QCOMPARE(rig.form->discreteInputsOnline->ReportFlag(), 1);
}

void OnlineViewTest::InputModule_Slot2_PollsInputsFrom12AndValidityFrom1068() {
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3});
  DiscreteInputsOnline& v = *rig.form->discreteInputsOnline;
  v.Prepare(2, 2, "ЛК-1");
  Settle();
  rig.line.QueueFrame({0x01, 0x01, 0x02, 0x01, 0x00});  // slot 1 faulty, slot 2 healthy
  rig.line.QueueFrame({0x01, 0x02, 0x02, 0x01, 0x08});  // inputs 1 and 12 on
  rig.line.QueueFrame({0x01, 0x01, 0x02, 0x02, 0x00});  // input 2 invalid
  v.poll();
  Settle();
  QCOMPARE(rig.line.Written().size(), size_t{3});
  QCOMPARE(rig.line.Written()[0], WithCrc({0x01, 0x01, 0x03, 0xF8, 0x00, 0x10}));
  QCOMPARE(rig.line.Written()[1], WithCrc({0x01, 0x02, 0x00, 0x0C, 0x00, 0x0C}));
  QCOMPARE(rig.line.Written()[2], WithCrc({0x01, 0x01, 0x04, 0x2C, 0x00, 0x0C}));
  QCOMPARE(v.Isprav->text(), "исправен");
  QCOMPARE(v.Isprav->palette().color(QPalette::WindowText), QColor(Qt::darkCyan));
  QCOMPARE(v.OnOff[0]->text(), "on");
  QCOMPARE(v.OnOff[0]->palette().color(QPalette::Window), QColor(Qt::cyan));
  QCOMPARE(v.OnOff[1]->text(), "off");
  QCOMPARE(v.OnOff[11]->text(), "on");
  QCOMPARE(v.Dost[0]->text(), "достовер.");
  QCOMPARE(v.Dost[1]->text(), "недостовер.");
  QCOMPARE(v.Dost[1]->palette().color(QPalette::Window), QColor(0x80, 0x00, 0x80));
  QVERIFY(rig.ui.Shown().empty());

  rig.line.QueueFrame({0x01, 0x01, 0x02, 0x02, 0x00});  // now slot 2 faulty
  v.poll();
  Settle();
  QCOMPARE(v.Isprav->text(), "неисправен");
  QCOMPARE(v.Isprav->palette().color(QPalette::Window), QColor(Qt::red));
}

void OnlineViewTest::SilentController_OneMessageThenNoMorePolls() {
  MainWindowRig rig;
  rig.Compose({1, 1});
  DiscreteInputsOnline& v = *rig.form->discreteInputsOnline;
  v.Prepare(2, 2, "ЛК-1");
  Settle();
  v.togglePolling();  // polling, as on showing
  QVERIFY(v.Polling());
  v.poll();
  Settle();
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(QString::fromStdString(rig.ui.Last().caption), "Предупреждение");
  QVERIFY(QString::fromStdString(rig.ui.Last().text).contains(" не отвечает на запрос"));
  QVERIFY(!v.Polling());
  QVERIFY(!v.Label1->isVisibleTo(&v));
  QCOMPARE(v.ReportFlag(), 1);
  const size_t written = rig.line.Written().size();
  QTest::qWait(50);
  QCOMPARE(rig.line.Written().size(), written);
}

void OnlineViewTest::ReopenedView_PollsAgainWithReportFlagZero() {
  MainWindowRig rig;
  rig.Compose({1});
  for (int round = 0; round < 2; ++round) {
    QVERIFY(WhileModal([&] { rig.form->openModuleWindow(1); },
                       [&](QWidget* w) {
                         auto* v = qobject_cast<DiscreteInputsOnline*>(w);
                         QVERIFY(v->Polling());
                         QCOMPARE(v->ReportFlag(), 0);
                         v->poll();  // silent: stops and reports
                         Settle();
                         QVERIFY(!v->Polling());
                         v->reject();
                       }));
  }
  QCOMPARE(rig.ui.Shown().size(), size_t{2});
}

void OnlineViewTest::Tick_SkippedWhileAnotherExchangeRuns() {
  MainWindowRig rig;
  rig.Compose({1});
  rig.form->discreteInputsOnline->Prepare(1, 1, "ЛК-1");
  Settle();
  {
    HeldLine busy(rig.form->Worker);
    rig.form->discreteInputsOnline->poll();
  }  // the line is free again: the skipped tick sent nothing after
  QVERIFY(rig.line.Written().empty());
}

void OnlineViewTest::InputModule_AgainstTheSimulatedController() {
  VirtualClock clock;
  SimulatedBus bus(clock);
  ControllerSetup setup;
  setup.faultySlots = {2};
  bus.Add(setup);
  SimulatedLine line(bus, clock);
  line.Open();
  Settle();
  ScriptedInteraction ui;
  QTemporaryDir dir;
  MainWindow form(line, clock, ui, ProgramOptions{{}, dir.filePath("FParol.dat").toStdString(), dir.path()});
  form.discreteInputsOnline->Prepare(2, 2, "ЛК-1");
  Settle();
  form.discreteInputsOnline->poll();
  Settle();
  QVERIFY(ui.Shown().empty());
  QCOMPARE(form.discreteInputsOnline->Isprav->text(), "неисправен");
  for (QLabel* cell : form.discreteInputsOnline->OnOff)
    QVERIFY(cell->text() == "on" || cell->text() == "off");
  for (QLabel* cell : form.discreteInputsOnline->Dost)
    QVERIFY(cell->text() == "достовер." || cell->text() == "недостовер.");
  form.discreteInputsOnline->Prepare(1, 1, "ЛК-1");
  Settle();
  form.discreteInputsOnline->poll();
  Settle();
  QCOMPARE(form.discreteInputsOnline->Isprav->text(), "исправен");
}

void OnlineViewTest::RelayModule_PollsItsOutputs() {
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3, 3});
  RelayOutputsOnline& v = *rig.form->relayOutputsOnline;
  v.Prepare(5, 2, "ЛК-4");
  Settle();
  QCOMPARE(v.LabNMod->text(), "2");
  QCOMPARE(v.LabAMod->text(), "4");
  QCOMPARE(v.TRecv[0]->text(), "DO_2_1");
  QCOMPARE(v.Dost.size(), size_t{0});
  rig.line.QueueFrame({0x01, 0x01, 0x02, 0x00, 0x00});
  rig.line.QueueFrame({0x01, 0x01, 0x01, 0x80});
  v.poll();
  Settle();
  QCOMPARE(rig.line.Written()[1], WithCrc({0x01, 0x01, 0x00, 0x08, 0x00, 0x08}));
  QCOMPARE(v.OnOff[7]->text(), "on");
  QCOMPARE(v.OnOff[0]->text(), "off");
  v.show();
  QCOMPARE(v.Timer1->interval(), 1000);
  v.reject();
  Settle();
}

QTEST_MAIN(OnlineViewTest)
#include "online_view_test.moc"
