// The module windows, filled as the user sees them, show every text whole.
// With ZUL_SCREENSHOT_DIR set they are saved there as PNG files.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "ui/LayoutCheck.h"
#include "ui/UiTestSupport.h"
#include "ui/modules/AnalogModuleWindow.h"
#include "ui/modules/CalibrationWindow.h"
#include "ui/modules/RelayModuleWindow.h"
#include "ui/modules/SensorTypesWindow.h"

using namespace zul;
using namespace zul::test;

namespace {

struct ModuleRig : MainWindowRig {
  ModuleRig() {
    Compose({1, 10, 6, 8, 3, 12});
    form->analogModules.SetModuleDefaults(0, 6);
    form->analogModules.SetModuleDefaults(1, 8);
    form->analogModules.ChooseSensorType(1, 1, 14);  // "100M": free scale
    form->analogModules.ChooseSensorType(1, 2, 2);   // "XA(K)"
    form->analogModules.SetInputSignal(0, 1, 1);
    form->relayModules.SetDefaults();
    for (int o : {0, 1, 2}) form->relayModules.SetOutputType(o, 0, 0);
    form->relayModules.SetMode(0, 0, 0);  // light
    form->relayModules.SetMode(2, 0, 0);
    form->relayModules.SetAckInput(2, 0, 7);
    form->discreteProcessing.SetSensorType(3, 1, 1);
  }
  void Check(QWidget* w, const QString& name) {
    w->show();
    Settle();
    const QStringList clipped = Clipped(w);
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join("; ")));
    Save(w, name);
    w->hide();
  }
};

}  // namespace

class ModuleLayoutTest : public QObject {
  Q_OBJECT
 private slots:
  void AnalogModule_Lk7();
  void AnalogModule_Lk9();
  void RelayModule();
  void SensorTypes();
  void Calibration();
};

void ModuleLayoutTest::AnalogModule_Lk7() {
  ModuleRig rig;
  rig.form->analogModuleWindow->Prepare(3, 1, 6, "AI1_1 - AI1_6");
  rig.Check(rig.form->analogModuleWindow, "module_lk7");
}

void ModuleLayoutTest::AnalogModule_Lk9() {
  ModuleRig rig;
  rig.form->analogModuleWindow->Prepare(4, 2, 8, "AI2_1 - AI2_6");
  rig.Check(rig.form->analogModuleWindow, "module_lk9");
}

void ModuleLayoutTest::RelayModule() {
  ModuleRig rig;
  rig.form->relayModuleWindow->Prepare(5, 1, 3, rig.form->Rows[4].M->text());
  rig.Check(rig.form->relayModuleWindow, "relay_module");
}

void ModuleLayoutTest::SensorTypes() {
  ModuleRig rig;
  rig.form->sensorTypesWindow->Prepare(2, "ЛК-2", "DI_2_1 - DI_2_12");
  rig.Check(rig.form->sensorTypesWindow, "sensor_types");
}

void ModuleLayoutTest::Calibration() {
  ModuleRig rig;
  CalibrationWindow& k = *rig.form->calibrationWindow;
  std::array<QString, 6> positions, units;
  for (size_t c = 0; c < 6; ++c) {
    positions[c] = QString::fromStdString(rig.form->analogModules.GetPosition(1, static_cast<int>(c)));
    units[c] = "град.С";
  }
  k.Prepare(2, 8, QString::fromStdString("ЛК-9  ДКЖН.426439.009  ПО в.3.01  КС 9F04"), positions, units);
  Bytes online{0x01, 71, 48};
  const uint8_t status[] = {0x00, 0x20, 0x40, 0x80, 0x06, 0x03};
  for (uint8_t s : status) {
    for (char ch : std::string("  85,31")) online.push_back(static_cast<uint8_t>(ch));
    online.push_back(s);
  }
  rig.line.QueueFrame(online);
  rig.line.QueueFrame({0x01, 71, 8, ' ', ' ', '2', '1', ',', '0', '4', 0x00});
  Bytes codes{0x01, 68, 43, 61};  // the answer names the block asked for
  for (int ch = 0; ch < 7; ++ch) {
    codes.insert(codes.end(), {0x9C, 0xFF, 0x20, 0x0F});  // -100, 3872
  }
  for (int ch = 0; ch < 7; ++ch) codes.insert(codes.end(), {0x00, 0x08});  // 2048
  rig.line.QueueFrame(codes);
  k.poll();
  k.show();
  Settle();
  k.togglePolling();  // no polling while the picture is taken
  QCOMPARE(Clipped(&k), QStringList());
  Save(&k, "calibration");
  k.hide();
}

// The offscreen platform's one screen is 800x600; the module windows are laid
// out for a desktop screen, so the test gives the platform a larger one.
int main(int argc, char** argv) {
  if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
    const std::string config =
        (std::filesystem::temp_directory_path() / "zul_module_layout_screen.json").string();
    std::ofstream(config)
        << R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1600, "height": 1200,)"
        << R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.c_str());
  }
  QApplication app(argc, argv);
  ModuleLayoutTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "module_layout_test.moc"
