#include "ui/main/PasswordDialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QVBoxLayout>

#include "core/Interaction.h"
#include "core/config/AccessLevel.h"
#include "core/model/DiscreteProcessing.h"
#include "ui/widgets/InputChecks.h"

namespace zul {

namespace {

// Typed characters show as '*'.
class StarStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

bool IsPasswordKey(int key) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return true;
  switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_Left:
    case Qt::Key_Right:
      return true;
    default:
      return false;
  }
}

void ShowPlain(Interaction& ui, const std::string& text) {
  if (!text.empty()) ui.Show("", text, Icon::None);
}

}  // namespace

PasswordDialog::PasswordDialog(DiscreteProcessing& processing, Interaction& ui,
                               std::filesystem::path passwordFile, QWidget* parent)
    : QDialog(parent), processing_(processing), ui_(ui), file_(std::move(passwordFile)) {
  setObjectName("FPSW");
  setWindowTitle("Введите пароль и нажмите  <ENTER>");
  setModal(true);
  setMinimumWidth(360);

  Label1 = new QLabel("Внимание! Замена пароля!", this);
  Label1->setObjectName("Label1");
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setAutoFillBackground(true);
  QPalette p = Label1->palette();
  p.setColor(QPalette::Window, Qt::yellow);
  Label1->setPalette(p);
  Label1->hide();

  Edit1 = new QLineEdit(this);
  Edit1->setObjectName("Edit1");
  Edit1->setEchoMode(QLineEdit::Password);
  auto* style = new StarStyle;
  style->setParent(Edit1);
  Edit1->setStyle(style);
  Edit1->setMaxLength(kPasswordMaxLength);
  Edit1->setToolTip("Введите пароль и нажмите <Enter>");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(Edit1);

  new KeyFilter(
      Edit1,
      [this](const QKeyEvent& key, QWidget*) {
        const int k = key.key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter) return KeyVerdict::Enter;
        return acceptsKey(k) ? KeyVerdict::Accept : KeyVerdict::Refuse;
      },
      [this] { accept(); });
}

bool PasswordDialog::acceptsKey(int key) {
  if (IsPasswordKey(key)) return true;
  ui_.Show("", kNumericPasswordText, Icon::None);
  ui_.Beep();
  Edit1->clear();
  return false;
}

QString PasswordDialog::Typed() const { return Edit1->text(); }

int PasswordDialog::runPasswordCheck() {
  processing_.PasswordChanging = 0;
  Label1->hide();
  Edit1->clear();
  Edit1->setFocus();
  return exec();
}

void PasswordDialog::runPasswordChange() {
  processing_.PasswordChanging = 1;
  Label1->show();
  Edit1->clear();
  Edit1->setFocus();
  exec();
}

void PasswordDialog::done(int result) {
  if (processing_.PasswordChanging) {
    finishPasswordChange();
    QDialog::done(result);
    return;
  }
  // However the dialog is closed, the typed text decides.
  (void)result;
  QDialog::done(IsPasswordAccepted(Typed().toStdString(), file_) ? Accepted : Refused);
}

void PasswordDialog::finishPasswordChange() {
  const PasswordChange outcome = ChangePassword(Typed().toStdString(), file_);
  const PasswordChangeReport report = ReportOf(outcome);
  ShowPlain(ui_, report.first);
  ShowPlain(ui_, report.second);
  if (outcome == PasswordChange::OutOfRange) Edit1->clear();
  processing_.PasswordChanging = 0;
  Label1->hide();
}

}  // namespace zul
