#pragma once
// Interaction for the windows: every message is a task-modal QMessageBox with
// the caption, icon, buttons and default button it was asked with; progress
// goes to a progress bar that is repainted at once (exchanges block the event
// loop, so nothing else would paint it).
#include <QPointer>
#include <QProgressBar>

#include "core/Interaction.h"

class QMessageBox;
class QWidget;

namespace zul {

class QtInteraction : public Interaction {
 public:
  Answer Ask(const Message& message) override;
  void Progress(int value, int maximum) override;
  void Beep() override;

  void SetProgressBar(QProgressBar* bar) { bar_ = bar; }

  // The box Ask shows, not yet executed (tests look at it).
  static QMessageBox* BuildBox(const Message& message, QWidget* parent);

 private:
  QPointer<QProgressBar> bar_;
};

}  // namespace zul
