// zul scan, backup, poll: the whole line at once, and one request over and over.
#include <unistd.h>

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/Command.h"
#include "cli/LinkSession.h"
#include "core/config/Configuration.h"
#include "core/config/LineScan.h"
#include "core/config/ReadConfiguration.h"
#include "core/config/ZulFile.h"
#include "core/link/TrafficLog.h"

namespace zul::cli {
namespace {

constexpr int kDefaultScanAnswerMs = 200;
constexpr int kUsbLatencyMarginMs = 10;

struct AddressRange {
  int from = 1;
  int to = 31;
};

void AddRangeOptions(QCommandLineParser& parser) {
  parser.addOptions({{"from", "First address to ask (default 1).", "N", "1"},
                     {"to", "Last address to ask (default 31).", "N", "31"},
                     {"answer-ms", "How long to wait for an answer, ms (default 200).", "MS", "200"}});
}

// The range and answer time, or a usage error text.
bool ReadRange(const QCommandLineParser& parser, AddressRange& range, int& answerMs, QString& error) {
  bool okFrom = false, okTo = false, okAnswer = false;
  range.from = parser.value("from").toInt(&okFrom);
  range.to = parser.value("to").toInt(&okTo);
  answerMs = parser.value("answer-ms").toInt(&okAnswer);
  if (!okFrom || !okTo || range.from < 1 || range.to > 31 || range.from > range.to) {
    error = "--from и --to: адреса 1..31, --from не больше --to";
    return false;
  }
  if (!okAnswer || answerMs < 10 || answerMs > 10000) {
    error = "--answer-ms: 10..10000 мс";
    return false;
  }
  return true;
}

// Scans with the short answer time; prints why when the port failed.
std::optional<ScanResult> Scan(LinkSession& session, const AddressRange& range, int answerMs, bool quiet) {
  session.line.SetAnswerTimeLimitMs(answerMs);
  ScanResult result = ScanLine(session.port, range.from, range.to, [quiet](int address) {
    if (!quiet && isatty(STDERR_FILENO)) std::fprintf(stderr, "\rадрес %d ", address);
    return true;
  });
  session.line.SetAnswerTimeLimitMs(0);
  if (!quiet && isatty(STDERR_FILENO)) std::fprintf(stderr, "\r");
  if (result.failure != 0) {
    std::fprintf(stderr, "zul: %s\n", session.port.ErrorText(0, result.failure).c_str());
    return std::nullopt;
  }
  return result;
}

bool OpenLine(const char* command, const QCommandLineParser& parser, LineOptions& line, int* exit) {
  QString error;
  if (!ReadLineOptions(parser, line, error)) {
    *exit = UsageError(command, error);
    return false;
  }
  return true;
}

double Median(std::vector<int> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Bytes of a whole answer to the polled request, for its wire time.
int ExpectedAnswerBytes(const std::vector<TrafficRecord>& records) {
  for (const TrafficRecord& r : records)
    if (!r.request && r.result == kResultOk) return static_cast<int>(r.bytes.size());
  return 0;
}

bool IsUsbAdapter(const QString& port) { return port.contains("ttyUSB") || port.contains("ttyACM"); }

// One line per address that answered; `prefix` names the line settings when several are tried.
void PrintAnswered(const ScanResult& result, const std::string& prefix) {
  std::vector<FoundController> all = result.found;
  all.insert(all.end(), result.damaged.begin(), result.damaged.end());
  std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.address < b.address; });
  for (const FoundController& c : all) {
    if (c.Damaged())
      std::printf("%s%d\t%s (%s)\n", prefix.c_str(), c.address, kDamagedAnswerText,
                  ResultCodeShortText(c.result).c_str());
    else
      std::printf("%s%d\tмодули %s\tиндикация %s\n", prefix.c_str(), c.address, c.CompositionText().c_str(),
                  IndicationText(c.indication).c_str());
  }
}

// --bauds 9600,19200: the speeds to try, each with every parity.
bool ReadBauds(const QString& text, std::vector<QString>& bauds) {
  for (const QString& item : text.split(',', Qt::SkipEmptyParts)) {
    bool ok = false;
    if (!IsSupportedBaudRate(item.trimmed().toInt(&ok)) || !ok) return false;
    bauds.push_back(item.trimmed());
  }
  return !bauds.empty();
}

// The same scan at every speed and parity: where do controllers answer?
int ScanEverySetting(LinkSession& session, LineOptions line, const std::vector<QString>& bauds,
                     const AddressRange& range, int answerMs) {
  int settingsWithAnswers = 0;
  for (const QString& baud : bauds) {
    for (const char* parity : {"N", "E", "O"}) {
      line.baud = baud;
      line.parity = parity;
      if (!session.Open(line)) return kExitFailure;
      const std::string setting = baud.toStdString() + " " + parity;
      if (isatty(STDERR_FILENO)) std::fprintf(stderr, "\r%s        \n", setting.c_str());
      const auto result = Scan(session, range, answerMs, false);
      if (!result) return kExitFailure;
      PrintAnswered(*result, setting + "\t");
      if (!result->found.empty()) ++settingsWithAnswers;
    }
  }
  std::fprintf(stderr, "приборы отвечают без ошибок при настройках: %d из %zu\n", settingsWithAnswers,
               bauds.size() * 3);
  return kExitOk;
}

}  // namespace

int RunScan(const QStringList& args) {
  QCommandLineParser parser;
  AddLineOptions(parser, nullptr);
  AddRangeOptions(parser);
  parser.addOption({"bauds",
                    "Try these speeds, each with parity N, E and O, and list where controllers "
                    "answer (default: --baud and --parity only).",
                    "B,B,..."});
  if (auto exit = ParseArguments(parser, "scan", args)) return *exit;
  LineOptions line;
  AddressRange range;
  int answerMs = kDefaultScanAnswerMs;
  QString error;
  if (!ReadLineOptions(parser, line, error, false)) return UsageError("scan", error);
  if (!ReadRange(parser, range, answerMs, error)) return UsageError("scan", error);
  std::vector<QString> bauds;
  if (parser.isSet("bauds") && !ReadBauds(parser.value("bauds"), bauds))
    return UsageError("scan", "--bauds: скорости через запятую из 110 .. 115200");

  ConsoleInteraction ui(AnswerPolicy::No);
  LinkSession session(ui);
  if (!bauds.empty()) return ScanEverySetting(session, line, bauds, range, answerMs);
  if (!session.Open(line)) return kExitFailure;
  const auto result = Scan(session, range, answerMs, false);
  if (!result) return kExitFailure;
  PrintAnswered(*result, "");
  std::fprintf(stderr, "найдено приборов: %zu на адресах %d..%d\n", result->found.size(), range.from,
               range.to);
  if (!result->damaged.empty()) {
    std::fprintf(stderr, "%s: %zu; %s (--bauds пробует другие)\n", kDamagedAnswerText, result->damaged.size(),
                 kDamagedAnswerHint);
  }
  return kExitOk;
}

int RunBackup(const QStringList& args) {
  QCommandLineParser parser;
  AddLineOptions(parser);
  AddRangeOptions(parser);
  parser.addOptions({{"all", "Every controller a scan of the line finds (default: the --device one)."},
                     {{"o", "output"}, "Folder the files go to, as <address>.zul.", "DIR"},
                     {"yes", "Replace files of the same name in the folder (default: leave them, fail)."}});
  if (auto exit = ParseArguments(parser, "backup", args)) return *exit;
  LineOptions line;
  AddressRange range;
  int answerMs = kDefaultScanAnswerMs;
  int exit = kExitOk;
  QString error;
  if (!OpenLine("backup", parser, line, &exit)) return exit;
  if (!ReadRange(parser, range, answerMs, error)) return UsageError("backup", error);
  if (!parser.isSet("output")) return UsageError("backup", "не указан -o DIR");
  const std::filesystem::path folder = parser.value("output").toStdString();
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder)) {
    std::fprintf(stderr, "zul backup: не удается создать папку %s\n", folder.string().c_str());
    return kExitFailure;
  }

  ConsoleInteraction ui(AnswerPolicy::No);
  LinkSession session(ui);
  if (!session.Open(line)) return kExitFailure;
  std::vector<int> addresses;
  if (parser.isSet("all")) {
    const auto result = Scan(session, range, answerMs, false);
    if (!result) return kExitFailure;
    for (const FoundController& c : result->found) addresses.push_back(c.address);
  } else {
    addresses.push_back(line.deviceIndex + 1);
  }
  int failed = 0;
  for (int address : addresses) {
    const std::filesystem::path path = folder / (std::to_string(address) + ".zul");
    // The folder may hold the engineer's own file of that name: never lost without --yes.
    if (!parser.isSet("yes") && std::filesystem::exists(path)) {
      std::fprintf(stderr, "%d: файл %s уже есть, не заменен (--yes заменяет)\n", address,
                   path.string().c_str());
      ++failed;
      continue;
    }
    auto config = std::make_unique<Configuration>();
    config->service.CurrentDevice = address - 1;
    const ReadResult read = ReadConfiguration(session.port, *config, ui);
    if (!read.ok) {
      std::fprintf(stderr, "%d: %s\n", address, read.Describe().c_str());
      ++failed;
    } else if (!WriteFileReplacing(path, ZulFileBytes(*config))) {
      std::fprintf(stderr, "%d: не удается записать %s\n", address, path.string().c_str());
      ++failed;
    } else {
      std::printf("%d\t%s\n", address, path.string().c_str());
    }
  }
  if (addresses.empty()) std::fprintf(stderr, "приборы не найдены\n");
  return failed == 0 && !addresses.empty() ? kExitOk : kExitFailure;
}

int RunPoll(const QStringList& args) {
  QCommandLineParser parser;
  AddLineOptions(parser);
  parser.addOptions({{"function", "17 (identity) or 68 (a configuration block) (default 17).", "F", "17"},
                     {"block", "Block number for function 68 (default 0).", "N", "0"},
                     {"count", "How many requests (default 10).", "N", "10"},
                     {"interval", "Pause between requests, ms (default 1000).", "MS", "1000"}});
  if (auto exit = ParseArguments(parser, "poll", args)) return *exit;
  LineOptions line;
  int exit = kExitOk;
  if (!OpenLine("poll", parser, line, &exit)) return exit;
  bool ok = false;
  const int function = parser.value("function").toInt(&ok);
  if (!ok || (function != 17 && function != 68)) return UsageError("poll", "--function: 17 или 68");
  const int block = parser.value("block").toInt(&ok);
  if (!ok || block < 0 || block > 255) return UsageError("poll", "--block: 0..255");
  const int count = parser.value("count").toInt(&ok);
  if (!ok || count < 1 || count > 1000000) return UsageError("poll", "--count: 1..1000000");
  const int interval = parser.value("interval").toInt(&ok);
  if (!ok || interval < 0 || interval > 3600000) return UsageError("poll", "--interval: 0..3600000 мс");

  ConsoleInteraction ui(AnswerPolicy::No);
  LinkSession session(ui);
  if (!session.Open(line)) return kExitFailure;
  // One try per request, so that every drop and bad checksum shows as itself.
  session.port.SetRepeat1(1);
  session.port.SetRepeat2(1);
  TrafficLog log;
  session.port.SetFrameObserver(&log);

  const uint8_t data[1] = {static_cast<uint8_t>(block)};
  const size_t dataCount = function == 68 ? 1 : 0;
  std::array<uint8_t, kAnswerBufferSize> answer{};
  std::vector<int> roundTrips;
  int portFailure = 0;
  uint64_t seen = 0;
  for (int n = 1; n <= count; ++n) {
    if (n > 1 && interval > 0) std::this_thread::sleep_for(std::chrono::milliseconds(interval));
    const int result = session.port.Request(line.deviceIndex, static_cast<uint8_t>(function),
                                            std::span(data).first(dataCount), answer);
    int roundTrip = -1;
    for (const TrafficRecord& r : log.Since(seen)) {
      seen = r.sequence;
      if (!r.request && r.result == kResultOk) roundTrip = r.roundTripMs;
    }
    if (result == kResultOk) {
      roundTrips.push_back(roundTrip);
      std::printf("[%d] %s  %d мс\n", n, ResultCodeShortText(result).c_str(), roundTrip);
    } else {
      std::printf("[%d] %s (%d)\n", n, ResultCodeShortText(result).c_str(), result);
    }
    std::fflush(stdout);
    if (IsPortFailure(result)) {
      portFailure = result;
      break;
    }
  }
  session.port.SetFrameObserver(nullptr);

  const DeviceTraffic t = log.Device(line.deviceIndex + 1);
  const bool parity = line.parity != "N";
  const int stopBits = line.stopBits.toInt();
  const int baud = line.baud.toInt();
  const int requestBytes = dataCount + 4;
  const int answerBytes = ExpectedAnswerBytes(log.Records());
  const double wireMs = WireTimeMs(requestBytes + answerBytes, baud, parity, stopBits);
  std::printf("--- запросов %d, ответов %d, тайм-аутов %d, ошибок КС %d, исключений %d, других ошибок %d\n",
              t.requests, t.answers, t.timeouts, t.checksumErrors, t.exceptions, t.otherErrors);
  if (!roundTrips.empty()) {
    const double median = Median(roundTrips);
    std::printf(
        "время ответа мин/медиана/макс = %d/%.1f/%d мс, время на линии %.1f мс (%d + %d байт, %d бод)\n",
        *std::min_element(roundTrips.begin(), roundTrips.end()), median,
        *std::max_element(roundTrips.begin(), roundTrips.end()), wireMs, requestBytes, answerBytes, baud);
    if (IsUsbAdapter(line.port) && median > wireMs + kUsbLatencyMarginMs) {
      const QString device = QFileInfo(line.port).fileName();
      std::printf(
          "ответ дольше времени на линии на %.0f мс: возможно, виноват таймер задержки USB-адаптера;\n"
          "Linux держит его в /sys/bus/usb-serial/devices/%s/latency_timer (мс, 1 - быстрее всего)\n",
          median - wireMs, device.toLocal8Bit().constData());
    }
  }
  if (portFailure != 0) {
    std::fprintf(stderr, "zul: %s\n", session.port.ErrorText(line.deviceIndex, portFailure).c_str());
    return kExitFailure;
  }
  // Not one answer (a refusal is an answer): the device could not be polled.
  return t.answers + t.exceptions > 0 ? kExitOk : kExitFailure;
}

}  // namespace zul::cli
