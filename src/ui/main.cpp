// zulprog: the desktop programmer.
//   zulprog [--port PATH]... [FILE.zul]   ports named here head the port list; the first is opened at
//   start; a file named is opened as F3 opens one
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <optional>

#include "ZulVersion.h"
#include "core/config/AccessLevel.h"
#include "core/link/Clock.h"
#include "serial/DataFolders.h"
#include "serial/QtSerialLine.h"
#include "ui/commissioning/CommissioningMenus.h"
#include "ui/main/MainWindow.h"
#include "ui/widgets/QtInteraction.h"
#include "ui/widgets/QtTranslations.h"
#include "ui/widgets/WindowHabits.h"

namespace {

// The password file and the file dialogs live in the working directory; when
// that is not writable, in the user's documents folder.
zul::ProgramOptions Options(const QStringList& ports, zul::QtSerialLine& line) {
  zul::ProgramOptions options;
  options.backupRoot = zul::DefaultBackupRoot();
  options.answerTimeLimit = [&line](int ms) { line.SetAnswerTimeLimitMs(ms); };
  for (const QString& p : ports) options.namedPorts.push_back(p.toStdString());
  const QString work = QDir::currentPath();
  const bool writable = QFileInfo(work).isWritable();
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documents.isEmpty()) documents = QDir::homePath();
  options.passwordFile = zul::PasswordFileLocation(work.toStdString(), writable, documents.toStdString());
  options.fileDirectory = writable ? work : documents;
  if (!writable) QDir().mkpath(documents);
  return options;
}

constexpr const char* kHelpText =
    "Использование: zulprog [--port ПОРТ]... [ФАЙЛ.zul]\n"
    "Программатор ЗУЛ-05HMI-16\n"
    "\n"
    "  --port ПОРТ     последовательный порт или псевдотерминал; можно повторять:\n"
    "                  названные порты идут первыми в списке, первый открывается при запуске\n"
    "  ФАЙЛ.zul        файл конфигурации, открываемый при запуске\n"
    "  -h, --help      эта справка\n"
    "  -v, --version   версия программы\n";

struct Arguments {
  QStringList ports;
  QString file;
};

// Read before the window system starts, so that --help, --version and a
// typing error are answered without a display. Nothing: open the window.
std::optional<int> ReadArguments(int argc, char** argv, Arguments& arguments) {
  QStringList words;
  for (int i = 0; i < argc; ++i) words << QString::fromLocal8Bit(argv[i]);
  QCommandLineParser parser;
  const QCommandLineOption help({"h", "help"}, "");
  const QCommandLineOption version({"v", "version"}, "");
  const QCommandLineOption port("port", "", "PATH");
  parser.addOptions({help, version, port});
  parser.addPositionalArgument("file", "", "[FILE.zul]");
  if (!parser.parse(words) || parser.positionalArguments().size() > 1) {
    QString error = parser.errorText().isEmpty() ? "лишние аргументы" : parser.errorText();
    error.replace(QRegularExpression(R"(^Unknown options?:? (.*)\.$)"), "неизвестный параметр \\1");
    error.replace(QRegularExpression(R"(^Missing value after '(.*)'\.$)"), "после '\\1' нет значения");
    std::fprintf(stderr, "zulprog: %s\n%s", error.toLocal8Bit().constData(), kHelpText);
    return 2;
  }
  if (parser.isSet(help)) {
    std::fputs(kHelpText, stdout);
    return 0;
  }
  if (parser.isSet(version)) {
    std::printf("zulprog %s\n", kZulVersion);
    return 0;
  }
  arguments.ports = parser.values(port);
  if (!parser.positionalArguments().isEmpty()) arguments.file = parser.positionalArguments().front();
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (const auto exit = ReadArguments(argc, argv, arguments)) return *exit;

  QApplication app(argc, argv);
  // Settings under ~/.config/zul/zulprog.conf, not Qt's "Unknown Organization".
  QApplication::setOrganizationName("zul");
  QApplication::setApplicationName("zulprog");
  QApplication::setApplicationVersion(kZulVersion);
  // No display name: the platform would append it to every caption.

  zul::InstallQtTranslations(app);
  zul::InstallWindowHabits(app);

  zul::QtSerialLine line;
  zul::SteadyClock clock;
  zul::QtInteraction ui;
  zul::MainWindow form(line, clock, ui, Options(arguments.ports, line));
  ui.SetProgressBar(form.ProgressBar1);
  form.show();
  // After the password at the first showing, as if F3 had chosen the file.
  if (!arguments.file.isEmpty()) {
    const QString file = QFileInfo(arguments.file).absoluteFilePath();
    QTimer::singleShot(0, &form, [&form, file] {
      if (form.isVisible()) form.commissioningMenus->openRecentFile(file);
    });
  }
  return app.exec();
}
