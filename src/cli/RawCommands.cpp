// zul ports, zul raw: the line itself, one request at a time.
#include <QCommandLineParser>
#include <cstdio>
#include <vector>

#include "cli/Command.h"
#include "cli/LinkSession.h"
#include "serial/RecentPorts.h"

namespace zul::cli {
namespace {

bool ParseHex(QString text, std::vector<uint8_t>& bytes) {
  text.remove(' ').remove(':');
  if (text.startsWith("0x", Qt::CaseInsensitive)) text = text.mid(2);
  if (text.size() % 2 != 0) return false;
  for (qsizetype i = 0; i < text.size(); i += 2) {
    bool ok = false;
    uint v = text.mid(i, 2).toUInt(&ok, 16);
    if (!ok) return false;
    bytes.push_back(static_cast<uint8_t>(v));
  }
  return true;
}

void PrintHex(const uint8_t* bytes, int count) {
  for (int i = 0; i < count; ++i) std::printf(i ? " %02X" : "%02X", bytes[i]);
  std::printf("\n");
}

}  // namespace

int RunPorts(const QStringList& args) {
  QCommandLineParser parser;
  if (auto exit = ParseArguments(parser, "ports", args)) return *exit;
  if (!parser.positionalArguments().isEmpty()) return UsageError("ports", "аргументы не нужны");
  for (const auto& name : QtSerialLine::ListPorts()) std::printf("%s\n", name.c_str());
  for (const QString& name : RecentNetworkPorts()) std::printf("%s\n", name.toLocal8Bit().constData());
  return kExitOk;
}

int RunRaw(const QStringList& args) {
  QCommandLineParser parser;
  AddLineOptions(parser);
  parser.addOptions(
      {{"function", "Function code.", "F"}, {"data", "Request data as hex, e.g. 0C or \"00 64\".", "HEX"}});
  AddPasswordOption(parser);
  if (auto exit = ParseArguments(parser, "raw", args)) return *exit;
  LineOptions line;
  QString error;
  if (!ReadLineOptions(parser, line, error)) return UsageError("raw", error);
  bool ok = false;
  uint function = parser.value("function").toUInt(&ok, 0);
  if (!ok || function > 255) return UsageError("raw", "--function: код 0..255");
  std::vector<uint8_t> data;
  if (!ParseHex(parser.value("data"), data) || static_cast<int>(data.size()) > kMaxRequestData)
    return UsageError("raw", "--data: байты в шестнадцатеричном виде");

  ConsoleInteraction ui;
  LinkSession session(ui);
  session.accessLevel = PasswordAccess(parser);
  // A writing function without full access is refused before the port is touched.
  if (IsWritingFunction(static_cast<uint8_t>(function)) && !session.port.CheckWriteAccess())
    return kExitFailure;
  if (!session.Open(line)) return kExitFailure;
  std::vector<uint8_t> answer(kFrameBufferSize);
  int result = session.port.Request(line.deviceIndex, static_cast<uint8_t>(function), data, answer);
  std::printf("результат %d\n", result);
  PrintHex(answer.data(), session.port.GetReceivedCount());
  std::fflush(stdout);
  if (result == kResultOk) return kExitOk;
  session.port.ShowError(line.deviceIndex, result);
  return kExitFailure;
}

}  // namespace zul::cli
