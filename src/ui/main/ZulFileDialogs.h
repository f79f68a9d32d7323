#pragma once
// The file dialogs of the configuration commands: the .zul filter, the
// remembered name and the rule for the extension a name must carry.
#include <QString>
#include <functional>

class QWidget;

namespace zul {

class Interaction;

struct FileDialogRequest {
  bool save = false;  // a save dialog (otherwise an open dialog)
  QString title;
  QString proposed;     // file name (or path) shown first
  QString directory{};  // where the dialog starts when no name is proposed
};
// Shows a dialog; the chosen path, empty when cancelled.
using FileChooser = std::function<QString(const FileDialogRequest&)>;

inline const QString kZulFilter = QStringLiteral("Файлы типа .zul (*.zul);;Все файлы (*)");

// QFileDialog with the .zul filter, starting in `directory`.
FileChooser QtFileChooser(QWidget* parent, QString directory);

// A name without extension gets ".zul"; one with ".zul" is kept; any other
// extension is refused (empty result).
QString WithZulExtension(const QString& chosen);

// Shows the dialog until the name is acceptable: a refused extension says
// "Неверно задано имя файла" with `wrongNameCaption` and asks again. Empty
// when cancelled.
QString AskZulFileName(const FileChooser& choose, Interaction& ui, const FileDialogRequest& request,
                       const char* wrongNameCaption);

}  // namespace zul
