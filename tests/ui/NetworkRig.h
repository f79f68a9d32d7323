#pragma once
// A main window on a simulated controller for the local network tests.
#include <QDir>
#include <QLineEdit>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"
#include "ui/SimulatedRig.h"
#include "ui/UiTestSupport.h"
#include "ui/network/LocalNetworkWindow.h"
#include "ui/network/NetworkMasterEditor.h"

namespace zul::test {

// A main window on a simulated controller (two discrete input modules, an
// analog and a relay module: the network starts at discrete 48, analog 6),
// its configuration read.
struct NetworkRig {
  NetworkRig() {
    controller = &bus.Add({});
    ProgramOptions options;
    options.passwordFile = QDir(dir.path()).filePath("FParol.dat").toStdString();
    options.fileDirectory = dir.path();
    form = std::make_unique<MainWindow>(line, clock, ui, options);
    form->link.SetPortName("COM1");
    form->link.OpenPort();
    form->readFromController();
    Settle();
    form->discreteProcessing.AccessLevel = kFullAccess;
    ui.Clear();
  }
  LocalNetworkWindow& Net() { return *form->localNetworkWindow; }
  NetworkMasterEditor& Editor() { return *Net().masterEditor; }
  // Entry k created through its button: type, slave 3, outputs (and data count).
  void Create(int k, int type, int function, int outputs, std::function<void(QWidget*)> scaling = {}) {
    std::vector<std::function<void(QWidget*)>> steps{[=, this](QWidget*) {
      NetworkMasterEditor& e = Editor();
      e.onTypeChosen(type);
      if (e.Form().function != function) e.onFunctionChosen(function - 1);
      e.EditUstr->setText("3");
      if (outputs >= 0) {
        e.EditKolVh->setText(QString::number(outputs));
        e.EditKolDat->setText(QString::number(outputs));
      }
      e.accept();
    }};
    if (scaling) steps.push_back(scaling);
    QCOMPARE(ModalSteps([&] { Net().openEntry(k); }, steps), size_t{0});
  }
  std::vector<int> WrittenBlocks(size_t from) const {
    std::vector<int> blocks;
    for (size_t i = from; i < line.Written().size(); ++i) {
      const auto& frame = line.Written()[i];
      if (frame.size() > 2 && frame[1] == 69) blocks.push_back(frame[2]);
    }
    return blocks;
  }

  QTemporaryDir dir;
  VirtualClock clock;
  SimulatedBus bus{clock};
  SlowSimulatedLine line{bus, clock};  // real time per frame when a test asks for it
  ScriptedInteraction ui;
  SimulatedController* controller = nullptr;
  std::unique_ptr<MainWindow> form;
};

}  // namespace zul::test
