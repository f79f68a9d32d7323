#pragma once
// A main window whose port reaches a simulated controller in virtual time;
// SlowSimulatedLine also takes real time for every frame, as a slow line does.
#include <QDir>
#include <atomic>
#include <chrono>
#include <thread>

#include "core/config/AccessLevel.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"
#include "ui/UiTestSupport.h"

namespace zul::test {

class SlowSimulatedLine : public SimulatedLine {
 public:
  using SimulatedLine::SimulatedLine;
  std::atomic<int> realMsPerFrame{0};  // a test may change it while the link worker writes
  bool Write(std::span<const uint8_t> bytes) override {
    if (realMsPerFrame > 0) std::this_thread::sleep_for(std::chrono::milliseconds(realMsPerFrame));
    return SimulatedLine::Write(bytes);
  }
};

// A main window whose port reaches a simulated controller in virtual time.
struct SimulatedRig {
  explicit SimulatedRig(std::initializer_list<int> modules = {1, 1, 6, 3}) {
    ControllerSetup setup;
    setup.composition.modules = {};
    size_t slot = 0;
    for (int type : modules) setup.composition.modules[slot++] = static_cast<uint8_t>(type);
    controller = &bus.Add(setup);
    ProgramOptions options;
    options.passwordFile = QDir(dir.path()).filePath("FParol.dat").toStdString();
    options.fileDirectory = dir.path();
    form = std::make_unique<MainWindow>(line, clock, ui, options);
    form->ChooseFile = [](const FileDialogRequest&) { return QString(); };
    form->link.SetPortName("COM1");
    form->link.OpenPort();
    form->discreteProcessing.AccessLevel = kFullAccess;
  }
  QString Path(const char* name) const { return QDir(dir.path()).filePath(name); }
  void Answer(QString path) {
    form->ChooseFile = [path](const FileDialogRequest&) { return path; };
  }

  QTemporaryDir dir;
  VirtualClock clock;
  SimulatedBus bus{clock};
  SlowSimulatedLine line{bus, clock};
  ScriptedInteraction ui;
  SimulatedController* controller = nullptr;
  std::unique_ptr<MainWindow> form;
};

}  // namespace zul::test
