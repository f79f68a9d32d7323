// zulprog: the desktop programmer.
//   zulprog [--port PATH]...   ports named here head the port list; the first is opened at start
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QStandardPaths>

#include "core/config/AccessLevel.h"
#include "core/link/Clock.h"
#include "serial/QtSerialLine.h"
#include "ui/main/MainWindow.h"
#include "ui/widgets/QtInteraction.h"
#include "ui/widgets/QtTranslations.h"

namespace {

// The password file and the file dialogs live in the working directory; when
// that is not writable, in the user's documents folder.
zul::ProgramOptions Options(const QStringList& ports) {
  zul::ProgramOptions options;
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
  QApplication::setApplicationName("zulprog");
  // No display name: the platform would append it to every caption.

  zul::InstallQtTranslations(app);

  QCommandLineParser parser;
  parser.setApplicationDescription("Программатор ЗУЛ-05HMI-16");
  parser.addHelpOption();
  QCommandLineOption port("port", "serial port or pseudo-terminal; repeatable, listed first", "PATH");
  parser.addOption(port);
  parser.process(app);

  zul::QtSerialLine line;
  zul::SteadyClock clock;
  zul::QtInteraction ui;
  zul::MainWindow form(line, clock, ui, Options(parser.values(port)));
  form.Gate.SetLineObject(line.ThreadObject());
  ui.SetProgressBar(form.ProgressBar1);
  form.show();
  return app.exec();
}
