#include "ui/widgets/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zul {

bool InstallQtTranslations(QCoreApplication& app) {
  auto* qtbase = new QTranslator(&app);
  if (!qtbase->load(QLocale(QLocale::Russian, QLocale::Russia), "qtbase", "_",
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete qtbase;
    return false;
  }
  return QCoreApplication::installTranslator(qtbase);
}

}  // namespace zul
