#include "cli/LinkSession.h"

#include <cstdio>
#include <filesystem>

#include "core/config/AccessLevel.h"
#include "core/link/NetworkPort.h"
#include "serial/RecentPorts.h"

namespace zul::cli {

void AddLineOptions(QCommandLineParser& parser, const char* deviceHelp) {
  parser.addOption({"port", "Serial port name or path.", "NAME"});
  if (deviceHelp) parser.addOption({"device", deviceHelp, "N", "1"});
  parser.addOptions({
      {"baud", "Baud rate (default 9600).", "B", "9600"},
      {"parity", "Parity N, O or E (default N).", "P", "N"},
      {"stop", "Stop bits 1 or 2 (default 2).", "S", "2"},
      {"delay", "Pause before every request, ms (default 25).", "MS"},
  });
}

bool ReadLineOptions(const QCommandLineParser& parser, LineOptions& options, QString& error,
                     bool withDevice) {
  options.port = parser.value("port");
  if (options.port.isEmpty()) {
    error = "не указан --port";
    return false;
  }
  bool ok = false;
  int device = withDevice ? parser.value("device").toInt(&ok) : 1;
  ok = ok || !withDevice;
  if (!ok || device < 1 || device > 31) {
    error = "--device: номер прибора 1..31";
    return false;
  }
  options.deviceIndex = device - 1;
  options.baud = parser.value("baud");
  options.parity = parser.value("parity").toUpper();
  options.stopBits = parser.value("stop");
  // Checked here, so that a typing error is not taken for a port that cannot be opened.
  if (!IsSupportedBaudRate(options.baud.toInt(&ok)) || !ok) {
    error = "--baud: недопустимая скорость " + options.baud +
            " (допустимы 110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200)";
    return false;
  }
  if (options.parity != "N" && options.parity != "O" && options.parity != "E") {
    error = "--parity: N, O или E, а не " + parser.value("parity");
    return false;
  }
  if (options.stopBits != "1" && options.stopBits != "2") {
    error = "--stop: 1 или 2, а не " + options.stopBits;
    return false;
  }
  if (parser.isSet("delay")) {
    options.delayMs = parser.value("delay").toInt(&ok);
    if (!ok || options.delayMs < 0 || options.delayMs > 10000) {
      error = "--delay: 0..10000 мс";
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

namespace {

// Takes the link's own messages while the port opens: the command says once
// what failed, with the system's reason.
class Unheard : public Interaction {
 public:
  Answer Ask(const Message& message) override { return message.defaultAnswer; }
  void Progress(int, int) override {}
  void Beep() override {}
};

}  // namespace

bool LinkSession::Open(const LineOptions& options) {
  port.SetPortName(options.port.toStdString());
  port.SetBaudText(options.baud.toStdString());
  port.SetParityText(options.parity.toStdString());
  port.SetStopBitsText(options.stopBits.toStdString());
  if (options.delayMs >= 0) port.SetDelayBeforeRequest(static_cast<unsigned>(options.delayMs));
  Unheard unheard;
  Interaction& ui = port.SetInteraction(unheard);
  const bool opened = port.OpenPort() == 0;
  port.SetInteraction(ui);
  if (opened) {
    RememberNetworkPort(options.port);  // for `zul ports` and completion
    return true;
  }
  const std::string name = options.port.toStdString();
  QString reason;
  if (IsNetworkPortName(name))
    reason = QString::fromStdString(line.FailureReason());
  else
    reason = IsSerialPortName(name) ? line.ErrorString() : QString("это не имя последовательного порта");
  std::fprintf(stderr, "zul: невозможно открыть последовательный порт %s%s%s\n",
               options.port.toLocal8Bit().constData(), reason.isEmpty() ? "" : ": ",
               reason.toLocal8Bit().constData());
  return false;
}

}  // namespace zul::cli
