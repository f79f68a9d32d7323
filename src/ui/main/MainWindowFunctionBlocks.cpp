// The main window's side of the function block editor: creating it with
// what it needs from the main window, and opening it.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "ui/fb/AlgorithmsWindow.h"
#include "ui/fb/FunctionBlockEditor.h"
#include "ui/inform/InformationWindows.h"
#include "ui/main/MainWindow.h"

namespace zul {

FunctionBlockEditor* MainWindow::CreateFunctionBlockEditor() {
  auto* editor = new FunctionBlockEditor(config, link, Worker, signalDialogs, ui_, this);
  editor->MainCaption = [this] { return windowTitle(); };
  editor->ShowInputs = [this] { inputsWindow->Open(RelayColumn::Blank); };
  editor->ShowOutputs = [this] { outputsWindow->Open(); };
  editor->FileLabelText = [this] { return LabelFile->text(); };
  editor->Algorithms()->ReportTitle = [this] {
    return zul::ReportTitle(service.FileMode == 1, FileName.toStdString(), EditModif->text().toStdString(),
                            CBoxUstr->currentText().toStdString());
  };
  return editor;
}

void MainWindow::openFunctionBlockEditor() {
  service.CurrentDevice = CBoxUstr->currentIndex();
  functionBlockEditor->Open();
}

}  // namespace zul
