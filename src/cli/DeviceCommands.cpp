// zul read, write, renumber, clock: whole-configuration exchanges with one
// controller and the small device commands around them.
#include <QCommandLineParser>
#include <QRegularExpression>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string_view>

#include "cli/Command.h"
#include "cli/LinkSession.h"
#include "cli/WriteSteps.h"
#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/ConfigurationDump.h"
#include "core/config/ControllerClock.h"
#include "core/config/ControllerImage.h"
#include "core/config/DeviceNumber.h"
#include "core/config/ReadConfiguration.h"
#include "core/config/WriteConfiguration.h"
#include "core/config/ZulFile.h"
#include "core/platform/Platform.h"

namespace zul::cli {
namespace {

// The options every device command shares, and the answer policy.
struct Invocation {
  QCommandLineParser parser;
  LineOptions line;
  AnswerPolicy policy = AnswerPolicy::Ask;
};

// Parses `args`; on failure returns the usage exit code in *exit.
bool Parse(const char* name, const QStringList& args, Invocation& inv, int* exit,
           const char* deviceHelp = kDeviceOneHelp) {
  AddLineOptions(inv.parser, deviceHelp);
  inv.parser.addOptions(
      {{"yes", "Answer every question with yes."}, {"no", "Answer every question with no."}});
  if (auto parsed = ParseArguments(inv.parser, name, args)) {
    *exit = *parsed;
    return false;
  }
  QString error;
  if (!ReadLineOptions(inv.parser, inv.line, error)) {
    *exit = UsageError(name, error);
    return false;
  }
  if (inv.parser.isSet("yes") && inv.parser.isSet("no")) {
    *exit = UsageError(name, "--yes и --no исключают друг друга");
    return false;
  }
  inv.policy = inv.parser.isSet("yes")  ? AnswerPolicy::Yes
               : inv.parser.isSet("no") ? AnswerPolicy::No
                                        : AnswerPolicy::Ask;
  return true;
}

std::filesystem::path LocalPath(const QString& text) { return std::filesystem::path(text.toStdString()); }

// "DD.MM.YY hh:mm:ss" -> register values (day of the week from the date). A
// field out of its range is refused with the clock window's message.
std::optional<ControllerTime> ParseClockText(const QString& text, std::string* error) {
  static const QRegularExpression format(
      R"(^(\d{1,4})\.(\d{1,4})\.(\d{1,4}) (\d{1,4}):(\d{1,4}):(\d{1,4})$)");
  const QRegularExpressionMatch m = format.match(text);
  if (!m.hasMatch()) {
    *error = "--set: now или \"ДД.ММ.ГГ чч:мм:сс\"";
    return std::nullopt;
  }
  auto field = [&m](int n) { return m.captured(n).toStdString(); };
  // Register order: seconds, minutes, hour, day, month, year; the weekday follows from the date.
  std::array<std::string, kClockFields> texts = {field(6), field(5), field(4), field(1),
                                                 field(2), field(3), "1"};
  ControllerTime t{};
  if (const ClockFieldError e = CheckClockFields(texts, &t); !e.ok()) {
    *error = e.message;
    return std::nullopt;
  }
  using namespace std::chrono;
  const std::chrono::year_month ym{std::chrono::year(2000 + t[kClockYear]),
                                   std::chrono::month(static_cast<unsigned>(t[kClockMonth]))};
  const unsigned lastDay =
      static_cast<unsigned>(year_month_day_last(ym.year(), month_day_last(ym.month())).day());
  if (static_cast<unsigned>(t[kClockDay]) > lastDay) {
    *error = "Величина вне диапазона 1 - " + std::to_string(lastDay);
    return std::nullopt;
  }
  const year_month_day date{ym.year(), ym.month(), std::chrono::day(static_cast<unsigned>(t[kClockDay]))};
  t[kClockWeekday] = static_cast<int>(std::chrono::weekday(sys_days(date)).iso_encoding());
  return t;
}

// A byte of a block, or "-" past its end.
std::string ByteText(int byte) {
  if (byte < 0) return "-";
  char text[12];
  std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(byte & 0xFF));
  return text;
}

bool HasFullAccess(const QCommandLineParser& parser) {
  return AccessLevelFor(parser.value("password").toStdString(),
                        std::filesystem::current_path() / kPasswordFileName) == kFullAccess;
}

ControllerTime ComputerTime() {
  const std::tm local = platform::LocalTime(std::time(nullptr));
  return FromCalendar(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                      local.tm_sec, local.tm_wday == 0 ? 7 : local.tm_wday);
}

}  // namespace

int RunRead(const QStringList& args) {
  Invocation inv;
  inv.parser.addOption({{"o", "output"}, "Configuration file to write.", "FILE"});
  int exit = kExitOk;
  if (!Parse("read", args, inv, &exit)) return exit;
  if (!inv.parser.isSet("output")) return UsageError("read", "не указан -o FILE");

  ConsoleInteraction ui(inv.policy);
  LinkSession session(ui);
  if (!session.Open(inv.line)) return kExitFailure;
  Configuration config;
  config.service.CurrentDevice = inv.line.deviceIndex;
  const ReadResult result = ReadConfiguration(session.port, config, ui);
  std::fprintf(stderr, "%s\n", result.Describe().c_str());
  if (!result.ok) return kExitFailure;

  // Saved as the main window saves: the name rule, the replace and composition questions.
  std::filesystem::path saved;
  if (SaveZulFile(LocalPath(inv.parser.value("output")), config, ui, &saved) != ZulSaveResult::Saved) {
    std::fprintf(stderr, "zul read: файл не сохранен\n");
    return kExitFailure;
  }
  std::fprintf(stderr, "сохранено: %s\n", saved.string().c_str());
  return kExitOk;
}

int RunWrite(const QStringList& args) {
  Invocation inv;
  AddPasswordOption(inv.parser);
  inv.parser.addPositionalArgument("file", "Configuration file to send.");
  AddWriteStepOptions(inv.parser);
  int exit = kExitOk;
  if (!Parse("write", args, inv, &exit,
             "Device number 1..31 to check and write (default: the device the file was saved for)."))
    return exit;
  if (inv.parser.positionalArguments().size() != 1)
    return UsageError("write", "нужен один файл конфигурации");
  // Both would leave the engineer unsure whether a backup was kept.
  if (inv.parser.isSet("no-backup") && inv.parser.isSet("backup-dir"))
    return UsageError("write", "--no-backup и --backup-dir исключают друг друга");

  ConsoleInteraction ui(inv.policy);
  Configuration config;
  const ZulOpenResult opened = OpenZulFile(LocalPath(inv.parser.positionalArguments().front()), config, ui);
  if (opened != ZulOpenResult::Loaded && opened != ZulOpenResult::LoadedShort) return kExitFailure;
  // One device is both checked and written: the one named, else the one the file was saved for.
  const int device = inv.parser.isSet("device") ? inv.line.deviceIndex : config.service.ConfiguredDevice;
  config.service.CurrentDevice = device;
  config.discreteProcessing.AccessLevel = HasFullAccess(inv.parser) ? kFullAccess : kViewingAccess;

  LinkSession session(ui);
  session.accessLevel = config.discreteProcessing.AccessLevel;
  if (!session.Open(inv.line)) return kExitFailure;
  BlockFilter only;
  if (auto stop = PrepareWrite(inv.parser, session.port, config, ui, &only)) return *stop;
  const WriteResult result = WriteConfiguration(session.port, config, ui, only);
  std::fprintf(stderr, "%s\n", result.Describe().c_str());
  ReportSelectiveWrite(inv.parser, result);
  return result.ok() ? kExitOk : kExitFailure;
}

int RunVerify(const QStringList& args) {
  Invocation inv;
  inv.parser.addPositionalArgument("file", "Configuration file to compare with the device.");
  int exit = kExitOk;
  if (!Parse("verify", args, inv, &exit,
             "Device number 1..31 to compare with (default: the device the file was saved for)."))
    return exit;
  if (inv.parser.positionalArguments().size() != 1)
    return UsageError("verify", "нужен один файл конфигурации");

  ConsoleInteraction ui(inv.policy);
  Configuration file;
  const ZulOpenResult opened = OpenZulFile(LocalPath(inv.parser.positionalArguments().front()), file, ui);
  if (opened != ZulOpenResult::Loaded && opened != ZulOpenResult::LoadedShort) return kExitFailure;

  LinkSession session(ui);
  if (!session.Open(inv.line)) return kExitFailure;
  Configuration device;
  // The device `zul write` would write: the one named, else the one the file was saved for.
  device.service.CurrentDevice =
      inv.parser.isSet("device") ? inv.line.deviceIndex : file.service.ConfiguredDevice;
  const ReadResult read = ReadConfiguration(session.port, device, ui);
  if (!read.ok) {
    std::fprintf(stderr, "%s\n", read.Describe().c_str());
    return kExitFailure;
  }
  // Every byte of every block counts, reserved bytes and unused records included.
  const BlockMap memory = EncodeBlocks(file);
  const auto differences = CompareBlocks(memory, device.image.Blocks());
  for (const ByteDifference& d : differences) {
    const std::string where =
        DescribeBlockByte(file, d.block, d.offset) + " (" + RawBlockByte(d.block, d.offset) + ")";
    if (d.offset < 0)
      std::printf("%s: %s -> %s\n", where.c_str(), memory.contains(d.block) ? "есть" : "нет",
                  device.image.Find(d.block) ? "есть" : "нет");
    else
      std::printf("%s: %s -> %s\n", where.c_str(), ByteText(d.memory).c_str(),
                  ByteText(d.controller).c_str());
  }
  return differences.empty() ? kExitOk : kExitDifferent;
}

int RunRenumber(const QStringList& args) {
  Invocation inv;
  inv.parser.addOption({"to", "New device number 1..31.", "M"});
  AddPasswordOption(inv.parser);
  int exit = kExitOk;
  if (!Parse("renumber", args, inv, &exit)) return exit;
  bool ok = false;
  const int to = inv.parser.value("to").toInt(&ok);
  if (!ok || to < 1 || to > 31) return UsageError("renumber", "--to: номер прибора 1..31");

  ConsoleInteraction ui(inv.policy);
  LinkSession session(ui);
  session.accessLevel = PasswordAccess(inv.parser);
  if (!session.Open(inv.line)) return kExitFailure;
  ServiceBlock serv;
  serv.CurrentDevice = inv.line.deviceIndex;
  const int result = RenumberDevice(session.port, serv, to);
  if (result != kResultOk) return kExitFailure;
  std::printf("прибор %d теперь %d\n", inv.line.deviceIndex + 1, serv.CurrentDevice + 1);
  return kExitOk;
}

int RunClock(const QStringList& args) {
  Invocation inv;
  inv.parser.addOption(
      {"set", "Set every controller's clock: now, or \"DD.MM.YY hh:mm:ss\" (needs --password).", "TIME"});
  inv.parser.addOption({"password", "Access password (full access is needed to set the clock).", "PW"});
  int exit = kExitOk;
  if (!Parse("clock", args, inv, &exit)) return exit;
  std::optional<ControllerTime> wanted;
  if (inv.parser.isSet("set")) {
    const QString text = inv.parser.value("set");
    std::string error;
    wanted = text == "now" ? std::optional<ControllerTime>(ComputerTime()) : ParseClockText(text, &error);
    if (!wanted) return UsageError("clock", QString::fromStdString(error));
  }

  ConsoleInteraction ui(inv.policy);
  // Setting the clock writes to every controller of the line: full access only.
  if (wanted && !HasFullAccess(inv.parser)) {
    ui.Show(kCaptionWarning, kNoWriteAccessText, Icon::Warning);
    return kExitFailure;
  }
  LinkSession session(ui);
  session.accessLevel = PasswordAccess(inv.parser);
  if (!session.Open(inv.line)) return kExitFailure;
  if (wanted) {
    const int result = SendClock(session.port, inv.line.deviceIndex, *wanted);
    if (result != kResultOk) {
      session.port.ShowError(inv.line.deviceIndex, result);
      return kExitFailure;
    }
    std::printf("установлено %s %s %s\n", DateText(*wanted).c_str(), TimeText(*wanted).c_str(),
                DayOfWeekText((*wanted)[kClockWeekday]).c_str());
    return kExitOk;
  }
  std::array<uint8_t, kAnswerBufferSize> answer{};
  const int result =
      session.port.Request(inv.line.deviceIndex, kClockReadFunction, kClockRequestData, answer);
  ControllerTime t{};
  if (result != kResultOk) {
    session.port.ShowError(inv.line.deviceIndex, result);
    return kExitFailure;
  }
  if (!DecodeClockAnswer(answer, &t)) {
    std::fprintf(stderr, "zul clock: в ответе нет регистров часов\n");
    return kExitFailure;
  }
  std::printf("%s %s %s\n", DateText(t).c_str(), TimeText(t).c_str(),
              DayOfWeekText(t[kClockWeekday]).c_str());
  return kExitOk;
}

}  // namespace zul::cli
