#pragma once
// What the module editors have in common: "OK" and "Отмена", the closing that
// checks the fields and then follows the one closing rule (CloseEditor), the
// handlers that run when a field is left, and the copy/replace commands of a
// module's base with their pop-up menu.
#include <QDialog>
#include <QHash>
#include <functional>
#include <memory>

#include "core/editing/ModuleEditing.h"

class QMenu;
class QAction;
class QPushButton;

namespace zul {

inline constexpr const char* kOnlineInFileModeText =
    "Режим работы с файлом: данные on line есть только у прибора.\nПрочитайте конфигурацию из прибора (F9).";

class Interaction;
class ServiceBlock;
class LinkWorker;
class ModbusLink;

class ModuleEditorDialog : public QDialog {
  Q_OBJECT
 public:
  // Modal results: 2 closed normally, 6 closed after a programming error.
  static constexpr int kResultNormal = 2;
  static constexpr int kResultError = 6;

  void onOk();
  void onCancel();
  bool Cancelled() const { return cancelled_; }
  // The close request: false keeps the window open. Sets ModalResult.
  virtual bool canClose() = 0;
  int ModalResult = kResultNormal;

  // Runs what leaving `field` runs (storing its text); nothing for a field
  // without such a handler.
  void leaveField(QWidget* field);

  void done(int result) override;

  QPushButton* OK;
  QPushButton* Cancel;

 protected:
  ModuleEditorDialog(ServiceBlock& serv, Interaction& ui, const QString& name, QWidget* parent);

  // Calls `handler` whenever `field` loses the keyboard focus.
  void onLeaving(QWidget* field, std::function<void()> handler);
  // Leaving the field being edited stores it; then the first control gets the
  // focus, as a close request does.
  void StoreFocusedField(QWidget* first);
  // The closing rule for the edited block once the fields are checked; with
  // a link it runs off the UI thread (the block write and its store polling).
  // true: close now; a write on the way closes the window when it is done.
  bool CloseWith(std::shared_ptr<EditedBlock> block, const char* question);
  void SetExchange(LinkWorker& worker);
  // "on line" in file mode has no controller to ask: says so and returns true.
  bool RefuseOnlineInFileMode();

  // "Копировать базу модуля" and "Заменить базу модуля" as buttons and as
  // entries of the window's pop-up menu (with "Удалить", which does nothing).
  void BuildCopyCommands();
  virtual void copyModuleBase() = 0;
  virtual void replaceModuleBase() = 0;
  void EnableReplace(bool enabled);

 public:
  QPushButton* ButCopy = nullptr;
  QPushButton* ButReplace = nullptr;
  QMenu* PopupMenu = nullptr;
  QAction* NCopy = nullptr;
  QAction* NReplace = nullptr;
  QAction* NDelete = nullptr;

 protected:
  ServiceBlock& service_;
  Interaction& ui_;
  bool cancelled_ = false;

 private:
  LinkWorker* exchangeWorker_ = nullptr;
  QHash<QWidget*, std::function<void()>> exits_;
};

// Paints the background of an edit or list (Base role); the error checks
// paint fields red and white.
void PaintField(QWidget* field, const QColor& color);
// Red, beep, white: what a list left with an empty text does.
void FlashField(QWidget* field, Interaction& ui);

}  // namespace zul
