#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QtTest>

#include "serial/RecentPorts.h"
#include "ui/UiTestSupport.h"
#include "ui/link/ExchangeSettingsDialog.h"
#include "ui/link/PortDialog.h"

using namespace zul;
using namespace zul::test;

namespace {

// Picks positions in the port dialog and presses OK.
std::function<void(QWidget*)> Choose(int port, int speed, int parity, int stopBits) {
  return [=](QWidget* w) {
    auto* d = qobject_cast<PortDialog*>(w);
    QVERIFY(d);
    d->CBoxPort->setCurrentIndex(port);
    d->onPortChosen(port);
    d->Skor->setCurrentIndex(speed);
    d->Parit->setCurrentIndex(parity);
    d->StBit->setCurrentIndex(stopBits);
    d->OK->click();
    Settle();
  };
}

std::function<void(QWidget*)> Close() {
  return [](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); };
}

}  // namespace

class PortDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QSettings("zulprog", "ports").remove("recentPorts");
  }
  void PortList_NamedPortsFirstThenTheSystemsOnce();
  void TypedNetworkPort_OpensAndIsOfferedNextTime();
  void Screenshot();
  void Accepted_AppliesSettingsAndOpensThePort_data();
  void Accepted_AppliesSettingsAndOpensThePort();
  void Showing_ClosesThePortAndRestoresAcceptedPositions();
  void EvenParityWithTwoStopBits_RetryShowsTheDialogAgain();
  void Cancel_ReopensOnlyAPortThatWasOpen_data();
  void Cancel_ReopensOnlyAPortThatWasOpen();
  void NoPorts_Accepting_Reports132();
  void ChosenPort_RememberedOnceTheMarkIsCleared();
  void ExchangeDialog_AcceptedUntouched_AppliesDefaults();
  void ExchangeDialog_Cancelled_ChangesNothingAndRestoresControls();
  void ExchangeDialog_ByteTimeout_ReachesTheLinkOnlyWithOk();
  void ExchangeDialog_FromThePortDialog_AppliesAndStaysOpen();
  void NamedPort_OpenedAtStartWithTheDefaults();
  void NamedPort_ThatCannotBeOpened_Reports132();
};

void PortDialogTest::PortList_NamedPortsFirstThenTheSystemsOnce() {
  MainWindowRig rig({"/tmp/zul-sim-1", "ttyS1"});
  rig.line.ports = {"ttyS0", "ttyS1", "ttyUSB0"};
  QCOMPARE(rig.form->portDialog->PortNames(), (QStringList{"/tmp/zul-sim-1", "ttyS1", "ttyS0", "ttyUSB0"}));
}

void PortDialogTest::Accepted_AppliesSettingsAndOpensThePort_data() {
  QTest::addColumn<int>("speed");
  QTest::addColumn<int>("parity");
  QTest::addColumn<int>("stopBits");
  QTest::addColumn<QString>("baudText");
  QTest::addColumn<QString>("parityText");
  QTest::addColumn<QString>("stopText");
  QTest::newRow("defaults") << 0 << 0 << 1 << "9600"
                            << "N"
                            << "2";
  QTest::newRow("odd, one") << 3 << 1 << 0 << "115200"
                            << "O"
                            << "1";
  QTest::newRow("even, one") << 1 << 2 << 0 << "19200"
                             << "E"
                             << "1";
}

void PortDialogTest::TypedNetworkPort_OpensAndIsOfferedNextTime() {
  MainWindowRig rig({"/tmp/zul-sim-1"});
  rig.line.ports = {"ttyS0"};
  QVERIFY(WhileModal([&] { rig.form->openPortDialog(); },
                     [](QWidget* w) {
                       auto* d = qobject_cast<PortDialog*>(w);
                       QVERIFY(d);
                       QVERIFY(d->CBoxPort->isEditable());
                       d->CBoxPort->setEditText("mbtcp://127.0.0.1:5020");
                       d->OK->click();
                       Settle();
                     }));
  QCOMPARE(rig.line.portName, std::string("mbtcp://127.0.0.1:5020"));
  QVERIFY(rig.line.IsOpen());
  QVERIFY(rig.ui.Shown().empty());
  QCOMPARE(RecentNetworkPorts(), QStringList{"mbtcp://127.0.0.1:5020"});
  // The next showing lists it after the named ports, keeps it chosen, and completes it.
  QCOMPARE(rig.form->portDialog->PortNames(),
           (QStringList{"/tmp/zul-sim-1", "mbtcp://127.0.0.1:5020", "ttyS0"}));
  QVERIFY(WhileModal([&] { rig.form->openPortDialog(); },
                     [](QWidget* w) {
                       auto* d = qobject_cast<PortDialog*>(w);
                       QCOMPARE(d->CBoxPort->currentText(), QString("mbtcp://127.0.0.1:5020"));
                       QVERIFY(d->CBoxPort->completer());
                       d->CBoxPort->completer()->setCompletionPrefix("MB");
                       QCOMPARE(d->CBoxPort->completer()->currentCompletion(),
                                QString("mbtcp://127.0.0.1:5020"));
                       d->reject();
                     }));
  QSettings("zulprog", "ports").remove("recentPorts");
}

// With ZUL_SCREENSHOT_DIR set, the dialog with a network port typed is saved
// there (the documentation's screenshot).
void PortDialogTest::Screenshot() {
  const QString dir = qEnvironmentVariable("ZUL_SCREENSHOT_DIR");
  if (dir.isEmpty()) QSKIP("ZUL_SCREENSHOT_DIR not set");
  MainWindowRig rig({"/dev/ttyUSB0"});
  rig.line.ports = {"ttyS0"};
  RememberNetworkPort("tcp://10.20.0.14:4001");
  RememberNetworkPort("mbtcp://10.20.0.30:502");
  PortDialog& d = *rig.form->portDialog;
  d.show();
  QVERIFY(Settle());
  d.CBoxPort->setCurrentIndex(d.CBoxPort->findText("mbtcp://10.20.0.30:502"));
  d.Skor->setCurrentIndex(1);
  d.adjustSize();
  QVERIFY(d.grab().save(dir + "/port_dialog_tcp.png"));
  d.reject();
  QVERIFY(Settle());
  QSettings("zulprog", "ports").remove("recentPorts");
}

void PortDialogTest::Accepted_AppliesSettingsAndOpensThePort() {
  QFETCH(int, speed);
  QFETCH(int, parity);
  QFETCH(int, stopBits);
  MainWindowRig rig({"/tmp/zul-sim-1"});
  rig.line.ports = {"ttyS0"};
  QVERIFY(WhileModal([&] { rig.form->openPortDialog(); }, Choose(1, speed, parity, stopBits)));
  QCOMPARE(QString::fromStdString(rig.form->link.GetPortName()), "ttyS0");
  QTEST(QString::fromStdString(rig.form->link.GetBaudText()), "baudText");
  QTEST(QString::fromStdString(rig.form->link.GetParityText()), "parityText");
  QTEST(QString::fromStdString(rig.form->link.GetStopBitsText()), "stopText");
  QVERIFY(rig.line.IsOpen());
  QCOMPARE(rig.line.portName, std::string("ttyS0"));
  QVERIFY(!rig.form->portDialog->FirstShowing);
  QVERIFY(rig.ui.Shown().empty());
}

void PortDialogTest::Showing_ClosesThePortAndRestoresAcceptedPositions() {
  MainWindowRig rig({"/tmp/zul-sim-1"});
  QVERIFY(WhileModal([&] { rig.form->openPortDialog(); }, Choose(0, 2, 1, 0)));
  QVERIFY(rig.line.IsOpen());
  QVERIFY(WhileModal([&] { rig.form->openPortDialog(); },
                     [&](QWidget* w) {
                       auto* d = qobject_cast<PortDialog*>(w);
                       QVERIFY(Settle());  // the closing is a job on the worker
                       QVERIFY(!rig.line.IsOpen());
                       QCOMPARE(d->Skor->currentText(), "57600");
                       QCOMPARE(d->Parit->currentText(), "нечет");
                       QCOMPARE(d->StBit->currentText(), "1");
                       d->Skor->setCurrentIndex(3);  // not accepted: forgotten
                       d->reject();
                     }));
  QVERIFY(rig.line.IsOpen());  // it was open: reopened with the old settings
  QVERIFY(WhileModal([&] { rig.form->openPortDialog(); },
                     [&](QWidget* w) {
                       QCOMPARE(qobject_cast<PortDialog*>(w)->Skor->currentText(), "57600");
                       Close()(w);
                     }));
}

void PortDialogTest::EvenParityWithTwoStopBits_RetryShowsTheDialogAgain() {
  MainWindowRig rig({"/tmp/zul-sim-1"});
  rig.ui.QueueAnswer(Answer::Retry);
  rig.ui.QueueAnswer(Answer::Cancel);
  const size_t left = ModalSteps([&] { rig.form->openPortDialog(); },
                                 {Choose(0, 0, 2, 1), [](QWidget* w) {
                                    auto* d = qobject_cast<PortDialog*>(w);
                                    QCOMPARE(d->Parit->currentText(), "нет");  // the accepted positions
                                    QCOMPARE(d->StBit->currentText(), "2");
                                    Choose(0, 0, 2, 1)(w);
                                  }});
  QCOMPARE(left, size_t{0});
  QCOMPARE(rig.ui.Shown().size(), size_t{2});
  for (const Message& m : rig.ui.Shown()) {
    QCOMPARE(QString::fromStdString(m.text), "Ошибочные данные ");
    QCOMPARE(QString::fromStdString(m.caption), "Ошибка");
    QCOMPARE(m.buttons, Buttons::RetryCancel);
  }
  QVERIFY(!rig.line.IsOpen());
  QCOMPARE(QString::fromStdString(rig.form->link.GetParityText()), "N");
}

void PortDialogTest::Cancel_ReopensOnlyAPortThatWasOpen_data() {
  QTest::addColumn<bool>("openBefore");
  QTest::newRow("open") << true;
  QTest::newRow("closed") << false;
}

void PortDialogTest::Cancel_ReopensOnlyAPortThatWasOpen() {
  QFETCH(bool, openBefore);
  MainWindowRig rig({"/tmp/zul-sim-1"});
  rig.form->link.SetPortName("/tmp/zul-sim-1");
  rig.line.ForceOpen(openBefore);
  QVERIFY(WhileModal([&] { rig.form->openPortDialog(); }, Close()));
  QCOMPARE(rig.line.IsOpen(), openBefore);
  QVERIFY(!rig.form->portDialog->FirstShowing);
}

void PortDialogTest::NoPorts_Accepting_Reports132() {
  MainWindowRig rig;
  QVERIFY(WhileModal([&] { rig.form->openPortDialog(); },
                     [](QWidget* w) {
                       auto* d = qobject_cast<PortDialog*>(w);
                       QCOMPARE(d->CBoxPort->count(), 0);
                       d->OK->click();
                     }));
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QVERIFY(QString::fromStdString(rig.ui.Last().text).contains("невозможно открыть последовательный порт"));
  QVERIFY(rig.form->portDialog->FirstShowing);
}

void PortDialogTest::ChosenPort_RememberedOnceTheMarkIsCleared() {
  MainWindowRig rig({"a-COM", "b-COM", "c-COM"});
  QVERIFY(WhileModal([&] { rig.form->openPortDialog(); }, Choose(2, 0, 0, 1)));
  QVERIFY(WhileModal([&] { rig.form->openPortDialog(); },
                     [](QWidget* w) {
                       QCOMPARE(qobject_cast<PortDialog*>(w)->CBoxPort->currentText(), "c-COM");
                       Close()(w);
                     }));
}

void PortDialogTest::ExchangeDialog_AcceptedUntouched_AppliesDefaults() {
  MainWindowRig rig;
  rig.form->link.SetRepeat1(1);
  rig.form->link.SetRepeat2(1);
  QVERIFY(WhileModal([&] { rig.form->openExchangeSettings(); },
                     [](QWidget* w) {
                       auto* d = qobject_cast<ExchangeSettingsDialog*>(w);
                       QCOMPARE(d->Edit1->text(), "25");
                       QVERIFY(d->Edit1->isReadOnly());
                       QVERIFY(!d->CBoxPovt1->isVisible());
                       d->OK->click();
                     }));
  QCOMPARE(rig.form->link.GetRepeat1(), 5u);
  QCOMPARE(rig.form->link.GetRepeat2(), 10u);
  QCOMPARE(rig.form->link.GetDelayBeforeRequest(), 25u);
  QCOMPARE(rig.form->link.GetDelayBeforeReceive(), 20);
}

void PortDialogTest::ExchangeDialog_Cancelled_ChangesNothingAndRestoresControls() {
  MainWindowRig rig;
  QVERIFY(WhileModal([&] { rig.form->openExchangeSettings(); },
                     [](QWidget* w) {
                       auto* d = qobject_cast<ExchangeSettingsDialog*>(w);
                       d->UpDown1->setValue(40);
                       d->reject();
                     }));
  QCOMPARE(rig.form->link.GetDelayBeforeRequest(), 25u);
  QCOMPARE(rig.form->exchangeSettingsDialog->UpDown1->value(), 25);
  QVERIFY(WhileModal([&] { rig.form->openExchangeSettings(); },
                     [](QWidget* w) {
                       auto* d = qobject_cast<ExchangeSettingsDialog*>(w);
                       d->UpDown1->stepBy(100);  // the arrows stop at 100
                       d->OK->click();
                     }));
  QCOMPARE(rig.form->link.GetDelayBeforeRequest(), 100u);
}

void PortDialogTest::ExchangeDialog_ByteTimeout_ReachesTheLinkOnlyWithOk() {
  MainWindowRig rig;
  QCOMPARE(rig.form->link.EffectiveByteTimeoutMs(), 50);
  QVERIFY(WhileModal([&] { rig.form->openExchangeSettings(); },
                     [](QWidget* w) {
                       auto* d = qobject_cast<ExchangeSettingsDialog*>(w);
                       QCOMPARE(d->UpDownByteTimeout->text(), "авто");
                       d->UpDownByteTimeout->setValue(300);
                       d->reject();
                     }));
  QCOMPARE(rig.form->link.GetByteTimeout(), 0);
  QVERIFY(WhileModal([&] { rig.form->openExchangeSettings(); },
                     [](QWidget* w) {
                       auto* d = qobject_cast<ExchangeSettingsDialog*>(w);
                       QCOMPARE(d->UpDownByteTimeout->value(), 0);
                       d->UpDownByteTimeout->setValue(120);
                       d->OK->click();
                     }));
  QCOMPARE(rig.form->link.EffectiveByteTimeoutMs(), 120);
}

void PortDialogTest::ExchangeDialog_FromThePortDialog_AppliesAndStaysOpen() {
  MainWindowRig rig({"/tmp/zul-sim-1"});
  QCOMPARE(ModalSteps([&] { rig.form->openPortDialog(); },
                      {[](QWidget* w) { qobject_cast<PortDialog*>(w)->Button1->click(); },
                       [](QWidget* w) {
                         auto* d = qobject_cast<ExchangeSettingsDialog*>(w);
                         QVERIFY(d);
                         d->UpDown1->setValue(7);
                         d->OK->click();
                       },
                       [&](QWidget* w) {
                         QVERIFY(qobject_cast<PortDialog*>(w));
                         Settle();
                         QCOMPARE(rig.form->link.GetDelayBeforeRequest(), 7u);
                         Close()(w);
                       }}),
           size_t{0});
}

void PortDialogTest::NamedPort_OpenedAtStartWithTheDefaults() {
  MainWindowRig rig({"/tmp/zul-sim-7", "ttyS3"});
  rig.line.ForceOpen(false);
  rig.form->OpenNamedPort();
  Settle();
  QVERIFY(rig.line.IsOpen());
  QCOMPARE(rig.line.portName, std::string("/tmp/zul-sim-7"));
  QCOMPARE(rig.line.baud, 9600);
  QCOMPARE(rig.line.stopBits, 2);
  QVERIFY(rig.ui.Shown().empty());
}

void PortDialogTest::NamedPort_ThatCannotBeOpened_Reports132() {
  MainWindowRig rig({"/tmp/zul-sim-7"});
  rig.line.ForceOpen(false);
  rig.line.failOpen = true;
  rig.form->OpenNamedPort();
  Settle();
  QVERIFY(!rig.line.IsOpen());
  QVERIFY(QString::fromStdString(rig.ui.Last().text).contains("невозможно открыть последовательный порт"));
}

QTEST_MAIN(PortDialogTest)
#include "port_dialog_test.moc"
