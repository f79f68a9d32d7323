#pragma once
// The function block editor: the scheme of blocks on a graphics scene, the
// block and background menus, the tool bar, reading and writing the table,
// printing, undo and zoom. Every change of data goes through the core's
// editing functions; the window asks, calls and redraws.
#include <QDialog>
#include <QGraphicsView>
#include <functional>
#include <memory>
#include <vector>

#include "core/editing/CalculationBlockEditing.h"
#include "core/editing/FunctionBlockEditing.h"
#include "core/editing/FunctionBlockForm.h"
#include "ui/fb/FunctionBlockItem.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/ReportPrinting.h"

class QAction;
class QGraphicsScene;
class QLabel;
class QMenu;
class QMenuBar;
class QPagedPaintDevice;
class QPainter;
class QProgressBar;
class QPushButton;
class QToolBar;
class QUndoStack;

namespace zul {

struct Configuration;
struct SignalDialogSet;
class LinkWorker;
class AlgorithmsWindow;
class CalculationBlockDialog;
class FunctionBlockDialog;
class MathBlocksWindow;
class Interaction;
class ModbusLink;

inline constexpr const char* kFunctionBlockEditorCaption = "Программирование функциональных блоков";
inline constexpr int kUndoSteps = 100;
inline constexpr int kPrintRowsPerPage = 5;

// The scheme's view: the wheel scrolls by 10 pixels, Ctrl + wheel zooms.
class FunctionBlockView : public QGraphicsView {
  Q_OBJECT
 public:
  FunctionBlockView(QGraphicsScene* scene, QWidget* parent);
  double Zoom() const;
  void SetZoom(double zoom);
  // The whole scheme in the window.
  void FitScheme();

  std::function<void(FunctionBlockItem*, Qt::MouseButton, Qt::KeyboardModifiers, QPoint)> Clicked;
  std::function<void(FunctionBlockItem*, FunctionBlockItem::Part)> DoubleClicked;

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  FunctionBlockItem* ItemAt(QPoint pos) const;
};

class FunctionBlockEditor : public QDialog {
  Q_OBJECT
 public:
  FunctionBlockEditor(Configuration& config, ModbusLink& link, LinkWorker& worker,
                      const SignalDialogSet& dialogs, Interaction& ui, QWidget* parent = nullptr);
  ~FunctionBlockEditor() override;

  // The opening steps, then the modal run.
  int Open();
  void Prepare();
  // Recounts the table and draws the scheme again.
  void Rebuild();

  // The closing questions, then closes (Esc, Alt+X and the close box come here).
  void reject() override;

  // --- commands ----------------------------------------------------------------------------
  void readFromController();
  void writeToController();
  void createBlock();
  void editBlock();
  void insertBlock();
  void deleteBlocks();
  void copyBlocks();
  void appendCopies();
  void insertCopies();
  void selectAll();
  // Opens the algorithm window; its accepted table becomes one undo step.
  void createAlgorithms();
  void addAlarm();
  void editAlarm();
  void deleteAlarm();
  void addRelays();
  void editRelays();
  void deleteRelays();
  void print();
  // The calculation blocks: the dialog in each of its modes, the math blocks
  // window and what it does to a block.
  void createIntegrators();
  void createArithBlock();
  void editIntegrators();
  void editArithBlock();
  void showMathBlocks();
  void editArithBlockNumber(int k);
  void deleteArithBlock(int k);
  void fitScheme();
  void zoomOriginal();
  void undo();
  void redo();

  // --- selection ---------------------------------------------------------------------------
  std::vector<int> Selection() const;
  void SelectOnly(int index);
  void ToggleSelection(int index);
  void ClearSelection();
  int SelectedIndex() const;  // the one selected block, -1 otherwise

  // The printed pages (five rows each), into any paged device.
  void PrintPages(QPagedPaintDevice& device, const std::function<void()>& betweenPages = {});
  // Page n (0-based) into `page` of any painter.
  void PaintPage(QPainter& painter, const QRectF& page, int n);
  bool PrintToPdf(const QString& path);
  int PageCount() const;

  // What the main window gives: its caption, the information windows and
  // the discrete processing's question when there is no scheme.
  std::function<QString()> MainCaption;
  std::function<void()> ShowInputs;
  std::function<void()> ShowOutputs;
  std::function<QString()> FileLabelText;
  // The math blocks report's file and printing (Qt's dialogs when empty).
  FileChooser MathReportFile;
  ReportPrinter MathReportPrint;

  FunctionBlockItem* Item(int index) const;
  QGraphicsScene* Scene() const { return scene_; }
  FunctionBlockView* View() const { return view_; }
  FunctionBlockDialog* BlockDialog() const { return blockDialog_; }
  AlgorithmsWindow* Algorithms() const { return algorithmsWindow_; }
  CalculationBlockDialog* CalcDialog() const { return calcDialog_; }
  MathBlocksWindow* MathWindow() const { return mathWindow_; }
  QUndoStack* History() const { return history_; }
  QMenu* BlockMenu() const { return blockMenu_; }
  QMenu* BackgroundMenu() const { return backgroundMenu_; }
  // The block menu's enabling for the present selection.
  void EnableBlockMenu();
  // Puts a snapshot back (undo and redo).
  void PutBack(FunctionBlockSnapshot& other);

  QMenuBar* MainMenu;
  QToolBar* ToolBar1;
  QAction* AInPort;
  QAction* AOutPort;
  QAction* APort;
  QAction* ACreatFB;
  QAction* AAddSign;
  QAction* AAddVyh;
  QAction* ACreatIntegr;
  QAction* ACreatMath;
  QAction* AEditSign;
  QAction* AEditVyh;
  QAction* AEditFB;
  QAction* AEditIntegr;
  QAction* AEditMath;
  QAction* ACopy;
  QAction* ADelete;
  QAction* AInsertFB;
  QAction* AInsertGroup;
  QAction* ADelSign;
  QAction* ADelVyh;
  QAction* AAddGroup;
  QAction* ACreatAlg;
  QAction* ASelectAll;
  QAction* AClose;
  QAction* AUndo;
  QAction* ARedo;
  QAction* AFit;
  QAction* AZoom100;
  QPushButton* InformBut;
  QPushButton* InformButMR;
  QPushButton* ButMath;
  QPushButton* ButPrint;
  QLabel* StSign;
  QLabel* LabelFile;
  QProgressBar* ProgressBar1;

 private:
  QAction* MakeAction(const char* name, const QString& text, void (FunctionBlockEditor::*handler)(),
                      const QKeySequence& key = {});
  void BuildMenus();
  void OnClick(FunctionBlockItem* item, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
               QPoint global);
  void OnDoubleClick(FunctionBlockItem* item, FunctionBlockItem::Part part);
  // Runs a change; keeps an undo step when it says it changed something,
  // and puts everything back when it says it did not.
  void Change(const QString& text, const std::function<bool()>& change);
  // The block dialog for record `index`; false when cancelled.
  bool RunBlockDialog(int index, int mode, FunctionBlockValues& values);
  // The calculation dialog in `mode`; true when it stored something.
  bool RunCalculationDialog(CalcMode mode);
  void MathBlocksReport();
  bool RunAlarmDialog(int index);
  bool RunRelayDialog(int index);
  bool NoSchemeClosing();
  bool NeedsOneBlock(int& index);
  bool AskToClose();
  // The table (and the loops after it) off the UI thread; false when the table was not written.
  void WriteInBackground(bool withLoops, std::function<void(bool written)> then);
  void FinishClosing();
  BackgroundExchange Exchange();
  std::unique_ptr<Interaction>
      barUi_;  // the job's messages as the editor's, its progress on the editor's bar
  void UpdateSelectionColours();
  bool FileMode() const;

  Configuration& config_;
  ModbusLink& link_;
  LinkWorker& worker_;
  const SignalDialogSet& dialogs_;
  Interaction& ui_;
  QGraphicsScene* scene_;
  FunctionBlockView* view_;
  FunctionBlockDialog* blockDialog_;
  AlgorithmsWindow* algorithmsWindow_;
  CalculationBlockDialog* calcDialog_;
  MathBlocksWindow* mathWindow_;
  QUndoStack* history_;
  QMenu* blockMenu_;
  QMenu* backgroundMenu_;
  std::vector<FunctionBlockItem*> items_;
  bool closing_ = false;
};

}  // namespace zul
