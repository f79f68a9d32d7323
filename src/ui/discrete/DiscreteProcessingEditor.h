#pragma once
// The discrete processing editor: the scheme of handled signals (one row per
// signal with its alarm, delay and relay blocks), its commands, the exchanges
// with the controller and undo. Data rules live in core/editing; the window
// draws, asks and records each change as one undo step.
#include <QDialog>
#include <QGraphicsView>
#include <functional>
#include <memory>

#include "core/Interaction.h"
#include "core/editing/DiscreteProcessingEditing.h"
#include "ui/discrete/DiscreteScheme.h"
#include "ui/inform/InformationWindows.h"
#include "ui/widgets/SnapshotUndo.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QImage;
class QPagedPaintDevice;
class QPainter;
class QProgressBar;
class QPushButton;
class QToolBar;

namespace zul {

class BackgroundExchange;
class LinkWorker;
class InputIdentifierDialog;
class ModbusLink;
struct Configuration;

// Modal results of the editor.
inline constexpr int kEditorClosed = 2;
inline constexpr int kEditorFailed = 6;  // the main window says "программирование закончено с ошибкой"
inline constexpr const char* kProgrammingFailedText = "программирование закончено с ошибкой";

// The view hands clicks on the scheme to the editor as rows and elements.
class DiscreteSchemeView : public QGraphicsView {
  Q_OBJECT
 public:
  using Element = DiscreteRowGeometry::Element;
  explicit DiscreteSchemeView(QGraphicsScene* scene, QWidget* parent = nullptr);
  // row -1: empty scheme space.
  std::function<void(int row, Element element, Qt::KeyboardModifiers modifiers)> Clicked;
  std::function<void(int row, Element element)> DoubleClicked;
  std::function<void(int row, QPoint global)> ContextMenu;
  std::function<void()> Scrolled;
  std::function<QString(int row, Element element)> Hint;
  // Row and element under a viewport position.
  std::pair<int, Element> HitTest(QPoint viewportPos) const;
  int rowCount = 0;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
};

class DiscreteProcessingEditor : public QDialog {
  Q_OBJECT
 public:
  DiscreteProcessingEditor(Configuration& config, ModbusLink& port, LinkWorker& worker, Interaction& ui,
                           const SignalDialogSet& dialogs, QWidget* parent = nullptr);
  ~DiscreteProcessingEditor() override;

  // Shows the editor modally; returns kEditorClosed or kEditorFailed.
  int Open();
  // What Open does before the event loop (tests open without showing).
  void Prepare();

  // --- what the main window provides ---------------------------------------------------------
  std::function<int()> OpenFunctionBlocks;  // "Функц. блоки" (disabled while unset)
  std::function<void()> SetUpPort;          // "Настройка СОМ порта"
  std::function<void()> ShowRelayOutputs;   // "Дискретные выходы"
  // Printing: runs the preview in the program; a test puts a PDF writer here.
  std::function<void()> PrintScheme;

  // --- handlers (named after the commands) -----------------------------------------------------
  void InPortClick();
  void OutPortClick();
  void OpenFileClick();
  void CreatVhButClick();
  void CreatSignButClick();
  void CreatZaderButClick();
  void CreatVyhButClick();
  void PMenu1SignClick();
  void PMenu1ZaderClick();
  void PMenu1VyhClick();
  void PMenu1IdClick();
  void PMenu2TextClick();
  void PMenu2ArhivClick();
  void PMenu2InfClick();
  void InfVyhClick();
  void PMenu2DelClick();
  void DelSignClick();
  void DelZaderClick();
  void DelVyhClick();
  void PMenu2CopClick();
  void PMenu2ChangeClick();
  void InsertPaspGroupClick();
  void InsertPaspGroupFromClick();
  void DelChooseClick();
  void CutClick();
  void ChooseAllClick();
  void PMenu3NVhClick();
  void PMenu1FBClick();
  void PortClick();
  void NCloseClick();
  void Button1Click();

  // Mouse on the scheme, as the view reports it.
  void RowClicked(int row, DiscreteRowGeometry::Element element, Qt::KeyboardModifiers modifiers);
  void RowDoubleClicked(int row, DiscreteRowGeometry::Element element);
  void ShowPopup(int row, QPoint global);
  // The hints of the input panel and the archiving switch.
  QString HintAt(int row, DiscreteRowGeometry::Element element) const;
  // The in-place text field over row r's text label.
  void BeginTextEdit(int row);
  void EndTextEdit(bool keep);

  // Rows, selection and blocks drawn again from the configuration.
  void Redraw();
  void UpdateActions();
  // Paints the printout: 11 rows a page, then the relay outputs of the rows.
  void PaintPrintout(QPagedPaintDevice& device);
  // The first page as the preview shows it.
  QImage PrintoutFirstPage(QSize size);
  // The printout into a PDF file as the preview prints it; true when written.
  bool PrintToPdf(const QString& path);
  static constexpr int kRowsPerPage = 11;
  void ScrollToRow(int row);

  QMenuBar* MainMenu1;
  QToolBar* ToolBar1;
  QMenu* PopupMenu2;
  QMenu* PopupMenu3;
  DiscreteSchemeScene* scene;
  DiscreteSchemeView* ScrollBox1;
  QLabel* LabelFile;
  QLabel* LabelModif;
  QLineEdit* EditModif;
  QLabel* TipModInd;
  QProgressBar* ProgressBar1;
  QPushButton* InformButMR;
  QPushButton* Button1;
  QLineEdit* EditTextInPlace;
  InputIdentifierDialog* identifierDialog;

  QAction *AInPort, *AOutPort, *AOpenFile, *ASaveFile, *ACreatFile, *AParol, *AVhod, *ABSign, *ABZader,
      *ABVyh, *ASign, *AZader, *ABlVyh, *AId, *AText, *AArhiv, *AInfAnalog, *AInfVyh, *ADelete, *ADelSign,
      *ADelZader, *ADelVyh, *ACopy, *AChange, *AInsertPaspGroup, *AInsertPaspGroupFrom, *ADelChoose, *ACut,
      *AChooseAll, *ANomerVh, *AFB, *APort, *AClose, *AUndo, *ARedo;

  SnapshotUndo<DiscreteSnapshot>& Undo() { return *undo_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class ProgressInteraction;
  void BuildActions();
  void BuildLayout();
  void BuildScheme();
  // Pages onto a painter; newPage() false ends the printout.
  void PaintPages(QPainter& p, const QRectF& page, const std::function<bool()>& newPage);
  // One undo step around a change (dialogs included).
  void Edit(const QString& text, const std::function<void()>& change);
  bool NeedSignal(const char* text);  // a current signal; warns otherwise
  bool NeedRow();                     // its row exists; warns otherwise
  bool NeedSelection();
  bool NeedRows();
  void Warn(const char* text);
  void Inform(const char* text);
  // The text into the signal base (inside an undo step), then at once to the
  // controller when it was typed and the editor works on a controller.
  void SetSignalText(int signal, const QString& text);
  void WriteTextNow(int signal);
  void StoreText(int signal, const QString& text);
  void EditAlarm();
  void EditDelay();
  void EditRelays();
  // The closing question; false keeps the editor open.
  // true: close now; false: stay (a closing write closes the editor when it is done).
  bool CanClose();
  void FinishClosing();
  void RebuildAfterRead();
  QString Caption() const;
  // Reads and writes run off the UI thread, the editor's bar fed through its Interaction.
  BackgroundExchange Exchange();

  Configuration& c_;
  ModbusLink& port_;
  LinkWorker& worker_;
  Interaction& baseUi_;
  std::unique_ptr<ProgressInteraction> ui_;
  SignalDialogSet dialogs_;
  std::unique_ptr<SnapshotUndo<DiscreteSnapshot>> undo_;
  bool pasteEnabled_ = false;
  bool failed_ = false;
  int textRow_ = -1;
};

}  // namespace zul
