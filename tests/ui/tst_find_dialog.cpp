// The find dialog on its own: captions and access keys, the check boxes that follow their
// text boxes, what the search reads from it, and hiding with its state kept. Also saves a
// picture of it (find_dialog.png in the program directory) to look at.
#include "ui_fixture.h"

#include "views/find/find_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

using namespace pipora;
using namespace pipora::test;

class tst_find_dialog : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { PrepareWindowTests(); }
  void cleanup() { QVERIFY(VisibleTopLevels().isEmpty()); }

  void captions_data();
  void captions();
  void framesHoldTheirControls();
  void checkBoxesFollowTheirText_data();
  void checkBoxesFollowTheirText();
  void criteriaReadTheControls();
  void accessKeysReachTheControls_data();
  void accessKeysReachTheControls();
  void cancelHidesAndKeepsTheState();
  void findNextTicksForwardUnlessBackward();
  void picture();
};

void tst_find_dialog::captions_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("caption");
  QTest::newRow("pitch") << "NoteCheck"
                         << "音名(&N)";
  QTest::newRow("length") << "LenCheck"
                          << "長さ(&L)";
  QTest::newRow("backward") << "UpCheck"
                            << "戻る(&B)";
  QTest::newRow("forward") << "DownCheck"
                           << "進む(&F)";
  QTest::newRow("from the top") << "TopCheck"
                                << "最初から(&T)";
  QTest::newRow("all parts") << "AllCheck"
                             << "全てのパート(&A)";
  QTest::newRow("current part") << "CurrentCheck"
                                << "現在のパート(&C)";
  QTest::newRow("search") << "searchButton"
                          << "検索";
  QTest::newRow("cancel") << "cancelButton"
                          << "キャンセル";
}

void tst_find_dialog::captions() {
  QFETCH(QString, name);
  QFETCH(QString, caption);
  FindDialog dialog;
  QCOMPARE(dialog.windowTitle(), QString("検索 - PiporaPad"));
  auto *button = dialog.findChild<QAbstractButton *>(name);
  QVERIFY(button);
  QCOMPARE(button->text(), caption);
}

void tst_find_dialog::framesHoldTheirControls() {
  FindDialog dialog;
  const auto frameOf = [&](QWidget *w) { return qobject_cast<QGroupBox *>(w->parentWidget()); };
  QCOMPARE(frameOf(dialog.noteCheck())->title(), QString("検索する音符"));
  QCOMPARE(frameOf(dialog.lengthText())->title(), QString("検索する音符"));
  QCOMPARE(frameOf(dialog.fromTopOption())->title(), QString("検索方向"));
  QCOMPARE(frameOf(dialog.currentPartOption())->title(), QString("検索範囲"));
  QVERIFY(!dialog.isModal());
}

void tst_find_dialog::checkBoxesFollowTheirText_data() {
  QTest::addColumn<bool>("pitchBox");
  QTest::newRow("pitch") << true;
  QTest::newRow("length") << false;
}

void tst_find_dialog::checkBoxesFollowTheirText() {
  QFETCH(bool, pitchBox);
  FindDialog dialog;
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  QLineEdit *text = pitchBox ? dialog.noteText() : dialog.lengthText();
  QCheckBox *check = pitchBox ? dialog.noteCheck() : dialog.lengthCheck();
  QCheckBox *other = pitchBox ? dialog.lengthCheck() : dialog.noteCheck();
  QVERIFY(!check->isChecked());
  text->setFocus();
  QTest::keyClicks(text, "4");
  QVERIFY(check->isChecked());
  QVERIFY(!other->isChecked());
  QTest::keyClick(text, Qt::Key_Backspace);
  QVERIFY(!check->isChecked());
  // Clicking the box puts the caret into its text, with the text selected for typing over.
  text->setText("ab");
  QTest::mouseClick(check, Qt::LeftButton);
  QTRY_VERIFY(text->hasFocus());
  QTRY_COMPARE(text->selectedText(), QString("ab"));
  dialog.hide();
}

void tst_find_dialog::criteriaReadTheControls() {
  FindDialog dialog;
  dialog.noteText()->setText("ド#");
  dialog.lengthText()->setText("480");
  dialog.lengthCheck()->setChecked(false);
  dialog.fromTopOption()->setChecked(true);
  dialog.currentPartOption()->setChecked(true);
  const FindCriteria c = dialog.criteria();
  QVERIFY(c.usePitch);
  QCOMPARE(QString::fromStdString(c.pitchText), QString("ド#"));
  QVERIFY(!c.useLength);
  QCOMPARE(QString::fromStdString(c.lengthText), QString("480"));
  QVERIFY(c.direction == FindDirection::FromTop);
  QVERIFY(c.scope == FindScope::CurrentPart);
  dialog.backwardOption()->setChecked(true);
  dialog.allPartsOption()->setChecked(true);
  QVERIFY(dialog.criteria().direction == FindDirection::Backward);
  QVERIFY(dialog.criteria().scope == FindScope::AllParts);
}

void tst_find_dialog::accessKeysReachTheControls_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<QString>("name");
  QTest::newRow("Alt+B backward") << int(Qt::Key_B) << "UpCheck";
  QTest::newRow("Alt+F forward") << int(Qt::Key_F) << "DownCheck";
  QTest::newRow("Alt+T from the top") << int(Qt::Key_T) << "TopCheck";
  QTest::newRow("Alt+A all parts") << int(Qt::Key_A) << "AllCheck";
  QTest::newRow("Alt+C current part") << int(Qt::Key_C) << "CurrentCheck";
}

void tst_find_dialog::accessKeysReachTheControls() {
  QFETCH(int, key);
  QFETCH(QString, name);
  FindDialog dialog;
  dialog.fromTopOption()->setChecked(true);
  dialog.currentPartOption()->setChecked(true);
  if (name == "TopCheck")
    dialog.backwardOption()->setChecked(true);
  if (name == "CurrentCheck")
    dialog.allPartsOption()->setChecked(true);
  dialog.show();
  dialog.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&dialog));
  auto *option = dialog.findChild<QRadioButton *>(name);
  QVERIFY(!option->isChecked());
  QTest::keyClick(&dialog, static_cast<Qt::Key>(key), Qt::AltModifier);
  QTRY_VERIFY(option->isChecked());
  dialog.hide();
}

void tst_find_dialog::cancelHidesAndKeepsTheState() {
  FindDialog dialog;
  QSignalSpy searches(&dialog, &FindDialog::searchRequested);
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  dialog.noteText()->setText("ラ");
  dialog.backwardOption()->setChecked(true);
  QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
  QVERIFY(!dialog.isVisible());
  QCOMPARE(searches.count(), 0);
  dialog.show();
  QCOMPARE(dialog.noteText()->text(), QString("ラ"));
  QVERIFY(dialog.noteCheck()->isChecked());
  QVERIFY(dialog.backwardOption()->isChecked());
  QTest::mouseClick(dialog.searchButton(), Qt::LeftButton);
  QCOMPARE(searches.count(), 1);
  dialog.hide();
}

void tst_find_dialog::findNextTicksForwardUnlessBackward() {
  FindDialog dialog;
  dialog.fromTopOption()->setChecked(true);
  dialog.chooseForwardUnlessBackward();
  QVERIFY(dialog.forwardOption()->isChecked());
  dialog.backwardOption()->setChecked(true);
  dialog.chooseForwardUnlessBackward();
  QVERIFY(dialog.backwardOption()->isChecked());
}

void tst_find_dialog::picture() {
  FindDialog dialog;
  dialog.noteText()->setText("ド#");
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  const QImage image = dialog.grab().toImage();
  QVERIFY(!image.isNull());
  QVERIFY(image.save(HomeFile("find_dialog.png")));
  dialog.hide();
}

QTEST_MAIN(tst_find_dialog)
#include "tst_find_dialog.moc"
