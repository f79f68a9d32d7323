// The discrete processing editor with a full scheme of 252 rows, on the
// offscreen platform: building the scheme from memory and a full redraw after
// a group paste, each as a ratio to 30 ms (the scheme built and the visible
// part painted), and the memory the open editor takes above the main window
// as a ratio to 30 MB.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "core/editing/DiscreteProcessingEditing.h"
#include "core/link/Clock.h"
#include "serial/QtSerialLine.h"
#include "ui/discrete/DiscreteProcessingEditor.h"
#include "ui/main/MainWindow.h"
#include "ui/widgets/QtInteraction.h"

namespace {

using namespace zul;
using Ms = std::chrono::duration<double, std::milli>;
constexpr double kLimitMs = 30.0;
constexpr double kLimitMb = 30.0;

struct Program {
  Program() : form(line, clock, ui, Options()) {
    ServiceBlock& s = form.service;
    s.DiModules = 2;
    s.AiModules = 2;
    s.DoModules = 8;
    s.RecountIO();
    s.SetIndicationType(1);
    s.SetSignalCount(252);
    s.DefaultIdentifiers();
    for (int i = 0; i < 252; ++i) {
      form.discreteProcessing.SetRecord(
          i, {static_cast<uint8_t>(0x60 | (i % 24 + 1)), static_cast<uint8_t>(i), 1, 0, 0, 0, 0, 0, 0x80,
              static_cast<uint8_t>(i % 60 + 1), 0});
      s.SetText(i, "Сигнал " + std::to_string(i + 1));
    }
    s.FileMode = 1;  // the editor builds from memory
  }
  static ProgramOptions Options() {
    ProgramOptions o;
    o.passwordFile = "/nonexistent/FParol.dat";
    return o;
  }
  DiscreteProcessingEditor& Editor() { return *form.discreteProcessingEditor; }
  // What the user sees after a change: the visible rows painted.
  void Paint() {
    QImage image(Editor().ScrollBox1->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    Editor().ScrollBox1->render(&p);
  }

  QtSerialLine line;
  SteadyClock clock;
  QtInteraction ui;
  MainWindow form;
};

Program* program = nullptr;

double Timed(const std::function<void()>& work) {
  const auto t0 = std::chrono::steady_clock::now();
  work();
  return Ms(std::chrono::steady_clock::now() - t0).count();
}

void Report(benchmark::State& state, std::vector<double>& times) {
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  state.counters["median_ms"] = median;
  state.counters["ratio_to_30ms"] = median / kLimitMs;
}

void BM_BuildScheme252Rows(benchmark::State& state) {
  std::vector<double> times;
  for (auto _ : state) {
    // A fresh scene each time, as a reopened editor has.
    program->Editor().scene->clear();
    delete program->Editor().scene;
    program->Editor().scene = new DiscreteSchemeScene(program->form.config, &program->Editor());
    program->Editor().ScrollBox1->setScene(program->Editor().scene);
    const double ms = Timed([] {
      program->Editor().OpenFileClick();
      program->Paint();
    });
    times.push_back(ms);
    state.SetIterationTime(ms / 1000);
  }
  Report(state, times);
}
BENCHMARK(BM_BuildScheme252Rows)->Iterations(30)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_RedrawAfterGroupPaste(benchmark::State& state) {
  std::vector<double> times;
  Configuration& c = program->form.config;
  SelectAll(c.discreteProcessing);
  CopySelected(c);
  for (auto _ : state) {
    const double ms = Timed([&] {
      program->Editor().Undo().Record("Вставить", [&] { PasteFrom(c, 1); });
      program->Editor().Redraw();
      program->Paint();
    });
    times.push_back(ms);
    state.SetIterationTime(ms / 1000);
  }
  Report(state, times);
}
BENCHMARK(BM_RedrawAfterGroupPaste)->Iterations(30)->UseManualTime()->Unit(benchmark::kMillisecond);

double ResidentMb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void QuietOffscreen(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (text.contains("propagateSizeHints")) return;
  std::fprintf(stderr, "%s\n", qPrintable(text));
  if (type == QtFatalMsg) std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  qInstallMessageHandler(QuietOffscreen);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  Program p;
  program = &p;
  // The main window is not shown: its first showing asks for the password.
  QCoreApplication::processEvents();
  const double before = ResidentMb();
  p.Editor().resize(1000, 700);
  p.Editor().Prepare();
  p.Editor().show();
  for (int k = 0; k < 5; ++k) QCoreApplication::processEvents();
  // Scroll through the whole scheme so every row's cache exists.
  for (int row = 0; row < 252; row += 10) {
    p.Editor().ScrollToRow(row);
    p.Paint();
  }
  const double open = ResidentMb() - before;
  std::printf("open editor with %d rows: %.1f MB above the main window, ratio to %.0f MB: %.3f\n",
              p.form.discreteProcessing.RowCount, open, kLimitMb, open / kLimitMb);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  p.Editor().hide();
  return 0;
}
