#pragma once
// A function block editor over a simulated controller whose configuration
// has been read, with full access. A test's rig derives from it, adjusts the
// configuration, then calls Open().
#include <QWidget>
#include <memory>

#include "core/ScriptedInteraction.h"
#include "core/config/Configuration.h"
#include "core/config/ReadConfiguration.h"
#include "sim/SimulatedLine.h"
#include "support/WritingLink.h"
#include "ui/fb/FunctionBlockEditor.h"
#include "ui/inform/InformationWindows.h"
#include "ui/link/LinkWorker.h"

namespace zul::test {

struct FunctionBlockEditorRig {
  FunctionBlockEditorRig() : bus(clock), line(bus, clock), link(line, clock, ui) {
    controller = &bus.Add(ControllerSetup{});
    link.OpenPort();
    ReadConfiguration(link, config, ui);
    config.discreteProcessing.AccessLevel = 1;
    dialogs = CreateSignalDialogs(config, ui, &parent);
    editor = std::make_unique<FunctionBlockEditor>(config, link, gate, dialogs, ui, &parent);
  }
  // The editor as its window opens it; what it said so far is forgotten.
  void Open() {
    editor->Prepare();
    ui.Clear();
  }
  FunctionBlocks& fb() { return config.functionBlocks; }

  VirtualClock clock;
  SimulatedBus bus;
  SimulatedLine line;
  ScriptedInteraction ui;
  WritingLink link;
  Configuration config;
  LinkWorker gate{link, ui};
  QWidget parent;
  SignalDialogSet dialogs;
  std::unique_ptr<FunctionBlockEditor> editor;
  SimulatedController* controller = nullptr;
};

}  // namespace zul::test
