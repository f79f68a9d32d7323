#include "ui/widgets/ReportPrinting.h"

#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "core/Interaction.h"

namespace zul {

namespace {

constexpr const char* kWrongNameCaption = "Cохранение данных в файл";  // the first letter is Latin
constexpr const char* kWrongNameText = "Неверно задано имя файла";
constexpr const char* kCannotCreateCaption = "Сохранение файла печати";
constexpr const char* kCannotCreateText = "Файл не удается создать.\nПовторить?";
constexpr const char* kPrintCaption = "Необходимость печати файла .rtf";
constexpr const char* kPrintText = "Печатать?";

}  // namespace

FileChooser QtReportFileChooser(QWidget* parent) {
  return [parent](const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.title.isEmpty() ? kReportDialogTitle : request.title, QString(),
                       kRtfFilter);
    dialog.setObjectName("DialSaveFile");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.proposed.isEmpty()) dialog.selectFile(request.proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().front();
  };
}

ReportOutcome SaveAndPrintReport(const Report& report, const FileChooser& choose, Interaction& ui,
                                 const ReportPrinter& print) {
  FileDialogRequest request{true, kReportDialogTitle, QString()};
  for (;;) {
    const QString chosen = choose(request);
    if (chosen.isEmpty()) return ReportOutcome::Cancelled;
    const QString path = WithRtfExtension(chosen);
    if (path.isEmpty()) {
      ui.Show(kWrongNameCaption, kWrongNameText, Icon::Warning);
      request.proposed = chosen;
      continue;
    }
    if (SaveReport(report, path.toStdString())) break;
    const Answer again =
        ui.Ask({kCannotCreateCaption, kCannotCreateText, Icon::Question, Buttons::YesNo, Answer::Yes});
    if (again != Answer::Yes) return ReportOutcome::Cancelled;
    request.proposed = chosen;
  }
  const Answer a = ui.Ask({kPrintCaption, kPrintText, Icon::Question, Buttons::YesNo, Answer::Yes});
  if (a != Answer::Yes) return ReportOutcome::Saved;
  if (print) print(report);
  return ReportOutcome::Printed;
}

ReportPrinter QtReportPrinter(QWidget* parent) {
  return [parent](const Report& report) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(report, printer);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName("ReportPreview");
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&report](QPrinter* p) { PrintReportDocument(report, *p); });
    preview.exec();
  };
}

}  // namespace zul
