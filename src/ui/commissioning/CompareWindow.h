#pragma once
// "Сравнить с прибором": the chosen controller's configuration read beside the
// one in memory (which stays untouched), every differing byte of every block
// under the part it is stored in, named in the program's own numbering with the
// raw block and byte beside it, and a write of the differing blocks of the
// parts ticked.
#include <QDialog>
#include <memory>
#include <set>

#include "core/config/ConfigurationCompare.h"
#include "core/config/ControllerImage.h"
#include "core/config/ReadConfiguration.h"
#include "ui/commissioning/ControllerAccess.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace zul {

class CompareWindow : public QDialog {
  Q_OBJECT
 public:
  CompareWindow(ControllerAccess access, QWidget* parent = nullptr);
  ~CompareWindow() override;

  // Reads the controller (config.service.CurrentDevice) and shows the
  // differences; false when the read failed (its message was shown).
  // Reads the controller on the link worker and shows the differences when it is in.
  void compareNow();
  // Writes the ticked parts (backup first), then compares again.
  void writeTicked();

  std::set<ConfigurationPart> TickedParts() const;
  void Tick(ConfigurationPart part, bool on);
  const std::vector<ByteDifference>& Differences() const { return differences_; }

  QLabel* LabelSummary;
  QTreeWidget* TreeDiff;
  QPushButton* ButWrite;
  QPushButton* ButCompare;
  QPushButton* ButClose;

 private:
  void ShowComparison(const ReadResult& read, const std::shared_ptr<Configuration>& controller);
  void Show();

  ControllerAccess access_;
  std::unique_ptr<Configuration> controller_;
  std::vector<ByteDifference> differences_;
  // The differing blocks of a part.
  std::vector<int> BlocksOf(ConfigurationPart part) const;
};

inline constexpr const char* kNothingTickedText = "Не отмечено ни одного блока для записи";

}  // namespace zul
