#pragma once
// The regulator editor: the column of loop panels (a scene of LoopPanelItems),
// creating, programming, deleting and selecting loops, reading and writing
// blocks 32 and 33, copying loops, and the online view of the selected loop.
#include <QDialog>
#include <functional>
#include <vector>

#include "core/editing/RegulatorEditing.h"

class QAction;
class QGraphicsScene;
class QGraphicsView;
class QLabel;
class QMenu;
class QMenuBar;
class QPagedPaintDevice;
class QPainter;
class QProgressBar;
class QPushButton;

namespace zul {

struct Configuration;
class ControlLoopDialog;
class BackgroundExchange;
class LinkWorker;
class LoopPanelItem;
class ModbusLink;
class RegulatorOnlineView;

class RegulatorEditor : public QDialog {
  Q_OBJECT
 public:
  RegulatorEditor(ModbusLink& port, Configuration& config, Interaction& ui, LinkWorker& worker,
                  ControlLoopDialog* loopDialog, RegulatorOnlineView* onlineView, QWidget* parent = nullptr);

  // Shown modally; the opening reads the loops unless the configuration is a file's.
  int Open();

  void readFromController();
  void writeToController();
  void createLoop();
  void editLoop();
  void deleteSelected();
  void selectAll();
  void copyGroup();
  void addGroup();
  void insertGroup();
  void showOnline();
  void closeEditor();

  // A click on panel `place` (-1: empty space).
  void clickPanel(int place);
  void RebuildPanels();
  const std::vector<LoopPanelItem*>& PanelItems() const { return items_; }

  // "Печать": the loop panels four a page (two by two), landscape, headed by
  // the main window's caption, this window's and in file mode the file label;
  // later pages by the main caption and the page number. Nothing without loops.
  static constexpr int kLoopsPerPage = 4;
  void print();
  int PageCount() const;
  void PrintPages(QPagedPaintDevice& device);
  void PaintPage(QPainter& p, const QRectF& page, int n);
  bool PrintToPdf(const QString& path);
  // The main window's caption for the printout's heading.
  std::function<QString()> MainCaption;

  QGraphicsScene* scene;
  QGraphicsView* ScrollBox1;
  QMenuBar* MainMenu1;
  QMenu* PopupMenu1;
  QMenu* PopupMenu3;
  QAction* AInPort;
  QAction* AOutPort;
  QAction* ABReg;
  QAction* AReg;
  QAction* ADelChoose;
  QAction* ADelete;
  QAction* AChooseAll;
  QAction* ACopyGroup;
  QAction* AInSertGroup;
  QAction* AAddGroup;
  QAction* AOnLine;
  QAction* AClose;
  QPushButton* InformBut;
  QPushButton* InformButMR;
  QPushButton* Button2;
  QLabel* LabelFile;
  QProgressBar* ProgressBar1;

 signals:
  void inputsWindowWanted();
  void outputsWindowWanted();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool closeApproved_ = false;    // the closing write is done: the next close goes through
  BackgroundExchange Exchange();  // reads and writes run off the UI thread
  QAction* AddAction(QMenu* menu, const char* name, const QString& text, const QKeySequence& key);
  // The panel of loop record `loop` selected alone and scrolled into view.
  void FocusLoop(int loop);
  int CurrentLoop() const;
  bool NeedSelection();

  ModbusLink& port_;
  Configuration& config_;
  Interaction& ui_;
  LinkWorker& worker_;
  ControlLoopDialog* loopDialog_;
  RegulatorOnlineView* onlineView_;
  std::vector<LoopPanelItem*> items_;
  std::array<int, Regulators::RecordCount> copied_{};
  bool closing_ = false;
};

}  // namespace zul
