#pragma once
// The scaling of the analog signals received over the local network: per
// network analog position its unit, position name, scale and setpoints. Only
// the rows of the entry being edited can be changed; the others are shown
// for reference.
#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "ui/main/ZulFileDialogs.h"
#include "ui/widgets/ReportPrinting.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zul {

struct Configuration;
class Interaction;

class NetworkScalingWindow : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kRows = 48;
  NetworkScalingWindow(Configuration& c, Interaction& ui, QWidget* parent = nullptr);

  // The rows of every analog entry, those of entry k enabled. False (nothing
  // shown) for an entry without network analog signals.
  bool Prepare(int k);
  int Open(int k);
  // Leaving a scale or setpoint field: a valid number is stored, anything
  // else reported and the stored value shown again.
  void leaveField(QLineEdit* field);
  void onUnitChosen(int row, int index);
  bool canClose();
  void done(int result) override;
  void createReport();

  struct Row {
    QLabel* Label;  // identifier or "_"
    QLabel* Number;
    QComboBox* Razm;
    QLineEdit* Poz;
    QLineEdit* NSK;
    QLineEdit* VSK;
    std::array<QLineEdit*, 4> Ust;  // LL, L, H, HH
  };
  std::array<Row, kRows> Rows{};
  QWidget* Sheet;  // the rows, scrolled
  QPushButton* OK;
  QPushButton* ButReport;
  // The save dialog and the printer (tests put their own here).
  FileChooser ChooseFile;
  ReportPrinter Print;
  // The report's first line (the file or the device), as the main window names it.
  std::function<std::string()> ReportTitle;

 private:
  // Field f of row a: 0 minimum, 1 maximum, 2..5 setpoints.
  void ShowValue(int a, int f);
  bool StoreValue(int a, int f, const QString& text);
  QLineEdit* Field(int a, int f) const;

  Configuration& c_;
  Interaction& ui_;
  int entry_ = -1;
  int first_ = 0;
  int count_ = 0;
};

}  // namespace zul
