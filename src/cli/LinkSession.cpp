#include "cli/LinkSession.h"

#include <cstdio>
#include <filesystem>

#include "core/config/AccessLevel.h"
#include "serial/RecentPorts.h"

namespace zul::cli {

void AddLineOptions(QCommandLineParser& parser, const char* deviceHelp) {
  parser.addOptions({
      {"port", "Serial port name or path.", "NAME"},
      {"device", deviceHelp, "N", "1"},
      {"baud", "Baud rate (default 9600).", "B", "9600"},
      {"parity", "Parity N, O or E (default N).", "P", "N"},
      {"stop", "Stop bits 1 or 2 (default 2).", "S", "2"},
      {"delay", "Pause before every request, ms (default 25).", "MS"},
  });
}

bool ReadLineOptions(const QCommandLineParser& parser, LineOptions& options, QString& error) {
  options.port = parser.value("port");
  if (options.port.isEmpty()) {
    error = "--port is required";
    return false;
  }
  bool ok = false;
  int device = parser.value("device").toInt(&ok);
  if (!ok || device < 1 || device > 31) {
    error = "--device must be 1..31";
    return false;
  }
  options.deviceIndex = device - 1;
  options.baud = parser.value("baud");
  options.parity = parser.value("parity");
  options.stopBits = parser.value("stop");
  if (parser.isSet("delay")) {
    options.delayMs = parser.value("delay").toInt(&ok);
    if (!ok || options.delayMs < 0 || options.delayMs > 10000) {
      error = "--delay must be 0..10000 ms";
      return false;
    }
  }
  return true;
}

void AddPasswordOption(QCommandLineParser& parser) {
  parser.addOption({"password", "Access password (full access is needed to write).", "PW"});
}

int PasswordAccess(const QCommandLineParser& parser) {
  return AccessLevelFor(parser.value("password").toStdString(),
                        std::filesystem::current_path() / kPasswordFileName);
}

bool LinkSession::Open(const LineOptions& options) {
  port.SetPortName(options.port.toStdString());
  port.SetBaudText(options.baud.toStdString());
  port.SetParityText(options.parity.toStdString());
  port.SetStopBitsText(options.stopBits.toStdString());
  if (options.delayMs >= 0) port.SetDelayBeforeRequest(static_cast<unsigned>(options.delayMs));
  if (port.OpenPort() == 0) {
    RememberNetworkPort(options.port);  // for `zul ports` and completion
    return true;
  }
  port.ShowError(options.deviceIndex, kResultCannotOpen);
  // The controller's own message does not say which port; name it for the engineer.
  std::fprintf(stderr, "zul: port %s\n", options.port.toLocal8Bit().constData());
  return false;
}

}  // namespace zul::cli
