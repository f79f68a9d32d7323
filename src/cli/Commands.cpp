#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegularExpression>
#include <cstdio>
#include <cstring>
#include <memory>

#include "ZulVersion.h"
#include "cli/Command.h"

namespace zul::cli {

int RunPorts(const QStringList& args);
int RunRaw(const QStringList& args);
int RunNew(const QStringList& args);
int RunInfo(const QStringList& args);
int RunDump(const QStringList& args);
int RunDiff(const QStringList& args);
int RunRead(const QStringList& args);
int RunWrite(const QStringList& args);
int RunRenumber(const QStringList& args);
int RunClock(const QStringList& args);
int RunVerify(const QStringList& args);
int RunReport(const QStringList& args);
int RunScan(const QStringList& args);
int RunBackup(const QStringList& args);
int RunPoll(const QStringList& args);
int RunFleet(const QStringList& args);

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"ports", "zul ports", RunPorts},
      {"raw", "zul raw --port P [--device N] [line options] --function F [--data HEX] [--password PW]",
       RunRaw},
      {"new", "zul new --modules 1,1,6,14|116E [--base OLD.zul --keep 3,4] [--yes|--no] -o FILE.zul", RunNew},
      {"info", "zul info FILE.zul", RunInfo},
      {"dump", "zul dump FILE.zul [--json]", RunDump},
      {"diff", "zul diff [--device-blocks] A.zul B.zul   (exit 0 equal, 3 different)", RunDiff},
      {"read", "zul read --port P [--device N] [line options] [--yes|--no] -o FILE.zul", RunRead},
      {"write",
       "zul write FILE.zul --port P [--device N (default: the file's device)] [line options] --password PW "
       "[--yes|--no] [--only-changed] [--backup-dir DIR | --no-backup]",
       RunWrite},
      {"verify",
       "zul verify FILE.zul --port P [--device N] [line options] [--yes|--no]   (exit 0 equal, 3 different)",
       RunVerify},
      {"renumber", "zul renumber --port P --device N --to M --password PW [line options] [--yes|--no]",
       RunRenumber},
      {"clock",
       "zul clock --port P [--device N] [line options] [--set now|\"DD.MM.YY hh:mm:ss\" --password PW] "
       "[--yes|--no]",
       RunClock},
      {"report",
       "zul report inputs|analog|outputs|discrete|network|fb|regulators|math|algorithms|module N FILE.zul "
       "-o OUT.rtf [--pdf OUT.pdf]",
       RunReport},
      {"scan",
       "zul scan --port P [line options] [--from 1 --to 31] [--answer-ms MS] [--bauds 9600,19200,...]",
       RunScan},
      {"backup",
       "zul backup --port P [line options] (--all [--from 1 --to 31] [--answer-ms MS] | --device N) -o DIR "
       "[--yes]",
       RunBackup},
      {"poll",
       "zul poll --port P [--device N] [line options] [--function 17|68 --block N] [--count N] [--interval "
       "MS]",
       RunPoll},
      {"fleet", "zul fleet backup|verify|scan INVENTORY [-o DIR] [--json]   (lines in parallel)", RunFleet},
  };
  return commands;
}

namespace {

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage:\n");
  for (const auto& c : Commands()) std::fprintf(out, "  %s\n", c.synopsis);
  // The synopses only say "[line options]"; spell them out once here.
  std::fprintf(out,
               "line options: [--baud B (9600)] [--parity N|O|E (N)] [--stop 1|2 (2)] [--delay MS (25)]\n"
               "zul COMMAND --help lists a command's options and their defaults.\n"
               "exit codes: 0 done, 1 the operation failed (controller, port, file), 2 wrong command line,\n"
               "3 diff and verify found differences.\n");
}

const Command* Find(const char* name) {
  for (const auto& c : Commands())
    if (std::strcmp(c.name, name) == 0) return &c;
  return nullptr;
}

}  // namespace

// Qt's parser speaks English; the engineer reads the program's Russian.
QString ParserErrorText(const QCommandLineParser& parser) {
  static const std::pair<const char*, const char*> kTexts[] = {
      {R"(^Unknown options?:? (.*)\.$)", "неизвестный параметр \\1"},
      {R"(^Missing value after '(.*)'\.$)", "после '\\1' нет значения"},
      {R"(^Unexpected value after '(.*)'\.$)", "'\\1' не принимает значения"},
  };
  QString text = parser.errorText();
  for (const auto& [english, russian] : kTexts) {
    const QRegularExpression pattern(english);
    if (pattern.match(text).hasMatch()) return text.replace(pattern, russian);
  }
  return text;
}

int UsageError(const char* command, const QString& error) {
  std::fprintf(stderr, "zul %s: %s\n", command, error.toLocal8Bit().constData());
  if (const Command* c = Find(command)) std::fprintf(stderr, "usage: %s\n", c->synopsis);
  return kExitUsage;
}

std::optional<int> ParseArguments(QCommandLineParser& parser, const char* command, const QStringList& args) {
  const QCommandLineOption help({"h", "help"}, "Show this command's options and their defaults.");
  parser.addOption(help);
  if (!parser.parse(QStringList{QString("zul ") + command} + args))
    return UsageError(command, ParserErrorText(parser));
  if (!parser.isSet(help)) return std::nullopt;
  // Qt's own text lists the options; the first line becomes the synopsis.
  QString text = parser.helpText();
  text = text.mid(text.indexOf('\n') + 1);
  const Command* c = Find(command);
  std::printf("usage: %s\n%s", c ? c->synopsis : command, text.toLocal8Bit().constData());
  return kExitOk;
}

int Main(int argc, char** argv) {
  // Reports lay text out in fonts, which takes the GUI library (no display).
  std::unique_ptr<QCoreApplication> application;
  if (argc >= 2 && std::strcmp(argv[1], "report") == 0) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    application = std::make_unique<QGuiApplication>(argc, argv);
  } else {
    application = std::make_unique<QCoreApplication>(argc, argv);
  }
  QCoreApplication& app = *application;
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? kExitUsage : kExitOk;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("zul %s\n", kZulVersion);
    return kExitOk;
  }
  const Command* command = Find(argv[1]);
  if (!command) {
    std::fprintf(stderr, "zul: неизвестная команда '%s'\n", argv[1]);
    PrintUsage(stderr);
    return kExitUsage;
  }
  QStringList args = app.arguments().mid(2);
  return command->run(args);
}

}  // namespace zul::cli
