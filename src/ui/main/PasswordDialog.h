#pragma once
// The password dialog: checks the password at start and takes a new one when
// the password is being changed.
#include <QDialog>
#include <filesystem>

class QLabel;
class QLineEdit;

namespace zul {

class Interaction;
class DiscreteProcessing;

class PasswordDialog : public QDialog {
  Q_OBJECT
 public:
  // Outcomes of exec() in checking mode.
  enum Outcome { Refused = QDialog::Rejected, Accepted = QDialog::Accepted };

  PasswordDialog(DiscreteProcessing& processing, Interaction& ui, std::filesystem::path passwordFile,
                 QWidget* parent = nullptr);

  // Checking mode: the typed text decides the outcome (and, later, the level).
  int runPasswordCheck();
  // Change mode: takes the new password and reports what became of it.
  void runPasswordChange();

  QString Typed() const;
  const std::filesystem::path& PasswordFile() const { return file_; }

  void done(int result) override;

  QLineEdit* Edit1;
  QLabel* Label1;

 private:
  bool acceptsKey(int key);
  void finishPasswordChange();

  DiscreteProcessing& processing_;
  Interaction& ui_;
  std::filesystem::path file_;
};

}  // namespace zul
