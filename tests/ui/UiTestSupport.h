#pragma once
// Helpers for the window tests: a main window over the fake line with a
// scripted Interaction, and a way to act inside a modal dialog.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "core/ScriptedInteraction.h"
#include "core/link/Clock.h"
#include "support/FakeSerialLine.h"
#include "ui/LayoutCheck.h"
#include "ui/link/LinkWorker.h"
#include "ui/main/MainWindow.h"

namespace zul::test {

// Keeps the link worker busy with a job that waits until this is destroyed,
// as a long exchange would.
class HeldLine {
 public:
  explicit HeldLine(LinkWorker& worker) {
    worker.Post({[state = state_](Interaction&) {
      std::unique_lock lock(state->mutex);
      state->released.wait(lock, [&] { return state->free; });
    }});
  }
  ~HeldLine() {
    {
      std::lock_guard lock(state_->mutex);
      state_->free = true;
    }
    state_->released.notify_all();
    Settle();
  }
  HeldLine(const HeldLine&) = delete;
  HeldLine& operator=(const HeldLine&) = delete;

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable released;
    bool free = false;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

// Runs `start`, which opens modal dialogs, and hands each dialog that comes
// up to the next step; every step must close its dialog. Returns the number
// of steps left unused (0 when every step ran).
inline size_t ModalSteps(const std::function<void()>& start,
                         std::vector<std::function<void(QWidget*)>> steps) {
  struct State {
    std::deque<std::function<void(QWidget*)>> steps;
    bool done = false;
    QWidget* last = nullptr;
  };
  auto state = std::make_shared<State>();
  state->steps.assign(steps.begin(), steps.end());
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [state, weak = std::weak_ptr<std::function<void()>>(poll)] {
    if (state->done || state->steps.empty()) return;
    // Armed before the step runs: a step may open a dialog of its own.
    if (auto again = weak.lock()) QTimer::singleShot(0, *again);
    QWidget* w = QApplication::activeModalWidget();
    // The progress of an exchange is no step: the dialogs it leads to are.
    const bool progress = w && w->objectName() == "ExchangeProgress";
    if (w && w->isVisible() && w != state->last && !progress) {
      state->last = w;
      auto step = std::move(state->steps.front());
      state->steps.pop_front();
      step(w);
      // Once closed, the same dialog may come up again for the next step.
      if (!w->isVisible()) state->last = nullptr;
    }
  };
  QTimer::singleShot(0, *poll);
  start();
  // What `start` posted to the link worker, and the dialogs its results bring.
  Settle();
  state->done = true;
  return state->steps.size();
}

inline bool WhileModal(const std::function<void()>& start, const std::function<void(QWidget*)>& inside) {
  return ModalSteps(start, {inside}) == 0;
}

// The identity answer of a controller with these module types in slots 1..
inline Bytes IdentityAnswer(std::initializer_list<int> types, int address = 1, int indication = 1) {
  constexpr size_t kHead = 3;
  Bytes answer(kHead + 23, 0);
  answer[0] = static_cast<uint8_t>(address);
  answer[1] = 17;
  answer[2] = 23;
  uint8_t* identity = answer.data() + kHead;
  int slot = 1, di = 0, ai = 0, doMods = 0;
  for (int t : types) {
    identity[slot++] = static_cast<uint8_t>(t);
    const auto g = ServiceBlock::GroupOf(t);
    di += g == ServiceBlock::ModuleGroup::DiscreteInput;
    ai += g == ServiceBlock::ModuleGroup::Analog;
    doMods += g == ServiceBlock::ModuleGroup::RelayOutput;
  }
  identity[0] = static_cast<uint8_t>(di + ai + doMods);
  identity[19] = static_cast<uint8_t>(8 * doMods);
  identity[20] = static_cast<uint8_t>(12 * di + 24 * ai);
  identity[21] = static_cast<uint8_t>(6 * ai);
  identity[22] = static_cast<uint8_t>(indication);
  return answer;
}

// A main window on the fake line, not shown (so no password dialog).
struct MainWindowRig {
  explicit MainWindowRig(std::vector<std::string> namedPorts = {}) {
    line.ForceOpen(true);
    ProgramOptions options;
    options.namedPorts = std::move(namedPorts);
    options.passwordFile = (QDir(dir.path()).filePath("FParol.dat")).toStdString();
    options.fileDirectory = dir.path();
    form = std::make_unique<MainWindow>(line, clock, ui, options);
    // No real file dialog in a test: cancelled unless the test says otherwise.
    form->ChooseFile = [](const FileDialogRequest&) { return QString(); };
  }

  // The composition as a read from the controller leaves it.
  void Compose(std::initializer_list<int> types) {
    form->service.DecodeIdentity(17, IdentityAnswer(types));
    form->service.RecountIO();
    form->service.ClearIdentifiers();
    form->service.DefaultIdentifiers();
    form->service.DefaultOutputIdentifiers();
    form->RefreshModuleTable();
  }

  QTemporaryDir dir;
  VirtualClock clock;
  FakeSerialLine line{&clock};
  ScriptedInteraction ui;
  std::unique_ptr<MainWindow> form;
};

}  // namespace zul::test
