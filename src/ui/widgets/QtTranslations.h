#pragma once
// Qt's own dialogs (file dialogs, print dialog and preview, standard buttons)
// in Russian, from the system's Qt translations (qt6-translations-l10n).
class QCoreApplication;

namespace zul {

// Installs qtbase_ru for the program's life; false when it is not installed.
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace zul
