#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "ui/UiTestSupport.h"
#include "ui/main/NewConfigurationDialog.h"
#include "ui/main/ZulFileDialogs.h"

using namespace zul;
using namespace zul::test;

namespace {

// Answers the file dialogs from a list and keeps what they were asked.
struct Chooser {
  QStringList answers;
  std::vector<FileDialogRequest> asked;
  FileChooser Get() {
    return [this](const FileDialogRequest& r) {
      asked.push_back(r);
      return answers.isEmpty() ? QString() : answers.takeFirst();
    };
  }
};

}  // namespace

class FileCommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void Extension_data();
  void Extension();
  void SaveName_WrongExtensionAskedAgain();
  void Open_Cancelled_ClearsReopen();
  void NewConfiguration_ProposesTheCodeLine_CancelLeavesTheView();
};

void FileCommandsTest::Extension_data() {
  QTest::addColumn<QString>("chosen");
  QTest::addColumn<QString>("named");
  QTest::newRow("none") << "/home/u/conf"
                        << "/home/u/conf.zul";
  QTest::newRow("zul") << "/home/u/conf.zul"
                       << "/home/u/conf.zul";
  QTest::newRow("upper") << "conf.ZUL"
                         << "conf.ZUL";
  QTest::newRow("txt") << "conf.txt"
                       << "";
  QTest::newRow("dotted folder") << "/a.b/conf"
                                 << "/a.b/conf.zul";
  QTest::newRow("trailing dot") << "conf."
                                << "conf.zul";
}

void FileCommandsTest::Extension() {
  QFETCH(QString, chosen);
  QTEST(WithZulExtension(chosen), "named");
}

void FileCommandsTest::SaveName_WrongExtensionAskedAgain() {
  MainWindowRig rig;
  const QString conf = QDir(rig.dir.path()).filePath("conf");
  Chooser chooser{{conf + ".txt", conf}, {}};
  rig.form->ChooseFile = chooser.Get();
  rig.form->saveConfigurationFile();
  QCOMPARE(rig.form->FileName, conf + ".zul");
  QVERIFY(QFile::exists(conf + ".zul"));
  QCOMPARE(chooser.asked.size(), size_t{2});
  QVERIFY(chooser.asked[0].save);
  QCOMPARE(chooser.asked[1].proposed, conf + ".txt");
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "Неверно задано имя файла");
  QCOMPARE(QString::fromStdString(rig.ui.Last().caption), "Cохранение данных в файл");  // a Latin C
}

void FileCommandsTest::Open_Cancelled_ClearsReopen() {
  MainWindowRig rig;
  Chooser chooser;
  rig.form->ChooseFile = chooser.Get();
  rig.form->FileName = "old.zul";
  rig.form->openConfigurationFile();
  QCOMPARE(chooser.asked.size(), size_t{1});
  QVERIFY(!chooser.asked[0].save);
  QCOMPARE(chooser.asked[0].proposed, "old.zul");
  QCOMPARE(rig.form->service.ReopenFile, 0);
  rig.form->service.ReopenFile = 1;  // right after a creation: no dialog
  rig.form->openConfigurationFile();
  QCOMPARE(chooser.asked.size(), size_t{1});
}

void FileCommandsTest::NewConfiguration_ProposesTheCodeLine_CancelLeavesTheView() {
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3});
  rig.form->LabelFile->show();
  Chooser chooser;  // cancelled
  rig.form->ChooseFile = chooser.Get();
  QVERIFY(WhileModal([&] { rig.form->createConfigurationFile(); },
                     [&](QWidget*) {
                       rig.form->newConfigurationDialog->EditModif->setText("6611");
                       rig.form->newConfigurationDialog->OK->click();
                     }));
  QCOMPARE(chooser.asked.size(), size_t{1});
  QCOMPARE(chooser.asked[0].title, "Создание файла конфигурации");
  QCOMPARE(chooser.asked[0].proposed, "1166000000000000");
  // A cancelled name leaves the window and the configuration as they were.
  MainWindow& f = *rig.form;
  QCOMPARE(f.service.FileMode, 0);
  QVERIFY(f.LabelFile->isVisibleTo(&f));
  QCOMPARE(f.Rows[0].M->text(), "ЛК-1");
  QCOMPARE(f.service.ModuleType[2], 6);
  QVERIFY(f.Rows[0].Prg->isEnabled());
  QVERIFY(!f.StKVhD->text().isEmpty());
}

QTEST_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
