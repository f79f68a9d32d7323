// zul fleet: backup, verify or scan the controllers of many lines at once,
// one worker thread per line (requests stay strictly one after another on
// each line), with a progress bar per line and a summary at the end.
#include <unistd.h>

#include <QCommandLineParser>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "cli/Command.h"
#include "cli/FleetInventory.h"
#include "core/config/Configuration.h"
#include "core/config/ControllerImage.h"
#include "core/config/LineScan.h"
#include "core/config/ReadConfiguration.h"
#include "core/config/ZulFile.h"

namespace zul::cli {
namespace {

enum class FleetAction { Backup, Verify, Scan };

struct Outcome {
  QString line;
  int address = 0;
  bool ok = false;
  QString result;
  qint64 bytes = 0;  // of the file written or compared
  qint64 ms = 0;
};

// What a line's worker shows on its bar; read by the main thread.
struct LineProgress {
  std::atomic<int> devicesDone{0};
  std::atomic<int> address{0};
  std::atomic<int> value{0};
  std::atomic<int> maximum{0};
  std::atomic<bool> finished{false};
};

// Messages are kept (the last one says why a controller failed), questions
// get their "no": a fleet runs unattended.
class FleetInteraction : public Interaction {
 public:
  explicit FleetInteraction(LineProgress& progress) : progress_(progress) {}
  Answer Ask(const Message& message) override {
    last_ = message.text;
    return message.buttons == Buttons::Ok ? Answer::Ok : Answer::No;
  }
  void Progress(int value, int maximum) override {
    progress_.value = value;
    progress_.maximum = maximum;
  }
  void Beep() override {}
  std::string TakeLast() { return std::exchange(last_, {}); }

 private:
  LineProgress& progress_;
  std::string last_;
};

QString Text(const std::string& s) { return QString::fromStdString(s).simplified(); }

std::filesystem::path DeviceFile(const std::filesystem::path& folder, const FleetLine& line, int address) {
  return folder / line.name.toStdString() / (std::to_string(address) + ".zul");
}

void Backup(ModbusLink& port, FleetInteraction& ui, const std::filesystem::path& path, Outcome& out) {
  auto config = std::make_unique<Configuration>();
  config->service.CurrentDevice = out.address - 1;
  const ReadResult read = ReadConfiguration(port, *config, ui);
  if (!read.ok) {
    const std::string why = ui.TakeLast();
    out.result = Text(why.empty() ? read.Describe() : why);
    return;
  }
  const std::vector<uint8_t> bytes = ZulFileBytes(*config);
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  if (!WriteFileReplacing(path, bytes)) {
    out.result = "cannot write " + QString::fromStdString(path.string());
    return;
  }
  out.ok = true;
  out.bytes = static_cast<qint64>(bytes.size());
  out.result = "saved " + QString::fromStdString(path.string());
}

void Verify(ModbusLink& port, FleetInteraction& ui, const std::filesystem::path& path, Outcome& out) {
  auto file = std::make_unique<Configuration>();
  const ZulOpenResult opened = OpenZulFile(path, *file, ui);
  if (opened != ZulOpenResult::Loaded && opened != ZulOpenResult::LoadedShort) {
    out.result = "cannot open " + QString::fromStdString(path.string());
    ui.TakeLast();
    return;
  }
  std::error_code ec;
  out.bytes = static_cast<qint64>(std::filesystem::file_size(path, ec));
  auto device = std::make_unique<Configuration>();
  device->service.CurrentDevice = out.address - 1;
  const ReadResult read = ReadConfiguration(port, *device, ui);
  if (!read.ok) {
    const std::string why = ui.TakeLast();
    out.result = Text(why.empty() ? read.Describe() : why);
    return;
  }
  // Every byte of every block, as `zul verify` compares.
  const auto differences =
      static_cast<int>(CompareBlocks(EncodeBlocks(*file), device->image.Blocks()).size());
  out.ok = differences == 0;
  out.result = differences == 0 ? QString("equal") : QString("%1 difference(s)").arg(differences);
}

void Scan(ModbusLink& port, FleetInteraction& ui, Outcome& out) {
  const ScanResult scan = ScanLine(port, out.address, out.address);
  if (scan.failure != 0) {
    ui.TakeLast();
    out.result = Text(port.ErrorText(out.address - 1, scan.failure));
  } else if (scan.found.empty()) {
    out.result = "no answer";
  } else {
    out.ok = true;
    out.result = QString("modules %1 indication %2")
                     .arg(QString::fromStdString(scan.found.front().CompositionText()))
                     .arg(scan.found.front().indication);
  }
}

// One line's worker: opens its port and asks its controllers one after another.
std::vector<Outcome> RunLine(const FleetLine& line, FleetAction action, const std::filesystem::path& folder,
                             LineProgress& progress) {
  FleetInteraction ui(progress);
  LinkSession session(ui);
  session.port.SetPortName(line.options.port.toStdString());
  session.port.SetBaudText(line.options.baud.toStdString());
  session.port.SetParityText(line.options.parity.toStdString());
  session.port.SetStopBitsText(line.options.stopBits.toStdString());
  if (line.options.delayMs >= 0)
    session.port.SetDelayBeforeRequest(static_cast<unsigned>(line.options.delayMs));
  const bool open = session.port.OpenPort() == 0;
  QString openFailure;
  if (!open) {
    const std::string why = session.line.FailureReason();
    openFailure = "cannot open the port" + (why.empty() ? QString() : ": " + Text(why));
  }
  // A scan waits only briefly where nobody may answer.
  if (action == FleetAction::Scan) session.line.SetAnswerTimeLimitMs(200);

  std::vector<Outcome> outcomes;
  for (int address : line.devices) {
    progress.address = address;
    progress.value = 0;
    progress.maximum = 0;
    Outcome out;
    out.line = line.name;
    out.address = address;
    const auto start = std::chrono::steady_clock::now();
    if (!open) {
      out.result = openFailure;
    } else if (action == FleetAction::Scan) {
      Scan(session.port, ui, out);
    } else if (action == FleetAction::Backup) {
      Backup(session.port, ui, DeviceFile(folder, line, address), out);
    } else {
      Verify(session.port, ui, DeviceFile(folder, line, address), out);
    }
    out.ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                 .count();
    outcomes.push_back(out);
    ++progress.devicesDone;
  }
  session.port.ClosePort();
  progress.finished = true;
  return outcomes;
}

// One bar a line, redrawn in place.
void DrawBars(const std::vector<FleetLine>& lines, const std::vector<std::unique_ptr<LineProgress>>& progress,
              bool again) {
  if (again) std::fprintf(stderr, "\x1b[%zuA", lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    const LineProgress& p = *progress[i];
    const int total = static_cast<int>(lines[i].devices.size());
    const int done = p.devicesDone;
    const int maximum = p.maximum;
    const double part = maximum > 0 ? static_cast<double>(p.value) / maximum : 0;
    const double whole = total > 0 ? (done + (p.finished ? 0 : part)) / total : 1;
    const int width = 30;
    const int filled = std::clamp(static_cast<int>(whole * width), 0, width);
    std::fprintf(stderr, "\x1b[2K%-16s [%s%s] %d/%d %s\n", lines[i].name.toLocal8Bit().constData(),
                 std::string(static_cast<size_t>(filled), '#').c_str(),
                 std::string(static_cast<size_t>(width - filled), '.').c_str(), done, total,
                 p.finished ? "done" : QString("address %1").arg(p.address.load()).toLocal8Bit().constData());
  }
  std::fflush(stderr);
}

void PrintTable(const std::vector<Outcome>& outcomes) {
  std::printf("%-7s %-16s %-4s %9s %8s  %s\n", "device", "line", "ok", "bytes", "time s", "result");
  for (const Outcome& o : outcomes) {
    std::printf("%-7d %-16s %-4s %9lld %8.1f  %s\n", o.address, o.line.toLocal8Bit().constData(),
                o.ok ? "yes" : "NO", static_cast<long long>(o.bytes), o.ms / 1000.0,
                o.result.toLocal8Bit().constData());
  }
}

void PrintJson(const std::vector<Outcome>& outcomes, const char* action, qint64 wallMs) {
  QJsonArray devices;
  bool all = true;
  for (const Outcome& o : outcomes) {
    devices.append(QJsonObject{{"line", o.line},
                               {"address", o.address},
                               {"ok", o.ok},
                               {"result", o.result},
                               {"bytes", o.bytes},
                               {"ms", o.ms}});
    all = all && o.ok;
  }
  const QJsonObject summary{{"action", action}, {"ok", all}, {"wall_ms", wallMs}, {"devices", devices}};
  std::printf("%s", QJsonDocument(summary).toJson(QJsonDocument::Indented).constData());
}

}  // namespace

int RunFleet(const QStringList& args) {
  QCommandLineParser parser;
  parser.addPositionalArgument("action", "backup, verify or scan.");
  parser.addPositionalArgument("inventory", "The lines and their devices (JSON or text, see the README).");
  parser.addOptions(
      {{{"o", "output"}, "Backup folder: files go to DIR/LINE/ADDRESS.zul (verify reads them).", "DIR"},
       {"json", "Print the summary as JSON on stdout."}});
  if (auto exit = ParseArguments(parser, "fleet", args)) return *exit;
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 2) return UsageError("fleet", "an action and an inventory file are needed");
  const QString actionName = positional[0];
  FleetAction action;
  if (actionName == "backup")
    action = FleetAction::Backup;
  else if (actionName == "verify")
    action = FleetAction::Verify;
  else if (actionName == "scan")
    action = FleetAction::Scan;
  else
    return UsageError("fleet", "the action must be backup, verify or scan");
  if (action != FleetAction::Scan && !parser.isSet("output"))
    return UsageError("fleet", "-o DIR is required");

  QFile file(positional[1]);
  if (!file.open(QIODevice::ReadOnly)) return UsageError("fleet", "cannot read " + positional[1]);
  QString error;
  const auto lines = ParseInventory(file.readAll(), error);
  if (!lines) return UsageError("fleet", positional[1] + ": " + error);
  const std::filesystem::path folder = parser.value("output").toStdString();
  if (action == FleetAction::Backup) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder)) {
      std::fprintf(stderr, "zul fleet: cannot create the folder %s\n", folder.string().c_str());
      return kExitFailure;
    }
  }

  const auto start = std::chrono::steady_clock::now();
  std::vector<std::unique_ptr<LineProgress>> progress;
  std::vector<std::vector<Outcome>> results(lines->size());
  // QThreads: the port and socket objects want a Qt thread to live in.
  std::vector<std::unique_ptr<QThread>> workers;
  for (size_t i = 0; i < lines->size(); ++i) {
    progress.push_back(std::make_unique<LineProgress>());
    workers.emplace_back(
        QThread::create([&, i] { results[i] = RunLine((*lines)[i], action, folder, *progress[i]); }));
    workers.back()->start();
  }
  const bool bars = isatty(STDERR_FILENO);
  for (bool drawn = false;; drawn = true) {
    const bool all =
        std::all_of(progress.begin(), progress.end(), [](const auto& p) { return p->finished.load(); });
    if (bars) DrawBars(*lines, progress, drawn);
    if (all) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  for (auto& w : workers) w->wait();
  const qint64 wallMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();

  std::vector<Outcome> outcomes;
  for (auto& r : results) outcomes.insert(outcomes.end(), r.begin(), r.end());
  const bool allOk = std::all_of(outcomes.begin(), outcomes.end(), [](const Outcome& o) { return o.ok; });
  if (parser.isSet("json")) {
    PrintJson(outcomes, actionName.toLatin1().constData(), wallMs);
  } else {
    PrintTable(outcomes);
  }
  std::fprintf(stderr, "%zu of %zu controller(s) ok on %zu line(s) in %.1f s\n",
               static_cast<size_t>(
                   std::count_if(outcomes.begin(), outcomes.end(), [](const Outcome& o) { return o.ok; })),
               outcomes.size(), lines->size(), wallMs / 1000.0);
  return allOk ? kExitOk : kExitFailure;
}

}  // namespace zul::cli
