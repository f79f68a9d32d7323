#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "core/model/Cp1251.h"
#include "support/RtfText.h"
#include "ui/PdfText.h"
#include "ui/UiTestSupport.h"
#include "ui/discrete/SignalDialogs.h"
#include "ui/inform/InformationWindows.h"

using namespace zul;
using namespace zul::test;

namespace {

QString Cell(const QTableWidget* grid, int row, int column) { return grid->item(row, column)->text(); }

// Types a new text into the text dialog and closes it with OK.
std::function<void(QWidget*)> TypeText(const QString& text) {
  return [text](QWidget* w) {
    auto* d = qobject_cast<InputTextDialog*>(w);
    QVERIFY(d);
    d->EditText->clear();
    QTest::keyClick(d->EditText, Qt::Key_A);  // typed: the dialog marks the text changed
    d->EditText->setText(text);
    d->OK->click();
  };
}

// Fills the number dialog's visible group and presses OK.
std::function<void(QWidget*)> Numbers(std::vector<QString> values) {
  return [values](QWidget* w) {
    auto* d = qobject_cast<SignalNumberDialog*>(w);
    QVERIFY(d);
    std::vector<QLineEdit*> fields;
    if (d->GroupBox2->isVisibleTo(d)) fields = {d->Edit1, d->Edit2};
    if (d->GroupBox3->isVisibleTo(d)) fields = {d->Edit3};
    QCOMPARE(fields.size(), values.size());
    for (size_t k = 0; k < fields.size(); ++k) fields[k]->setText(values[k]);
    d->OK->click();
  };
}

std::function<void(QWidget*)> Close() {
  return [](QWidget* w) { static_cast<QDialog*>(w)->reject(); };
}

}  // namespace

class InformTest : public QObject {
  Q_OBJECT
 private slots:
  void InputsWindow_TwoDiscreteOneAnalogModule_ShowsTheirRows();
  void EditedText_FollowsTheModeAndAccess_data();
  void EditedText_FollowsTheModeAndAccess();
  void TextDialog_EscapeOrCloseBox_KeepsTheTextAndSendsNothing_data();
  void TextDialog_EscapeOrCloseBox_KeepsTheTextAndSendsNothing();
  void IdentifierOfAnAnalogSetpoint_OpensTheAnalogInformation();
  void OutputText_IsNeverSent();
  void CopyFromTheIdentifierColumn_DoesNothing();
  void CopyThenReplace_StopsAtTheLastSignal();
  void OutputNamesFromFile_RefreshTheTable();
  void Report_RefusesTxtAndSavesRtfWithTheTable_data();
  void Report_RefusesTxtAndSavesRtfWithTheTable();
  void Report_PrintsOnlyAfterYes();
  void Reports_ReadAtPrinterResolution();
  void Screenshots();
};

void InformTest::InputsWindow_TwoDiscreteOneAnalogModule_ShowsTheirRows() {
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3});
  rig.form->discreteProcessing.SetByte(30, 6, 1);  // relay module 6 only: not looked at
  rig.form->discreteProcessing.SetByte(31, 2, 1);
  rig.form->InformBut->setEnabled(true);  // as after a read
  QVERIFY(WhileModal([&] { rig.form->InformBut->click(); },
                     [&](QWidget* w) {
                       auto* inform = qobject_cast<InputsWindow*>(w);
                       QVERIFY(inform);
                       QCOMPARE(inform->windowTitle(), "Информация о входах");
                       QCOMPARE(Cell(inform->StringGrid1, 0, 1), "Идентификатор ");
                       QCOMPARE(Cell(inform->StringGrid1, 1, 1), "DI_1_1    ");
                       QCOMPARE(Cell(inform->StringGrid1, 48, 0), "48");
                       QCOMPARE(Cell(inform->StringGrid1, 48, 1), "AI1_6_HH  ");
                       QCOMPARE(Cell(inform->StringGrid1, 49, 0), "");
                       QCOMPARE(Cell(inform->StringGrid1, 31, 4), "       -");
                       QCOMPARE(Cell(inform->StringGrid1, 32, 4), "       V");
                       QCOMPARE(Cell(inform->StringGrid2, 3, 1), "AI1_3");
                       QCOMPARE(Cell(inform->StringGrid2, 3, 2), " 0x02");
                       QCOMPARE(Cell(inform->StringGrid2, 6, 0), "6");
                       QCOMPARE(Cell(inform->StringGrid2, 7, 0), "");
                       QCOMPARE(inform->focusWidget(), inform->StringGrid1);
                       QVERIFY(!inform->ProgressBar1->isVisible());
                       inform->reject();
                     }));
  // Another window's fill leaves the relay column blank.
  rig.form->inputsWindow->Fill(RelayColumn::Blank);
  QCOMPARE(Cell(rig.form->inputsWindow->StringGrid1, 32, 4), "        ");
}

void InformTest::EditedText_FollowsTheModeAndAccess_data() {
  QTest::addColumn<int>("fileMode");
  QTest::addColumn<int>("access");
  QTest::addColumn<int>("row");
  QTest::addColumn<int>("block");  // -1: nothing sent
  QTest::addColumn<int>("fileChanged");
  QTest::addColumn<bool>("warned");
  QTest::newRow("device, full access: block 41") << 0 << kFullAccess << 20 << 41 << 0 << false;
  QTest::newRow("file mode: only marked") << 1 << kFullAccess << 20 << -1 << 1 << false;
  QTest::newRow("restricted access: warned") << 0 << kViewingAccess << 20 << -1 << 0 << true;
  QTest::newRow("text 193: memory only") << 0 << kFullAccess << 193 << -1 << 0 << false;
}

void InformTest::EditedText_FollowsTheModeAndAccess() {
  QFETCH(int, fileMode);
  QFETCH(int, access);
  QFETCH(int, row);
  QFETCH(int, block);
  QFETCH(int, fileChanged);
  QFETCH(bool, warned);
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3});
  rig.form->service.SetSignalCount(252);
  rig.form->service.FileMode = fileMode;
  rig.form->discreteProcessing.AccessLevel = access;
  rig.line.QueueFrame({0x01, 0x45, 0x01, 0x29});
  rig.line.QueueFrame({0x01, 0x0E});
  InputsWindow& inform = *rig.form->inputsWindow;
  inform.Fill();
  inform.StringGrid1->setCurrentCell(row, 3);
  QCOMPARE(ModalSteps([&] { inform.onRowDoubleClicked(); }, {TypeText("Насос 20")}), size_t{0});
  QCOMPARE(rig.form->service.GetText(row - 1), "Насос 20");
  QCOMPARE(Cell(inform.StringGrid1, row, 3), "Насос 20");
  QCOMPARE(rig.form->service.FileChanged, fileChanged);
  QCOMPARE(!rig.ui.Shown().empty(), warned);
  QVERIFY(!inform.ProgressBar1->isVisible());
  if (block < 0) {
    QVERIFY(rig.line.Written().empty());
    return;
  }
  QCOMPARE(rig.line.Written().size(), size_t{2});
  const Bytes& store = rig.line.Written()[0];
  QCOMPARE(int(store[1]), 69);
  QCOMPARE(int(store[2]), block);
  QCOMPARE(store.size() - 4, size_t{225});
  QCOMPARE(GetTextField(store.data() + 3 + 14 * 3, 14),
           std::string("Насос 20"));  // signal 19 is row 3 of block 41
}

void InformTest::TextDialog_EscapeOrCloseBox_KeepsTheTextAndSendsNothing_data() {
  QTest::addColumn<bool>("escape");  // else the title bar's close button
  QTest::newRow("Escape") << true;
  QTest::newRow("close button") << false;
}

void InformTest::TextDialog_EscapeOrCloseBox_KeepsTheTextAndSendsNothing() {
  QFETCH(bool, escape);
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3});
  rig.form->service.SetSignalCount(252);
  rig.form->discreteProcessing.AccessLevel = kFullAccess;
  rig.form->service.SetText(19, "Насос 20");
  InputsWindow& inform = *rig.form->inputsWindow;
  inform.Fill();
  inform.StringGrid1->setCurrentCell(20, 3);
  QCOMPARE(ModalSteps([&] { inform.onRowDoubleClicked(); }, {[escape](QWidget* w) {
                        auto* d = qobject_cast<InputTextDialog*>(w);
                        QVERIFY(d);
                        QTest::keyClicks(d->EditText, "xyz");
                        if (escape)
                          QTest::keyClick(d->EditText, Qt::Key_Escape);
                        else
                          d->close();
                      }}),
           size_t{0});
  QCOMPARE(rig.form->service.GetText(19), "Насос 20");
  QCOMPARE(Cell(inform.StringGrid1, 20, 3), "Насос 20");
  QCOMPARE(rig.form->service.TextChanged, 0);
  QVERIFY(rig.line.Written().empty());
}

void InformTest::IdentifierOfAnAnalogSetpoint_OpensTheAnalogInformation() {
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3});
  InputsWindow& inform = *rig.form->inputsWindow;
  inform.Fill();
  inform.StringGrid1->setCurrentCell(5, 1);  // an own discrete input: nothing
  QCOMPARE(ModalSteps([&] { inform.onRowDoubleClicked(); }, {Close()}), size_t{1});
  inform.StringGrid1->setCurrentCell(36, 1);
  QVERIFY(WhileModal([&] { inform.onRowDoubleClicked(); },
                     [&](QWidget* w) {
                       auto* info = qobject_cast<AnalogInputInfoDialog*>(w);
                       QVERIFY(info);
                       QCOMPARE(info->Label2->text(), "36 (адрес 0x23)      AI1_3_HH  ");
                       QCOMPARE(info->LabTMod->text(), "ЛК-7");
                       QCOMPARE(info->Label1->text(), "3");
                       QCOMPARE(info->LabUstLL->text(), "уставка HH");
                       QVERIFY(!info->Poz1->isEnabled());
                       info->OK->click();
                     }));
}

void InformTest::OutputText_IsNeverSent() {
  MainWindowRig rig;
  rig.Compose({1, 6, 3});
  rig.form->discreteProcessing.AccessLevel = kFullAccess;
  OutputsWindow& mr = *rig.form->outputsWindow;
  for (int fileMode : {0, 1}) {
    rig.form->service.FileMode = fileMode;
    mr.Fill();
    QCOMPARE(Cell(mr.StringGrid1, 0, 1), "Наименование");
    QCOMPARE(Cell(mr.StringGrid1, 4, 3), "DO_1_3");
    QCOMPARE(Cell(mr.StringGrid1, 4, 2), " 0x02");
    mr.StringGrid1->setCurrentCell(4, 1);
    QCOMPARE(ModalSteps([&] { mr.onRowDoubleClicked(); }, {TypeText("Клапан")}), size_t{0});
    QCOMPARE(rig.form->service.GetOutputText(2), "Клапан");
    QCOMPARE(Cell(mr.StringGrid1, 4, 1), "Клапан");
    QCOMPARE(rig.form->service.FileChanged, fileMode);
  }
  QVERIFY(rig.line.Written().empty());
  mr.StringGrid1->setCurrentCell(10, 1);  // beyond the 8 outputs: nothing
  QCOMPARE(ModalSteps([&] { mr.onRowDoubleClicked(); }, {Close()}), size_t{1});
}

void InformTest::CopyFromTheIdentifierColumn_DoesNothing() {
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3});
  InputsWindow& inform = *rig.form->inputsWindow;
  inform.Fill();
  inform.StringGrid1->setCurrentCell(3, 1);
  inform.onRowDoubleClicked();
  QCOMPARE(inform.RememberedColumn(), 1);
  QCOMPARE(ModalSteps([&] { inform.CopyTextGroup->trigger(); }, {Close()}), size_t{1});
  QVERIFY(!inform.InsertTextGroup->isEnabled());
}

void InformTest::CopyThenReplace_StopsAtTheLastSignal() {
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3});
  for (int s = 0; s < 252; ++s) rig.form->service.SetText(s, "t" + std::to_string(s));
  InputsWindow& inform = *rig.form->inputsWindow;
  inform.Fill();
  inform.StringGrid1->setCurrentCell(2, 3);
  QCOMPARE(ModalSteps([&] { inform.onRowDoubleClicked(); }, {Close()}), size_t{0});  // the text dialog
  QCOMPARE(inform.RememberedColumn(), 3);
  QCOMPARE(ModalSteps([&] { inform.CopyTextGroup->trigger(); }, {Numbers({"1", "3"})}), size_t{0});
  QVERIFY(inform.InsertTextGroup->isEnabled());
  QCOMPARE(ModalSteps([&] { inform.InsertTextGroup->trigger(); }, {Numbers({"47"})}), size_t{0});
  QCOMPARE(Cell(inform.StringGrid1, 47, 3), "t0");
  QCOMPARE(Cell(inform.StringGrid1, 48, 3), "t1");
  QCOMPARE(rig.form->service.GetText(48), "t48");
  QCOMPARE(rig.form->discreteProcessing.RebuildOnly, 1);
  QCOMPARE(rig.form->discreteProcessing.Modified, 1);
  QVERIFY(rig.line.Written().empty());
}

void InformTest::OutputNamesFromFile_RefreshTheTable() {
  MainWindowRig rig;
  rig.Compose({1, 6, 3});
  OutputsWindow& mr = *rig.form->outputsWindow;
  mr.Fill();
  QByteArray bytes(37129, '\0');
  bytes[2] = 1, bytes[3] = 6, bytes[4] = 3;
  const QByteArray name = QByteArray::fromStdString(Utf8ToCp1251("Мотор"));
  bytes.replace(7400, name.size(), name);
  const QString path = QDir(rig.dir.path()).filePath("names.zul");
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  file.close();
  mr.DialOpenFile = [&](const FileDialogRequest& r) {
    [&] { QVERIFY(!r.save); }();
    return path;
  };
  mr.NameFromFile->click();
  QVERIFY(rig.ui.Shown().empty());
  QCOMPARE(Cell(mr.StringGrid1, 2, 1), "Мотор");
}

void InformTest::Report_RefusesTxtAndSavesRtfWithTheTable_data() {
  QTest::addColumn<int>("table");  // 0 discrete, 1 analog, 2 outputs
  QTest::addColumn<QString>("firstHeader");
  QTest::addColumn<QString>("firstRow");
  QTest::newRow("discrete") << 0 << "  № \tИдентификатор \t   Адрес\tТекст.реквизит\tвых на МР"
                            << "1\tDI_1_1        \t 0x00\tВход 1        \t       -";
  QTest::newRow("analog") << 1 << "  № \tИдентификатор \t   Адрес\tТехнолог. поз."
                          << "1\tAI1_1         \t 0x00\t";
  QTest::newRow("outputs")
      << 2
      << "  №  Наименование\tАдрес\tИденти-\t  Тип\tУпр.-с блок./без блок.\tКвитирование "
         "c\tКвитирование \t № входа вн.\tСброс с центр.\t Сброс с\t\t№ входа вн."
      << " 1  Выход 1           \t 0x00\tDO_1_1\tуправл.\tс   блокировкой\t\tнет\t\tнет\t\t0"
         "\t\tесть\t\tесть\t\t0";
}

void InformTest::Report_RefusesTxtAndSavesRtfWithTheTable() {
  QFETCH(int, table);
  QFETCH(QString, firstHeader);
  QFETCH(QString, firstRow);
  MainWindowRig rig;
  rig.Compose({1, 6, 3});
  rig.form->relayModules.SetDefaults();
  rig.form->service.SetText(0, "Вход 1");
  rig.form->service.SetOutputText(0, "Выход 1");
  rig.form->service.FileMode = 1;
  rig.form->FileName = "conf.zul";
  std::vector<QString> names = {QDir(rig.dir.path()).filePath("report.txt"),
                                QDir(rig.dir.path()).filePath("report")};
  size_t asked = 0;
  int printed = 0;
  InformWindow* window =
      table == 2 ? static_cast<InformWindow*>(rig.form->outputsWindow) : rig.form->inputsWindow;
  window->DialSaveFile = [&](const FileDialogRequest& r) {
    [&] { QVERIFY(r.save); }();
    return asked < names.size() ? names[asked++] : QString();
  };
  window->PrintReport = [&](const Report&) { ++printed; };
  rig.ui.QueueAnswer(Answer::Ok);  // the wrong name
  rig.ui.QueueAnswer(Answer::No);  // not printed
  rig.form->inputsWindow->Fill();
  rig.form->outputsWindow->Fill();
  if (table == 0) rig.form->inputsWindow->BNew1->click();
  if (table == 1) rig.form->inputsWindow->BNew2->click();
  if (table == 2) rig.form->outputsWindow->BNew->click();

  QCOMPARE(asked, size_t{2});
  QCOMPARE(printed, 0);
  QCOMPARE(rig.ui.Shown().size(), size_t{2});
  QCOMPARE(rig.ui.Shown()[0].text, std::string("Неверно задано имя файла"));
  QCOMPARE(rig.ui.Shown()[0].caption, std::string("Cохранение данных в файл"));
  QCOMPARE(rig.ui.Shown()[1].text, std::string("Печатать?"));
  QFile saved(QDir(rig.dir.path()).filePath("report.rtf"));
  QVERIFY(saved.open(QIODevice::ReadOnly));
  const RtfText text = ReadRtf(saved.readAll().toStdString());
  QVERIFY2(text.wellFormed, text.error.c_str());
  QVERIFY(text.paragraphs.size() > 7);
  QCOMPARE(QString::fromStdString(text.paragraphs[0]), "Файл conf.zul");
  QCOMPARE(QString::fromStdString(text.paragraphs[4]), firstHeader);
  const size_t firstRowLine = table == 2 ? 7 : 6;
  QCOMPARE(QString::fromStdString(text.paragraphs[firstRowLine]), firstRow);
  const bool landscape =
      std::find(text.controlWords.begin(), text.controlWords.end(), "landscape") != text.controlWords.end();
  QCOMPARE(landscape, table == 2);
}

void InformTest::Report_PrintsOnlyAfterYes() {
  MainWindowRig rig;
  rig.Compose({1});
  InputsWindow& inform = *rig.form->inputsWindow;
  inform.Fill();
  const QString path = QDir(rig.dir.path()).filePath("a.RTF");
  inform.DialSaveFile = [&](const FileDialogRequest&) { return path; };
  std::vector<std::string> printedTitles;
  inform.PrintReport = [&](const Report& r) { printedTitles.push_back(r.lines.front()); };
  rig.form->service.FileMode = 0;
  rig.form->EditModif->setText("1000000000000000");
  rig.form->CBoxUstr->setCurrentIndex(2);
  rig.ui.QueueAnswer(Answer::Yes);
  inform.BNew1->click();
  QCOMPARE(printedTitles, std::vector<std::string>{"ЗУЛ-05HMI  1000000000000000  № 3"});
  QVERIFY(QFile::exists(path));
  // A cancelled dialog: nothing saved, nothing asked.
  rig.ui.Clear();
  inform.DialSaveFile = [](const FileDialogRequest&) { return QString(); };
  inform.BNew1->click();
  QVERIFY(rig.ui.Shown().empty());
  QCOMPARE(printedTitles.size(), size_t{1});
  // A file that cannot be created: asked again, No ends the command.
  inform.DialSaveFile = [&](const FileDialogRequest&) {
    return QDir(rig.dir.path()).filePath("no/such/dir/b");
  };
  rig.ui.QueueAnswer(Answer::No);
  inform.BNew1->click();
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(rig.ui.Last().text, std::string("Файл не удается создать.\nПовторить?"));
  QCOMPARE(rig.ui.Last().caption, std::string("Сохранение файла печати"));
}

// The reports as the preview prints them, at the printer's resolution: the
// lines come out as words of a readable size, in the report's orientation.
void InformTest::Reports_ReadAtPrinterResolution() {
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3, 3});
  rig.form->relayModules.SetDefaults();
  for (int s = 0; s < 24; ++s) rig.form->service.SetText(s, "Насос " + std::to_string(s + 1));
  InputsWindow& inform = *rig.form->inputsWindow;
  OutputsWindow& mr = *rig.form->outputsWindow;
  inform.Fill();
  mr.Fill();
  const struct {
    const char* name;
    Report report;
    const char* word;
  } reports[] = {{"discrete", inform.DiscreteReport(), "Насос"},
                 {"analog", inform.AnalogReport(), "AI1_1"},
                 {"outputs", mr.OutputsReport(), "DO_1_1"}};
  QTemporaryDir dir;
  for (const auto& r : reports) {
    const QString pdf = dir.filePath(QString(r.name) + ".pdf");
    {
      QPrinter printer(QPrinter::HighResolution);
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      SetUpPrinter(r.report, printer);
      PrintReportDocument(r.report, printer);
    }
    const QList<test::PdfWord> words = test::PdfWords(pdf);
    QVERIFY2(!words.isEmpty(), r.name);
    QVERIFY2(test::HasWord(words, r.word), r.name);
    const bool landscape = words.first().paper.width() > words.first().paper.height();
    QCOMPARE(landscape, r.report.orientation == PageOrientation::Landscape);
    const QStringList bad = test::Unreadable(words);
    QVERIFY2(bad.isEmpty(), qPrintable(QString(r.name) + ": " + bad.mid(0, 10).join("; ")));
  }
}

// With ZUL_SCREENSHOT_DIR set, the two windows and a report preview are saved
// there as pictures (the documentation's screenshots).
void InformTest::Screenshots() {
  const QString dir = qEnvironmentVariable("ZUL_SCREENSHOT_DIR");
  if (dir.isEmpty()) QSKIP("ZUL_SCREENSHOT_DIR not set");
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3, 3});
  rig.form->relayModules.SetDefaults();
  const char* names[] = {"Насос 1", "Насос 2", "Задвижка 1", "Задвижка 2", "Вентилятор"};
  for (int s = 0; s < 24; ++s)
    rig.form->service.SetText(s, names[s % 5] + std::string(" ") + std::to_string(s + 1));
  for (int o = 0; o < 16; ++o) rig.form->service.SetOutputText(o, "Реле " + std::to_string(o + 1));
  for (int s = 0; s < 10; ++s) rig.form->discreteProcessing.SetByte(s, 1, 1);
  rig.form->analogModules.SetPosition(0, 0, "TE-101");
  rig.form->analogModules.SetPosition(0, 1, "PT-102");
  rig.form->service.FileMode = 1;
  rig.form->FileName = "station.zul";
  InputsWindow& inform = *rig.form->inputsWindow;
  OutputsWindow& mr = *rig.form->outputsWindow;
  inform.Fill();
  mr.Fill();
  inform.show();
  mr.show();
  QTest::qWait(50);
  QVERIFY(inform.grab().save(dir + "/inform.png"));
  QVERIFY(mr.grab().save(dir + "/inform_mr.png"));
  inform.hide();
  mr.hide();

  const Report report = mr.OutputsReport();
  QPrinter printer(QPrinter::HighResolution);  // as the program previews it
  SetUpPrinter(report, printer);
  QPrintPreviewWidget preview(&printer);
  QObject::connect(&preview, &QPrintPreviewWidget::paintRequested,
                   [&](QPrinter* p) { PrintReportDocument(report, *p); });
  preview.resize(1100, 800);
  preview.show();
  preview.updatePreview();
  preview.fitToWidth();
  QTest::qWait(100);
  QVERIFY(preview.grab().save(dir + "/report_preview.png"));
}

QTEST_MAIN(InformTest)
#include "inform_test.moc"
