#pragma once
// The options that say which line and device a command talks to, and the
// link built from them: QtSerialLine, the steady clock, console messages.
#include <QCommandLineParser>
#include <QString>

#include "cli/ConsoleInteraction.h"
#include "core/link/Clock.h"
#include "core/link/ModbusLink.h"
#include "serial/QtSerialLine.h"

namespace zul::cli {

struct LineOptions {
  QString port;
  int deviceIndex = 0;  // --device N is 1-based
  QString baud = "9600";
  QString parity = "N";
  QString stopBits = "2";
  int delayMs = -1;  // -1: the link's default
};

// --port --device --baud --parity --stop --delay; `deviceHelp` says what a
// missing --device means for the command, nullptr leaves --device out (a
// command for the whole line).
inline constexpr const char* kDeviceOneHelp = "Device number 1..31 (default 1).";
void AddLineOptions(QCommandLineParser& parser, const char* deviceHelp = kDeviceOneHelp);
// False with a reason when an option is malformed or --port is missing.
bool ReadLineOptions(const QCommandLineParser& parser, LineOptions& options, QString& error,
                     bool withDevice = true);

// --password, and the access level it opens (full for the valid password,
// the one in FParol.dat of the working directory or the master password).
void AddPasswordOption(QCommandLineParser& parser);
int PasswordAccess(const QCommandLineParser& parser);

class LinkSession {
 public:
  // Writes go out only after accessLevel has been raised to full.
  explicit LinkSession(Interaction& ui) : port(line, clock, ui) { port.BindAccessLevel(&accessLevel); }
  // Applies the options and opens the port; on failure shows why (code 132).
  bool Open(const LineOptions& options);

  QtSerialLine line;
  SteadyClock clock;
  int accessLevel = 0;
  ModbusLink port;
};

}  // namespace zul::cli
