#pragma once
// The algorithm information window: every function block with its kind and
// input sources, and the algorithm table the user types. The table is read
// back when the window closes (OK or the close box); a table that does not
// parse changes nothing and, if the user gives up, closes with
// kFinishedWithError.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/editing/AlgorithmEditing.h"
#include "ui/main/ZulFileDialogs.h"
#include "ui/widgets/ReportPrinting.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace zul {

struct Configuration;
class Interaction;

class AlgorithmsWindow : public QDialog {
  Q_OBJECT
 public:
  // The result when the user ended with a table that did not parse.
  static constexpr int kFinishedWithError = 2;
  static constexpr int kHeaderRows = 2;

  AlgorithmsWindow(Configuration& config, Interaction& ui, QWidget* parent = nullptr);

  // Fills both tables from the configuration and shows the window modally.
  int Open();
  void Fill();
  // OK and closing: read the algorithm table back.
  void finish();
  void reject() override;
  void takeFromFile();
  void reportBlocks();
  void reportAlgorithms();

  // The algorithm table as typed, and putting rows into it.
  std::vector<AlgorithmRow> TypedRows() const;
  void ShowRows(const std::vector<AlgorithmRow>& rows);
  std::vector<BlockTableRow> ShownBlocks() const;

  // The report's title line; the main window sets it.
  std::function<std::string()> ReportTitle;
  // The dialogs and the printing; a test puts its own here.
  FileChooser DialSaveFile;
  FileChooser DialOpenFile;
  ReportPrinter PrintReport;

  QLabel* Label1;
  QTableWidget* StringGrid1;
  QPushButton* BNew1;
  QTableWidget* StringGrid2;
  QCheckBox* EditingNFB;
  QPushButton* NameFromFile;
  QPushButton* BNew2;
  QPushButton* OK;

 private:
  QTableWidget* MakeGrid(const char* name, int columns, int rows);
  void EnableMemberColumn(bool on);
  std::string Title() const;

  Configuration& config_;
  Interaction& ui_;
};

}  // namespace zul
