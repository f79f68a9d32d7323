#pragma once
// Where the programs keep their own files, shared by zulprog and zul.
#include <QStandardPaths>
#include <QString>

namespace zul {

// <data dir>/zulprog/backups: zulprog's application data folder, which zul uses too.
inline QString DefaultBackupRoot() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/zulprog/backups";
}

}  // namespace zul
