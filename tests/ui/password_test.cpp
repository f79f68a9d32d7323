#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "ui/UiTestSupport.h"
#include "ui/main/PasswordDialog.h"

using namespace zul;
using namespace zul::test;

namespace {

// Types the text into the password dialog and presses Enter.
std::function<void(QWidget*)> Type(const QString& text) {
  return [text](QWidget* dialog) {
    auto* edit = dialog->findChild<QLineEdit*>("Edit1");
    QVERIFY(edit);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  };
}

void StoreFile(const MainWindowRig& rig, QByteArray bytes) {
  QFile f(QString::fromStdString(rig.form->passwordDialog->PasswordFile().string()));
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray StoredFile(const MainWindowRig& rig) {
  QFile f(QString::fromStdString(rig.form->passwordDialog->PasswordFile().string()));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

}  // namespace

class PasswordTest : public QObject {
  Q_OBJECT
 private slots:
  void StartupCheck_data();
  void StartupCheck();
  void StartupCheck_RefusedThenCancel_ProgramEnds();
  void NonDigitKey_SaysNumericBeepsAndEmptiesTheField();
  void Change_data();
  void Change();
  void Change_WithoutFullAccess_Warns();
  void Change_AnsweredNo_DialogNotShown();
};

void PasswordTest::StartupCheck_data() {
  QTest::addColumn<QByteArray>("file");  // empty: no password file
  QTest::addColumn<QStringList>("typed");
  QTest::addColumn<int>("level");
  QTest::addColumn<int>("refusals");
  QTest::newRow("no file, master") << QByteArray() << QStringList{"8411"} << kFullAccess << 0;
  QTest::newRow("no file, empty") << QByteArray() << QStringList{""} << kViewingAccess << 0;
  QTest::newRow("no file, other, then master")
      << QByteArray() << QStringList{"1234", "8411"} << kFullAccess << 1;
  QTest::newRow("file 42, 42") << QByteArray("\x2A\x00", 2) << QStringList{"42"} << kFullAccess << 0;
  QTest::newRow("file 42, 042, then empty")
      << QByteArray("\x2A\x00", 2) << QStringList{"042", ""} << kViewingAccess << 1;
  QTest::newRow("file 42, master, then 42")
      << QByteArray("\x2A\x00", 2) << QStringList{"8411", "42"} << kFullAccess << 1;
}

void PasswordTest::StartupCheck() {
  QFETCH(QByteArray, file);
  QFETCH(QStringList, typed);
  QFETCH(int, refusals);
  MainWindowRig rig;
  if (!file.isEmpty()) StoreFile(rig, file);
  std::vector<std::function<void(QWidget*)>> steps;
  for (const QString& t : typed) steps.push_back(Type(t));
  for (int k = 0; k < refusals; ++k) rig.ui.QueueAnswer(Answer::Retry);
  bool goOn = false;
  QCOMPARE(ModalSteps([&] { goOn = rig.form->CheckPasswordAtStart(); }, steps), size_t{0});
  QVERIFY(goOn);
  QTEST(rig.form->discreteProcessing.AccessLevel, "level");
  QCOMPARE(rig.form->MenuParol->isEnabled(), rig.form->discreteProcessing.AccessLevel == kFullAccess);
  QCOMPARE(int(rig.ui.Shown().size()), refusals);
  for (const Message& m : rig.ui.Shown()) {
    QCOMPARE(QString::fromStdString(m.text), "Введенный пароль неверен");
    QCOMPARE(QString::fromStdString(m.caption), "Ошибка");
    QCOMPARE(m.icon, Icon::Error);
    QCOMPARE(m.buttons, Buttons::RetryCancel);
  }
}

void PasswordTest::StartupCheck_RefusedThenCancel_ProgramEnds() {
  MainWindowRig rig;
  rig.ui.QueueAnswer(Answer::Cancel);
  bool goOn = true;
  QVERIFY(WhileModal([&] { goOn = rig.form->CheckPasswordAtStart(); }, Type("1")));
  QVERIFY(!goOn);
  QCOMPARE(rig.form->discreteProcessing.AccessLevel, kViewingAccess);
}

void PasswordTest::NonDigitKey_SaysNumericBeepsAndEmptiesTheField() {
  MainWindowRig rig;
  QLineEdit* edit = rig.form->passwordDialog->Edit1;
  QTest::keyClicks(edit, "84");
  QTest::keyClick(edit, Qt::Key_A);
  QCOMPARE(edit->text(), "");
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "Пароль - цифровой");
  QCOMPARE(rig.ui.Beeps(), 1);
  QTest::keyClick(edit, Qt::Key_5, Qt::KeypadModifier);
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClick(edit, Qt::Key_7);
  QCOMPARE(edit->text(), "7");
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
}

void PasswordTest::Change_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QStringList>("messages");
  QTest::addColumn<QByteArray>("stored");  // what FParol.dat holds afterwards (empty: no file)
  QTest::newRow("65535") << "65535" << QStringList{"Пароль заменен!"} << QByteArray("\xFF\xFF", 2);
  QTest::newRow("42") << "42" << QStringList{"Пароль заменен!"} << QByteArray("\x2A\x00", 2);
  QTest::newRow("65536") << "65536" << QStringList{"Введите число не более 65535", "Пароль не заменен"}
                         << QByteArray();
  QTest::newRow("empty") << "" << QStringList{"Будьте внимательнее при вводе", "Пароль не заменен"}
                         << QByteArray();
}

void PasswordTest::Change() {
  QFETCH(QString, typed);
  QFETCH(QStringList, messages);
  MainWindowRig rig;
  rig.form->discreteProcessing.AccessLevel = kFullAccess;
  rig.ui.QueueAnswer(Answer::Yes);
  QVERIFY(WhileModal([&] { rig.form->changePassword(); },
                     [&](QWidget* dialog) {
                       QVERIFY(dialog->findChild<QLabel*>("Label1")->isVisible());
                       QCOMPARE(rig.form->discreteProcessing.PasswordChanging, 1);
                       Type(typed)(dialog);
                     }));
  QStringList shown;
  for (const Message& m : rig.ui.Shown()) shown << QString::fromStdString(m.text);
  QCOMPARE(shown.first(), "Будете менять пароль?");
  QCOMPARE(QString::fromStdString(rig.ui.Shown().front().caption), "Подтвердите замену пароля");
  shown.removeFirst();
  QCOMPARE(shown, messages);
  QTEST(StoredFile(rig), "stored");
  QCOMPARE(rig.form->discreteProcessing.PasswordChanging, 0);
  QVERIFY(!rig.form->passwordDialog->Label1->isVisibleTo(rig.form->passwordDialog));
  // The access level of this run stays as it was.
  QCOMPARE(rig.form->discreteProcessing.AccessLevel, kFullAccess);
}

void PasswordTest::Change_WithoutFullAccess_Warns() {
  MainWindowRig rig;
  rig.form->changePassword();
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(QString::fromStdString(rig.ui.Last().text), "Ваш уровень доступа не позволяет\nменять пароль");
  QCOMPARE(QString::fromStdString(rig.ui.Last().caption), "Предупреждение");
  QCOMPARE(rig.ui.Last().icon, Icon::Warning);
}

void PasswordTest::Change_AnsweredNo_DialogNotShown() {
  MainWindowRig rig;
  rig.form->discreteProcessing.AccessLevel = kFullAccess;
  rig.ui.QueueAnswer(Answer::No);
  rig.form->changePassword();
  QCOMPARE(rig.ui.Shown().size(), size_t{1});
  QCOMPARE(rig.form->discreteProcessing.PasswordChanging, 0);
  QVERIFY(StoredFile(rig).isEmpty());
}

QTEST_MAIN(PasswordTest)
#include "password_test.moc"
