// The algorithm window opened from the function block editor: the block
// table, typing the algorithm table, its refusals, algorithms from another
// file, the reports, and the scheme's labels after closing.
#include <QAction>
#include <QCheckBox>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUndoStack>
#include <QtTest>
#include <algorithm>

#include "FunctionBlockEditorRig.h"
#include "UiTestSupport.h"
#include "core/config/AlgorithmReport.h"
#include "core/config/ReadConfiguration.h"
#include "core/config/ZulFile.h"
#include "core/editing/FunctionBlockEditing.h"
#include "core/link/ModbusLink.h"
#include "report/ReportDocument.h"
#include "sim/SimulatedLine.h"
#include "support/RtfText.h"
#include "support/SampleConfiguration.h"
#include "support/WritingLink.h"
#include "ui/discrete/SignalDialogs.h"
#include "ui/fb/AlgorithmsWindow.h"
#include "ui/fb/FunctionBlockEditor.h"
#include "ui/inform/InformationWindows.h"
#include "ui/link/LinkWorker.h"

namespace zul {
namespace {

using test::ModalSteps;
constexpr int kHead = AlgorithmsWindow::kHeaderRows;

struct EditorRig : test::FunctionBlockEditorRig {
  EditorRig() {
    Open();
    window = editor->Algorithms();
  }
  void MakeBlocks(int count) {
    for (int i = 0; i < FunctionBlocks::kCapacity; ++i) fb().ClearRecord(i);
    for (int i = 0; i < count; ++i) fb().SetTypeCode(i, ftOR + 1);
    editor->Rebuild();
  }
  // Runs "Создание алгоритмов" with `inside` acting in the window; false when
  // the window did not come up.
  bool WithWindow(const std::function<void(AlgorithmsWindow&)>& inside) {
    return ModalSteps([&] { editor->ACreatAlg->trigger(); }, {[&](QWidget* w) {
                        auto* a = qobject_cast<AlgorithmsWindow*>(w);
                        if (a) inside(*a);
                        // A refusal answered No keeps it open: the test is over anyway.
                        if (w->isVisible()) static_cast<QDialog*>(w)->done(QDialog::Rejected);
                      }}) == 0;
  }
  // The labels on the scheme, top to bottom.
  QStringList Labels() const {
    QList<QGraphicsSimpleTextItem*> items;
    for (QGraphicsItem* item : editor->Scene()->items())
      if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item)) items.push_back(text);
    std::sort(items.begin(), items.end(), [](auto* a, auto* b) { return a->y() < b->y(); });
    QStringList texts;
    for (auto* t : items) texts << t->text();
    return texts;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const Message& m : ui.Shown()) t.push_back(m.text);
    return t;
  }

  AlgorithmsWindow* window = nullptr;
};

void Type(AlgorithmsWindow& w, int row, const QString& number, const QString& name, const QString& members) {
  w.StringGrid2->item(kHead + row, 0)->setText(number);
  w.StringGrid2->item(kHead + row, 1)->setText(name);
  w.StringGrid2->item(kHead + row, 2)->setText(members);
}

void TypeThree(AlgorithmsWindow& w) {
  Type(w, 0, " 1", "Пуск насосов", "1,2,3,");
  Type(w, 1, " 2", "Работа", "4,5,");
  Type(w, 2, " 3", "Останов", "6,7,8,9,");
}

}  // namespace

class AlgorithmsWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void BlockTableShowsEveryBlock();
  void TypedAlgorithmsBecomeLabelsAndOneUndoStep();
  void RefusedTable_data();
  void RefusedTable();
  void LockedMemberListsAreKept();
  void AnEmptyNameBlanksItsLabel();
  void AlgorithmsFromAnotherFile();
  void ChangesInFileModeMarkTheFile();
  void ReportsAreSavedAsRtf();
  void ReportTitleFromTheMainWindow();
  void Screenshots();
};

void AlgorithmsWindowTest::BlockTableShowsEveryBlock() {
  EditorRig rig;
  rig.MakeBlocks(4);
  rig.fb().SetInputSource(1, 0, srcFBOutput);
  rig.fb().SetInputNumber(1, 0, 1);
  rig.fb().SetInputSource(1, 3, srcCoDeSys);
  rig.fb().SetInputNumber(1, 3, 7);
  QVERIFY(rig.editor->BackgroundMenu()->actions().contains(rig.editor->ACreatAlg));
  QVERIFY(rig.editor->ACreatAlg->isEnabled());
  QVERIFY(rig.WithWindow([](AlgorithmsWindow& w) {
    QCOMPARE(w.windowTitle(), QString("Информация о функциональных блоках и  алгоритмах"));
    QCOMPARE(w.StringGrid1->rowCount(), kHead + 4);
    QCOMPARE(w.StringGrid1->item(1, 3)->text(), QString("вход. сигнала 1"));
    QCOMPARE(w.StringGrid1->item(kHead + 1, 1)->text(), QString("ФБ2"));
    QCOMPARE(w.StringGrid1->item(kHead + 1, 2)->text(), QString("\"ИЛИ\" (4 входа)"));
    QCOMPARE(w.StringGrid1->item(kHead + 1, 3)->text(), QString("ФБ1"));
    QCOMPARE(w.StringGrid1->item(kHead + 1, 6)->text(), QString("вых. CoDeSys 7"));
    QVERIFY(!(w.StringGrid1->item(kHead, 0)->flags() & Qt::ItemIsEditable));
    QCOMPARE(w.StringGrid2->item(0, 1)->text(), QString("Наименование  алгоритма "));
    w.OK->click();
  }));
}

void AlgorithmsWindowTest::TypedAlgorithmsBecomeLabelsAndOneUndoStep() {
  EditorRig rig;
  rig.MakeBlocks(9);
  QVERIFY(rig.Labels().isEmpty());
  QVERIFY(rig.WithWindow([](AlgorithmsWindow& w) {
    TypeThree(w);
    w.OK->click();
    QVERIFY(!w.isVisible());
  }));
  QCOMPARE(rig.Labels(), QStringList({"Пуск насосов", "Работа", "Останов"}));
  QCOMPARE(rig.fb().GetAlgStart(3), 4);
  // Block 4 starts a row of its own, with its label just above it.
  QCOMPARE(rig.editor->Item(3)->x(), 0.0);
  QVERIFY(rig.ui.Shown().empty());
  QCOMPARE(rig.editor->History()->count(), 1);
  rig.editor->undo();
  QVERIFY(rig.Labels().isEmpty());
  QCOMPARE(rig.fb().GetAlgCount(), 0);
  rig.editor->redo();
  QCOMPARE(rig.Labels().size(), 3);
  // Opened again, the window shows what is stored; closing unchanged adds no step.
  QVERIFY(rig.WithWindow([](AlgorithmsWindow& w) {
    QCOMPARE(w.StringGrid2->item(kHead + 2, 2)->text(), QString("6,7,8,9,"));
    QCOMPARE(w.StringGrid2->item(kHead + 3, 0)->text(), QString());
    w.reject();  // the close box reads the table back too
  }));
  QCOMPARE(rig.editor->History()->count(), 1);
  QCOMPARE(rig.Labels().size(), 3);
  // A name still being typed when the window is closed counts.
  QVERIFY(rig.WithWindow([](AlgorithmsWindow& w) {
    w.StringGrid2->setCurrentCell(kHead + 1, 1);
    w.StringGrid2->editItem(w.StringGrid2->item(kHead + 1, 1));
    QWidget* editor = w.StringGrid2->focusWidget();
    QVERIFY(editor && editor != w.StringGrid2);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "Pause 2");
    w.reject();
  }));
  QCOMPARE(rig.Labels(), QStringList({"Пуск насосов", "Pause 2", "Останов"}));
}

void AlgorithmsWindowTest::RefusedTable_data() {
  QTest::addColumn<QString>("members");
  QTest::addColumn<QString>("message");
  QTest::newRow("four characters") << "3,1000"
                                   << "error ";
  QTest::newRow("block 12 of 9") << "12,"
                                 << "error N ФБ";
  QTest::newRow("taken by the first") << "1,2,"
                                      << "Строка 2: ФБ1 уже входит в алгоритм 1";
  QTest::newRow("out of order") << "4,2,3" << QString("Строка 2: ") + kAlgorithmNotConsecutive;
}

// A table that does not parse changes nothing: No goes back to it, Yes ends
// with the editor's error message.
void AlgorithmsWindowTest::RefusedTable() {
  QFETCH(QString, members);
  QFETCH(QString, message);
  EditorRig rig;
  rig.MakeBlocks(9);
  rig.fb().SetAlgCount(1);
  rig.fb().SetAlgName(0, "Было");
  rig.fb().SetAlgMember(0, 0, 1);
  RebuildAlgorithmStarts(rig.fb());
  rig.editor->Rebuild();
  rig.ui.QueueAnswer(Answer::Ok);
  rig.ui.QueueAnswer(Answer::No);
  rig.ui.QueueAnswer(Answer::Ok);
  rig.ui.QueueAnswer(Answer::Yes);
  QVERIFY(rig.WithWindow([&](AlgorithmsWindow& w) {
    Type(w, 0, " 1", "Новое", "1,");
    Type(w, 1, " 2", "Плохое", members);
    w.OK->click();
    QVERIFY(w.isVisible());
    QCOMPARE(w.StringGrid2->currentRow(), kHead + 1);
    w.OK->click();
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), AlgorithmsWindow::kFinishedWithError);
  }));
  const std::string m = message.toStdString();
  QCOMPARE(rig.Texts(), (std::vector<std::string>{m, "Ошибка программирования \nЗакончить?", m,
                                                  "Ошибка программирования \nЗакончить?",
                                                  "программирование закончено с ошибкой"}));
  QCOMPARE(rig.ui.Shown()[1].caption, std::string("Подтвердите окончание программирования"));
  QCOMPARE(rig.ui.Last().caption, std::string("Ошибка"));
  QVERIFY(rig.ui.Last().icon == Icon::Error);
  QCOMPARE(rig.fb().GetAlgName(0), std::string("Было"));
  QCOMPARE(rig.Labels(), QStringList({"Было"}));
  QCOMPARE(rig.editor->History()->count(), 0);
}

void AlgorithmsWindowTest::LockedMemberListsAreKept() {
  EditorRig rig;
  rig.MakeBlocks(9);
  QVERIFY(rig.WithWindow([](AlgorithmsWindow& w) {
    TypeThree(w);
    w.OK->click();
  }));
  QVERIFY(rig.WithWindow([](AlgorithmsWindow& w) {
    QVERIFY(w.EditingNFB->isChecked());
    w.EditingNFB->setChecked(false);
    QVERIFY(!(w.StringGrid2->item(kHead, 2)->flags() & Qt::ItemIsSelectable));
    QVERIFY(w.StringGrid2->item(kHead, 1)->flags() & Qt::ItemIsEditable);
    w.StringGrid2->item(kHead + 2, 1)->setText("Стоп");
    w.OK->click();
  }));
  QCOMPARE(rig.fb().GetAlgCount(), 3);
  // The saved file holds the new name and every member list as it was.
  auto saved = MakeSampleConfiguration();
  LoadZulFileBytes(ZulFileBytes(rig.config), *saved);
  const FunctionBlocks& held = saved->functionBlocks;
  QCOMPARE(held.GetAlgName(2), std::string("Стоп"));
  const int expected[3][4] = {{1, 2, 3, -1}, {4, 5, -1, -1}, {6, 7, 8, 9}};
  for (int a = 0; a < 3; ++a)
    for (int k = 0; k < 4 && expected[a][k] > 0; ++k) QCOMPARE(held.GetAlgMember(a, k), expected[a][k]);
  QCOMPARE(held.GetAlgMember(1, 2), FunctionBlocks::kEmptyEntry);
  QCOMPARE(rig.Labels(), QStringList({"Пуск насосов", "Работа", "Стоп"}));
  QCOMPARE(rig.editor->Item(3)->x(), 0.0);  // block 4 starts its algorithm's row
  // The user's choice stays for the next opening.
  QVERIFY(rig.WithWindow([](AlgorithmsWindow& w) {
    QVERIFY(!w.EditingNFB->isChecked());
    QVERIFY(!(w.StringGrid2->item(kHead, 2)->flags() & Qt::ItemIsSelectable));
    w.EditingNFB->setChecked(true);
    QVERIFY(w.StringGrid2->item(kHead, 2)->flags() & Qt::ItemIsEditable);
    w.OK->click();
  }));
  QCOMPARE(rig.fb().GetAlgMember(2, 3), 9);
}

void AlgorithmsWindowTest::AnEmptyNameBlanksItsLabel() {
  EditorRig rig;
  rig.MakeBlocks(9);
  QVERIFY(rig.WithWindow([](AlgorithmsWindow& w) {
    TypeThree(w);
    w.OK->click();
  }));
  QVERIFY(rig.WithWindow([](AlgorithmsWindow& w) {
    w.StringGrid2->item(kHead + 1, 1)->setText("");
    w.OK->click();
  }));
  QCOMPARE(rig.fb().GetAlgName(1), std::string());
  QVERIFY(!rig.Labels().contains("Работа"));
  QVERIFY(rig.Labels().contains("Останов"));
}

void AlgorithmsWindowTest::AlgorithmsFromAnotherFile() {
  EditorRig rig;
  rig.MakeBlocks(9);
  QTemporaryDir dir;
  // Another configuration (of another composition) with two algorithms.
  auto other = MakeSampleConfiguration("1111000000000000");
  for (int i = 0; i < 5; ++i) other->functionBlocks.SetTypeCode(i, ftAND + 1);
  other->functionBlocks.RecountBlocks();
  ApplyAlgorithmTable(
      other->functionBlocks,
      ParseAlgorithmTable({{" 1", "Из файла", "1,2,"}, {" 2", "Второй", "3,"}}, other->functionBlocks));
  const QString path = dir.filePath("other.zul");
  QVERIFY(WriteFileReplacing(path.toStdString(), ZulFileBytes(*other)));
  rig.window->DialOpenFile = [&](const FileDialogRequest& r) { return r.save ? QString() : path; };
  QVERIFY(rig.WithWindow([](AlgorithmsWindow& w) {
    w.NameFromFile->click();
    QCOMPARE(w.StringGrid2->item(kHead, 1)->text(), QString("Из файла"));
    QCOMPARE(w.StringGrid2->item(kHead + 1, 2)->text(), QString("3,4,5,6,7,8,9,"));
    w.OK->click();
  }));
  QCOMPARE(rig.Texts(),
           std::vector<std::string>{"Рабочая конфигурация \nне соответствует конфигурации в файле"});
  QCOMPARE(rig.Labels(), QStringList({"Из файла", "Второй"}));
  QCOMPARE(rig.fb().GetAlgMember(1, 6), 9);
}

void AlgorithmsWindowTest::ChangesInFileModeMarkTheFile() {
  EditorRig rig;
  rig.MakeBlocks(3);
  rig.config.service.FileMode = 1;
  rig.config.service.FileChanged = 0;
  QVERIFY(rig.WithWindow([&](AlgorithmsWindow& w) {
    w.StringGrid2->setCurrentCell(0, 1);  // a header cell is no selection
    QCOMPARE(rig.config.service.FileChanged, 0);
    w.StringGrid2->setCurrentCell(kHead, 1);
    QCOMPARE(rig.config.service.FileChanged, 1);
    w.OK->click();
  }));
  // Algorithms taken in without touching a cell still mark the file.
  rig.config.service.FileChanged = 0;
  QVERIFY(rig.WithWindow([](AlgorithmsWindow& w) {
    Type(w, 0, " 1", "Пуск", "1,");
    w.OK->click();
  }));
  QCOMPARE(rig.config.service.FileChanged, 1);
}

void AlgorithmsWindowTest::ReportsAreSavedAsRtf() {
  EditorRig rig;
  rig.MakeBlocks(4);
  QTemporaryDir dir;
  int printed = 0;
  rig.window->ReportTitle = [] { return std::string("Файл plant.zul"); };
  rig.window->DialSaveFile = [&](const FileDialogRequest&) { return dir.filePath(printed ? "alg" : "fb"); };
  rig.window->PrintReport = [&](const Report&) { ++printed; };
  rig.ui.QueueAnswer(Answer::Yes);
  rig.ui.QueueAnswer(Answer::Yes);
  QVERIFY(rig.WithWindow([](AlgorithmsWindow& w) {
    Type(w, 0, " 1", "Пуск", "1,2,");
    w.BNew1->click();
    w.BNew2->click();
    w.OK->click();
  }));
  QCOMPARE(printed, 2);
  for (const char* name : {"fb.rtf", "alg.rtf"}) {
    QFile f(dir.filePath(name));
    QVERIFY2(f.open(QIODevice::ReadOnly), name);
    const test::RtfText text = test::ReadRtf(f.readAll().toStdString());
    QVERIFY2(text.wellFormed, text.error.c_str());
    QCOMPARE(text.paragraphs[0], std::string("Файл plant.zul"));
    QCOMPARE(text.paragraphs[2], std::string("          Функциональные блоки"));
  }
  QFile alg(dir.filePath("alg.rtf"));
  QVERIFY(alg.open(QIODevice::ReadOnly));
  const auto paragraphs = test::ReadRtf(alg.readAll().toStdString()).paragraphs;
  QCOMPARE(paragraphs.size(), size_t{8});  // the typed row, not yet stored, is reported as shown
  QVERIFY(paragraphs[7].find("Пуск") != std::string::npos);
}

void AlgorithmsWindowTest::ReportTitleFromTheMainWindow() {
  test::MainWindowRig rig;
  AlgorithmsWindow* w = rig.form->functionBlockEditor->Algorithms();
  QVERIFY(w->ReportTitle);
  rig.form->service.FileMode = 1;
  rig.form->FileName = "plant.zul";
  QCOMPARE(w->ReportTitle(), std::string("Файл plant.zul"));
  rig.form->service.FileMode = 0;
  QCOMPARE(w->ReportTitle().rfind("ЗУЛ-05HMI  ", 0), size_t{0});
}

// With ZUL_SCREENSHOT_DIR set: the window with three algorithms and the
// scheme with their labels.
void AlgorithmsWindowTest::Screenshots() {
  const QString dir = qEnvironmentVariable("ZUL_SCREENSHOT_DIR");
  if (dir.isEmpty()) QSKIP("ZUL_SCREENSHOT_DIR not set");
  EditorRig rig;
  FunctionBlocks& fb = rig.fb();
  rig.MakeBlocks(11);
  for (int i = 1; i < 11; ++i) {
    fb.SetInputSource(i, 0, srcFBOutput);
    fb.SetInputNumber(i, 0, i);
    fb.SetInputSource(i, 1, i % 2 ? srcDiscrete : srcDiscreteInvalid);
    fb.SetInputNumber(i, 1, i + 2);
  }
  fb.SetTypeCode(4, ftTimer + 1);
  fb.SetTime(4, 20);
  fb.SetInputSource(4, 0, srcFBOutput);
  fb.SetInputNumber(4, 0, 4);
  fb.SetInputSource(8, 2, srcCoDeSys);
  fb.SetInputNumber(8, 2, 12);
  fb.SetInputSource(9, 3, srcFBOutput);
  fb.SetInputNumber(9, 3, 130);
  rig.editor->Rebuild();
  QVERIFY(rig.WithWindow([&](AlgorithmsWindow& w) {
    Type(w, 0, " 1", "Пуск насосов", "1,2,3,");
    Type(w, 1, " 2", "Работа", "4,5,6,7,");
    Type(w, 2, " 3", "Останов и блокировки", "8,9,10,11,");
    w.resize(1000, 720);
    QTest::qWait(20);
    QVERIFY(w.grab().save(dir + "/algorithms_window.png"));
    // Both reports as their pages show them, to look at.
    const Report reports[] = {BlockTableReport("Файл plant.zul", w.ShownBlocks()),
                              AlgorithmTableReport("Файл plant.zul", w.TypedRows())};
    const char* const files[] = {"/algorithms_report_blocks.png", "/algorithms_report.png"};
    for (int r = 0; r < 2; ++r) {
      std::unique_ptr<QTextDocument> doc(BuildReportDocument(reports[r]));
      doc->setTextWidth(1100);
      QImage page(1100, static_cast<int>(doc->size().height()) + 20, QImage::Format_RGB32);
      page.fill(Qt::white);
      QPainter painter(&page);
      doc->drawContents(&painter);
      painter.end();
      QVERIFY(page.save(dir + files[r]));
    }
    w.OK->click();
  }));
  rig.editor->resize(1000, 760);
  rig.editor->show();
  QVERIFY(QTest::qWaitForWindowExposed(rig.editor.get()));
  QVERIFY(rig.editor->grab().save(dir + "/fb_scheme_algorithms.png"));
  rig.editor->hide();
}

}  // namespace zul

QTEST_MAIN(zul::AlgorithmsWindowTest)
#include "algorithms_window_test.moc"
