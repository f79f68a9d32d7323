#include "ui/modules/ModuleEditorDialog.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QPushButton>

#include "core/Interaction.h"
#include "core/model/ServiceBlock.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/InputChecks.h"

namespace zul {

namespace {

// Calls a function when the watched field loses the focus.
class ExitWatcher : public QObject {
 public:
  ExitWatcher(QWidget* field, std::function<void()> handler) : QObject(field), handler_(std::move(handler)) {
    field->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::FocusOut) handler_();
    return false;
  }

 private:
  std::function<void()> handler_;
};

}  // namespace

void PaintField(QWidget* field, const QColor& color) {
  QPalette p = field->palette();
  p.setColor(QPalette::Base, color);
  field->setPalette(p);
}

void FlashField(QWidget* field, Interaction& ui) {
  PaintField(field, Qt::red);
  field->repaint();
  ui.Beep();
  PaintField(field, Qt::white);
}

ModuleEditorDialog::ModuleEditorDialog(ServiceBlock& serv, Interaction& ui, const QString& name,
                                       QWidget* parent)
    : QDialog(parent), service_(serv), ui_(ui) {
  setObjectName(name);
  setModal(true);
  OK = new QPushButton("OK", this);
  OK->setObjectName("OK");
  Cancel = new QPushButton("Отмена", this);
  Cancel->setObjectName("Cancel");
  for (QPushButton* b : {OK, Cancel}) {
    b->setAutoDefault(false);
    EnterPresses(b);
  }
  connect(OK, &QPushButton::clicked, this, &ModuleEditorDialog::onOk);
  connect(Cancel, &QPushButton::clicked, this, &ModuleEditorDialog::onCancel);
}

void ModuleEditorDialog::onOk() {
  cancelled_ = false;
  close();
}

void ModuleEditorDialog::onCancel() {
  cancelled_ = true;
  close();
}

void ModuleEditorDialog::done(int) {
  if (!canClose()) return;
  QDialog::done(ModalResult);
}

void ModuleEditorDialog::onLeaving(QWidget* field, std::function<void()> handler) {
  exits_.insert(field, handler);
  new ExitWatcher(field, std::move(handler));
}

void ModuleEditorDialog::leaveField(QWidget* field) {
  const auto it = exits_.constFind(field);
  if (it != exits_.constEnd()) (*it)();
}

void ModuleEditorDialog::StoreFocusedField(QWidget* first) {
  if (QWidget* focused = focusWidget(); focused && focused != first) {
    leaveField(focused);
    first->setFocus();
  }
}

bool ModuleEditorDialog::RefuseOnlineInFileMode() {
  if (service_.FileMode != 1) return false;
  ui_.Show(kCaptionWarning, kOnlineInFileModeText, Icon::Information);
  return true;
}

void ModuleEditorDialog::SetExchange(LinkWorker& worker) { exchangeWorker_ = &worker; }

bool ModuleEditorDialog::CloseWith(std::shared_ptr<EditedBlock> block, const char* question) {
  // File mode and a cancel send nothing: no need for the link.
  if (!exchangeWorker_ || service_.FileMode == 1 || cancelled_ || !block->Edited())
    return CloseEditor(*block, cancelled_, service_, ui_, question) == CloseVerdict::Close;
  const Answer answer = ui_.Ask(SendQuestion(question));
  if (answer != Answer::Yes) return CloseEditorAnswered(*block, answer) == CloseVerdict::Close;
  // The window stays open while the block is written and closes when that is done.
  BackgroundExchange(*exchangeWorker_, ui_, this)
      .Run(
          windowTitle(), ExchangeKind::Write,
          [block](Interaction&) { CloseEditorAnswered(*block, Answer::Yes); },
          [this] { QDialog::done(ModalResult); });
  return false;
}

void ModuleEditorDialog::BuildCopyCommands() {
  ButCopy = new QPushButton("Копировать базу модуля", this);
  ButCopy->setObjectName("ButCopy");
  ButReplace = new QPushButton("Заменить базу модуля", this);
  ButReplace->setObjectName("ButReplace");
  for (QPushButton* b : {ButCopy, ButReplace}) b->setAutoDefault(false);
  PopupMenu = new QMenu(this);
  PopupMenu->setObjectName("PopupMenu");
  NCopy = PopupMenu->addAction("Копировать базу модуля");
  NCopy->setObjectName("NCopy");
  NReplace = PopupMenu->addAction("Заменить базу модуля");
  NReplace->setObjectName("NReplace");
  NDelete = PopupMenu->addAction("Удалить");
  NDelete->setObjectName("NDelete");
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu->popup(mapToGlobal(at)); });
  connect(ButCopy, &QPushButton::clicked, this, [this] { copyModuleBase(); });
  connect(NCopy, &QAction::triggered, this, [this] { copyModuleBase(); });
  connect(ButReplace, &QPushButton::clicked, this, [this] { replaceModuleBase(); });
  connect(NReplace, &QAction::triggered, this, [this] { replaceModuleBase(); });
}

void ModuleEditorDialog::EnableReplace(bool enabled) {
  ButReplace->setEnabled(enabled);
  NReplace->setEnabled(enabled);
}

}  // namespace zul
