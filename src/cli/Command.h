#pragma once
// The subcommands of `zul`. Each takes its own arguments (without the
// program and command names) and returns the exit code.
#include <QCommandLineParser>
#include <QStringList>
#include <optional>
#include <vector>

#include "cli/ExitCodes.h"

namespace zul::cli {

struct Command {
  const char* name;
  const char* synopsis;
  int (*run)(const QStringList& args);
};

const std::vector<Command>& Commands();

// Runs `zul <command> ...`; argv as main() got it.
int Main(int argc, char** argv);

// For the commands: reports a usage error on stderr and returns kExitUsage.
int UsageError(const char* command, const QString& error);

// Parses `zul <command> args`. Nothing: go on. An exit code: --help printed the
// command's options (kExitOk), or a bad option was reported (kExitUsage).
std::optional<int> ParseArguments(QCommandLineParser& parser, const char* command, const QStringList& args);

}  // namespace zul::cli
