#include "ui/main/ZulFileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>

#include "core/Interaction.h"

namespace zul {

namespace {

// The dialog's "Type" column: Qt's provider says "Folder", and "unknown" for
// a file the system's type database does not know.
class RussianFileTypes : public QFileIconProvider {
 public:
  QString type(const QFileInfo& info) const override {
    if (info.isDir()) return "Папка";
    return info.suffix().isEmpty() ? QString("Файл") : "Файл " + info.suffix();
  }
};

}  // namespace

FileChooser QtFileChooser(QWidget* parent, QString directory) {
  return [parent, directory](const FileDialogRequest& request) {
    RussianFileTypes types;
    QFileDialog dialog(parent, request.title, request.directory.isEmpty() ? directory : request.directory,
                       kZulFilter);
    dialog.setIconProvider(&types);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The program asks about replacing a file itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.proposed.isEmpty()) dialog.selectFile(request.proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().front();
  };
}

QString WithZulExtension(const QString& chosen) {
  const QFileInfo info(chosen);
  const QString suffix = info.suffix();
  if (suffix.isEmpty()) return chosen.endsWith('.') ? chosen + "zul" : chosen + ".zul";
  if (suffix.compare("zul", Qt::CaseInsensitive) == 0) return chosen;
  return QString();
}

QString AskZulFileName(const FileChooser& choose, Interaction& ui, const FileDialogRequest& request,
                       const char* wrongNameCaption) {
  FileDialogRequest next = request;
  for (;;) {
    const QString chosen = choose(next);
    if (chosen.isEmpty()) return QString();
    const QString named = WithZulExtension(chosen);
    if (!named.isEmpty()) return named;
    ui.Show(wrongNameCaption, "Неверно задано имя файла", Icon::Warning);
    next.proposed = chosen;
  }
}

}  // namespace zul
