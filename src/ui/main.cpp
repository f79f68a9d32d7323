// zulprog: the desktop programmer.
//   zulprog [--port PATH]... [FILE.zul]   ports named here head the port list; the first is opened at
//   start; a file named is opened as F3 opens one
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTimer>

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

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Settings under ~/.config/zul/zulprog.conf, not Qt's "Unknown Organization".
  QApplication::setOrganizationName("zul");
  QApplication::setApplicationName("zulprog");
  QApplication::setApplicationVersion(kZulVersion);
  // No display name: the platform would append it to every caption.

  zul::InstallQtTranslations(app);
  zul::InstallWindowHabits(app);

  QCommandLineParser parser;
  parser.setApplicationDescription("Программатор ЗУЛ-05HMI-16");
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption port("port", "serial port or pseudo-terminal; repeatable, listed first", "PATH");
  parser.addOption(port);
  parser.addPositionalArgument("file", "configuration file (.zul) to open at start", "[FILE.zul]");
  parser.process(app);

  zul::QtSerialLine line;
  zul::SteadyClock clock;
  zul::QtInteraction ui;
  zul::MainWindow form(line, clock, ui, Options(parser.values(port), line));
  ui.SetProgressBar(form.ProgressBar1);
  form.show();
  // After the password at the first showing, as if F3 had chosen the file.
  if (!parser.positionalArguments().isEmpty()) {
    const QString file = QFileInfo(parser.positionalArguments().front()).absoluteFilePath();
    QTimer::singleShot(0, &form, [&form, file] {
      if (form.isVisible()) form.commissioningMenus->openRecentFile(file);
    });
  }
  return app.exec();
}
