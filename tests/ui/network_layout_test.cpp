// The local network windows, filled as the user sees them, show every text
// whole. With ZUL_SCREENSHOT_DIR set they are saved there as PNG files.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "ui/LayoutCheck.h"
#include "ui/NetworkRig.h"
#include "ui/network/Function15Editor.h"
#include "ui/network/NetworkOnlineViews.h"
#include "ui/network/NetworkScalingWindow.h"

using namespace zul;
using namespace zul::test;

namespace {

// A network of four entries: ЗУЛ-01 (f1, 16), ЛК-13 (f3, 6), other (f3, 4), ЗУЛ-05 (f2, 8).
struct LayoutRig : NetworkRig {
  LayoutRig() {
    Net().Prepare(LocalNetworkMode::Blocks);
    auto close = [](QWidget* d) { d->close(); };
    Create(0, 0, 1, 16);
    Create(1, 4, 3, 6, close);
    Create(2, 15, 3, 4, close);
    Create(3, 5, 2, 8);
    form->networkMaster.SetPosition(6, "FT-301");
    form->function15Blocks.SetFunction(0, 15);
    form->function15Blocks.SetInputs(0, 4);
    form->function15Blocks.SetDataCount(0, 4);
    form->function15Blocks.SetSlave(0, 2);
    for (int i = 0; i < 4; ++i) form->function15Blocks.SetInputSignal(0, i, 49 + i);
    ui.Clear();
  }
  // `inside`: the part whose texts must be whole (a scrolled sheet), the window by default.
  void Check(QWidget* w, const QString& name, QWidget* inside = nullptr) {
    w->show();
    Settle();
    const QStringList clipped = Clipped(inside ? inside : w);
    QVERIFY2(clipped.isEmpty(), qPrintable(name + ": " + clipped.join("; ")));
    Save(w, name);
    w->hide();
  }
};

}  // namespace

class NetworkLayoutTest : public QObject {
  Q_OBJECT
 private slots:
  void NetworkWindow_data();
  void NetworkWindow();
  void MasterEditor_data();
  void MasterEditor();
  void Function15Editor();
  void ScalingWindow();
  void OnlineViews();
};

void NetworkLayoutTest::NetworkWindow_data() {
  QTest::addColumn<int>("mode");
  QTest::addColumn<QString>("name");
  QTest::newRow("blocks") << int(LocalNetworkMode::Blocks) << "local_network_blocks";
  QTest::newRow("line") << int(LocalNetworkMode::LineSettings) << "local_network_line";
  QTest::newRow("f15") << int(LocalNetworkMode::Function15) << "local_network_f15";
}

void NetworkLayoutTest::NetworkWindow() {
  QFETCH(int, mode);
  QFETCH(QString, name);
  LayoutRig rig;
  rig.Net().Prepare(static_cast<LocalNetworkMode>(mode));
  rig.Check(&rig.Net(), name);
}

void NetworkLayoutTest::MasterEditor_data() {
  QTest::addColumn<int>("entry");
  QTest::addColumn<int>("type");
  QTest::addColumn<QString>("name");
  QTest::newRow("zul01") << 0 << -1 << "master_editor_zul01";
  QTest::newRow("lk13") << 1 << -1 << "master_editor_lk13";
  QTest::newRow("other") << 2 << -1 << "master_editor_other";
  QTest::newRow("zul05") << 3 << -1 << "master_editor_zul05";
  QTest::newRow("lk12") << 4 << 1 << "master_editor_lk12";
  QTest::newRow("lk40") << 4 << 2 << "master_editor_lk40";
  QTest::newRow("new") << 4 << -2 << "master_editor_new";
}

void NetworkLayoutTest::MasterEditor() {
  QFETCH(int, entry);
  QFETCH(int, type);
  QFETCH(QString, name);
  LayoutRig rig;
  NetworkMasterEditor& e = rig.Editor();
  QVERIFY(e.Prepare(entry));
  if (type >= 0) {
    e.onTypeChosen(type);
    e.EditUstr->setText("9");
  }
  rig.Check(&e, name);
}

void NetworkLayoutTest::Function15Editor() {
  LayoutRig rig;
  rig.Net().function15Editor->Prepare(0);
  rig.Check(rig.Net().function15Editor, "function15_editor");
}

void NetworkLayoutTest::ScalingWindow() {
  LayoutRig rig;
  NetworkScalingWindow& s = *rig.Editor().scalingWindow;
  QVERIFY(s.Prepare(2));
  rig.Check(&s, "network_scaling", s.Sheet);
}

void NetworkLayoutTest::OnlineViews() {
  LayoutRig rig;
  rig.ui.QueueAnswer(Answer::Yes);
  rig.Net().accept();  // the controller learns the network
  NetworkAnalogOnline& a = *rig.Editor().analogOnline;
  QVERIFY(a.Prepare(1));
  a.poll();
  rig.Check(&a, "network_analog_online");
  NetworkDiscreteOnline& d = *rig.Editor().discreteOnline;
  QVERIFY(d.Prepare(3));
  d.poll();
  rig.Check(&d, "network_discrete_online");
  DiscreteRangeDialog& r = *d.rangeDialog;
  r.Prepare(68, 24);
  rig.Check(&r, "network_range_dialog");
}

QTEST_MAIN(NetworkLayoutTest)
#include "network_layout_test.moc"
