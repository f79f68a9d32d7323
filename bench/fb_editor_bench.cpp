// The function block editor with a full table: rebuilding the scheme of 120
// blocks (alarms, relays, 10 algorithms) against 30 ms, deleting 60 selected
// blocks of 120 with renumbering and rebuild against 50 ms, and the memory of
// the open editor (scene and a full history) against 30 MB.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QUndoStack>
#include <cstdio>
#include <fstream>
#include <string>

#include "core/ScriptedInteraction.h"
#include "core/config/Configuration.h"
#include "core/editing/FunctionBlockEditing.h"
#include "core/editing/FunctionBlockForm.h"
#include "core/link/Clock.h"
#include "core/link/ModbusLink.h"
#include "support/FakeSerialLine.h"
#include "support/WritingLink.h"
#include "ui/discrete/SignalDialogs.h"
#include "ui/fb/FunctionBlockEditor.h"
#include "ui/inform/InformationWindows.h"
#include "ui/link/LinkWorker.h"

namespace {

using namespace zul;
constexpr double kRebuildLimitMs = 30.0;
constexpr double kDeleteLimitMs = 50.0;
constexpr double kMemoryLimitMb = 30.0;

// 120 blocks of every kind, each reading the one before, alarms on every
// fourth of the first 62, relays on every fifth, ten algorithms of twelve.
void FillTable(Configuration& c) {
  c.service.SignalCount = 100;
  c.service.AnalogSignalCount = 12;
  c.service.IndicationCells = 24;
  c.service.DoModules = 3;
  FunctionBlocks& fb = c.functionBlocks;
  for (int i = 0; i < 120; ++i) {
    FunctionBlockValues v = ValuesForKind(i % 9);
    if (i > 0) v.inputs[0] = {1, srcFBOutput, std::to_string(i)};
    v.inputs[1] = {0, srcDiscrete, std::to_string(1 + i % 50)};
    fb.FBCount = i;
    StoreBlockValues(c, i, v, true);
    if (i < 62 && i % 4 == 1) {
      fb.SetAlarmType(i, 2);
      fb.SetCell(i, 1 + i % 20);
    }
    if (i % 5 == 2) fb.SetRelayByte(i, 1, 0x21);
  }
  fb.SetAlgCount(10);
  for (int a = 0; a < 10; ++a) {
    fb.SetAlgName(a, "Алгоритм " + std::to_string(a + 1));
    for (int k = 0; k < 12; ++k) fb.SetAlgMember(a, k, a * 12 + k + 1);
  }
  RebuildAlgorithmStarts(fb);
  fb.RecountBlocks();
}

struct Rig {
  Rig() : link(line, clock, ui) {
    FillTable(config);
    dialogs = CreateSignalDialogs(config, ui, &parent);
    editor = new FunctionBlockEditor(config, link, gate, dialogs, ui, &parent);
    editor->Prepare();
  }
  VirtualClock clock;
  test::FakeSerialLine line{&clock};
  ScriptedInteraction ui;
  zul::test::WritingLink link;
  Configuration config;
  LinkWorker gate{link, ui};
  QWidget parent;
  SignalDialogSet dialogs;
  FunctionBlockEditor* editor;
};

void ReportRatio(benchmark::State& state, double limitMs) {
  state.counters["ratio_to_limit"] = benchmark::Counter(
      limitMs / 1000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_RebuildScheme(benchmark::State& state) {
  Rig rig;
  for (auto _ : state) rig.editor->Rebuild();
  ReportRatio(state, kRebuildLimitMs);
}
BENCHMARK(BM_RebuildScheme)->Unit(benchmark::kMillisecond);

void BM_Delete60Of120(benchmark::State& state) {
  Rig rig;
  const FunctionBlockSnapshot full = FunctionBlockSnapshot::Take(rig.config);
  std::vector<int> selected;
  for (int i = 0; i < 120; i += 2) selected.push_back(i);
  for (auto _ : state) {
    state.PauseTiming();
    full.Restore(rig.config);
    rig.ui.QueueAnswer(Answer::Yes);
    state.ResumeTiming();
    DeleteSelectedBlocks(rig.config, selected, rig.ui);
    rig.editor->Rebuild();
  }
  ReportRatio(state, kDeleteLimitMs);
}
BENCHMARK(BM_Delete60Of120)->Unit(benchmark::kMillisecond);

double ResidentMb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      double kb = 0;
      status >> kb;
      return kb / 1024.0;
    }
    status.ignore(1 << 12, '\n');
  }
  return 0;
}

void MeasureMemory() {
  // The window under the editor is open and drawn before the count starts.
  QWidget mainWindow;
  mainWindow.resize(1200, 800);
  mainWindow.show();
  QApplication::processEvents();
  mainWindow.grab();
  const double before = ResidentMb();
  Rig rig;
  rig.editor->resize(1200, 800);
  rig.editor->show();
  QApplication::processEvents();
  // A full history: a hundred changes, each a block less or a copy more.
  for (int step = 0; step < kUndoSteps; ++step) {
    rig.ui.QueueAnswer(Answer::Yes);
    if (step % 2 == 0) {
      rig.editor->SelectOnly(rig.config.functionBlocks.FBCount - 1);
      rig.editor->deleteBlocks();
    } else {
      rig.editor->SelectOnly(0);
      rig.editor->copyBlocks();
      rig.editor->appendCopies();
    }
  }
  rig.editor->grab();
  const double after = ResidentMb();
  std::printf(
      "open editor, %d blocks, %d undo steps: %.1f MB above the main window, ratio to %.0f MB: %.3f\n",
      rig.config.functionBlocks.FBCount, rig.editor->History()->count(), after - before, kMemoryLimitMb,
      (after - before) / kMemoryLimitMb);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  MeasureMemory();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
