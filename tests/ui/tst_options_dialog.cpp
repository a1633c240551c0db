// The options dialog with a running editor: what it shows, the shortcut boxes, the
// accidental keyboard, the time signature and anacrusis with their refusals, the tone
// audition and Cancel, every check box through pipora.ini, and the help and about items.
#include "ui_fixture.h"

#include "platform/midi/recording/recording_midi_backend.h"
#include "platform/text/cp932.h"
#include "playback/midi_output.h"
#include "settings/settings_store.h"
#include "views/child_window.h"
#include "views/help/about_box.h"
#include "views/help/help_window.h"
#include "views/help/manual.h"
#include "views/help/manual_html.h"
#include "views/options/accidental_keyboard.h"
#include "views/options/options_dialog.h"
#include "views/options/shortcut_box.h"
#include "views/options/time_signature.h"
#include "views/options/tone_grid.h"
#include "views/position_text.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

using namespace pipora;
using namespace pipora::test;

namespace {

// The value of a key in the section "pipora" of pipora.ini, or "<missing>".
QString IniValue(const QString &key) {
  const QString text = FromCp932(ReadBytes(SettingsFilePath()));
  bool inSection = false;
  for (const QString &line : text.split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts)) {
    if (line.startsWith('[')) {
      inSection = line == "[pipora]";
      continue;
    }
    const qsizetype eq = line.indexOf('=');
    if (inSection && eq > 0 && line.left(eq) == key)
      return line.mid(eq + 1);
  }
  return QStringLiteral("<missing>");
}

// Runs `act` once the next modal window is up, handing it that window.
void WhenModalShows(std::function<void(QWidget *)> act) {
  QTimer::singleShot(0, [act] {
    QWidget *modal = QApplication::activeModalWidget();
    act(modal);
  });
}

// Shows the dialog as the active window, after the frame's own start-up events have run, so
// that focus moves inside it send their events.
bool ShowActive(QDialog &dialog) {
  QTest::qWait(20);
  dialog.show();
  dialog.activateWindow();
  // A dialog counts as active with its parent frame; wait until it really is.
  return QTest::qWaitFor([&] { return QApplication::activeWindow() == &dialog; });
}

QList<RecordedMidiEvent> ProgramChanges(const RecordingMidiBackend &recorder) {
  QList<RecordedMidiEvent> out;
  for (const RecordedMidiEvent &e : recorder.messages())
    if ((e.status() & 0xF0) == 0xC0)
      out << e;
  return out;
}

} // namespace

class tst_options_dialog : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { PrepareWindowTests(); }
  void init() { ClearProgramDirectory(); }
  void cleanup() {
    SetManualOpener([](const QUrl &) { return false; });
    QVERIFY(VisibleTopLevels().isEmpty());
  }

  void timeSignatureBoxesAreReadOrRefused_data();
  void timeSignatureBoxesAreReadOrRefused();
  void sixEighthsPutTick1440AtMeasure2Beat1();
  void versionTextWritesMinorAndRevisionTogether_data();
  void versionTextWritesMinorAndRevisionTogether();
  void programVersionIsTheProjects();
  void opensFromTheMenuWithTheCurrentSettings();
  void shortcutBoxCapturesKeys_data();
  void shortcutBoxCapturesKeys();
  void escapeAndEnterAreCapturedNotTheDialogs();
  void defaultsButtonRestoresTheTable();
  void accidentalKeyToggles_data();
  void accidentalKeyToggles();
  void timeSignatureAndAnacrusisApplyOnOk();
  void zeroNumeratorIsIgnored();
  void badBoxesAreRefusedAndNothingApplied_data();
  void badBoxesAreRefusedAndNothingApplied();
  void cancelRestoresAuditionedTones();
  void leftButtonSoundsMiddleCUntilReleased();
  void checkBoxRoundTripsThroughTheIniFile_data();
  void checkBoxRoundTripsThroughTheIniFile();
  void midiChoicesRoundTripAndReachTheImport();
  void redoItemFollowsMultiLevelUndo();
  void damagedToneNamesStillGiveAWorkingDialog();
  void pageDownScrollsThePanel();
  void cancelledCloseWritesNoSettings();
  void helpKeyShowsThePageOfTheWindowInUse_data();
  void helpKeyShowsThePageOfTheWindowInUse();
  void helpItemShowsTheIndexWithoutABrowser();
  void helpKeyInTheOptionsDialogShowsItsPage();
  void manualPagesForTheViewer_data();
  void manualPagesForTheViewer();
  void helpWindowKeepsItsLinksAndFindsText();
  void helpWithoutTheManualShowsTheAboutBox();
  void aboutBoxShowsTitleAndVersion();
};

void tst_options_dialog::timeSignatureBoxesAreReadOrRefused_data() {
  QTest::addColumn<QString>("numerator");
  QTest::addColumn<int>("denominatorIndex");
  QTest::addColumn<QString>("anacrusis");
  QTest::addColumn<int>("beatsPerMeasure"); // 0: refused
  QTest::addColumn<int>("ticksPerBeat");
  QTest::addColumn<int>("anacrusisTicks");
  QTest::addColumn<QString>("messageHas");

  QTest::newRow("six eighths") << "6" << 1 << "0" << 6 << 240 << 0 << "";
  QTest::newRow("sixteenths") << "3" << 0 << "0" << 3 << 120 << 0 << "";
  QTest::newRow("halves") << "2" << 3 << "0" << 2 << 960 << 0 << "";
  QTest::newRow("half-beat pick-up") << "4" << 2 << "240" << 4 << 480 << 240 << "";
  QTest::newRow("blanks around numbers") << " 3 " << 2 << " 480 " << 3 << 480 << 480 << "";
  QTest::newRow("zero numerator keeps the song's") << "0" << 2 << "0" << 4 << 480 << 0 << "";
  QTest::newRow("negative numerator keeps the song's") << "-3" << 2 << "0" << 4 << 480 << 0 << "";
  QTest::newRow("pick-up of a whole measure") << "3" << 2 << "1440" << 3 << 480 << 1440 << "";
  QTest::newRow("letters in the numerator") << "abc" << 2 << "0" << 0 << 0 << 0 << "分子";
  QTest::newRow("fraction in the numerator") << "2.5" << 2 << "0" << 0 << 0 << 0 << "分子";
  QTest::newRow("empty numerator") << "" << 2 << "0" << 0 << 0 << 0 << "分子";
  QTest::newRow("full-width digits") << "４" << 2 << "0" << 0 << 0 << 0 << "分子";
  QTest::newRow("numerator beyond 16 bits") << "70000" << 2 << "0" << 0 << 0 << 0 << "分子";
  QTest::newRow("letters in the pick-up") << "4" << 2 << "x" << 0 << 0 << 0 << "アウフタクト";
  QTest::newRow("fraction in the pick-up") << "4" << 2 << "240.5" << 0 << 0 << 0 << "アウフタクト";
  QTest::newRow("negative pick-up") << "4" << 2 << "-240" << 0 << 0 << 0 << "アウフタクト";
  QTest::newRow("pick-up longer than a measure")
      << "4" << 2 << "1921" << 0 << 0 << 0 << "1小節（1920）";
  QTest::newRow("pick-up measured in the new signature")
      << "6" << 1 << "1441" << 0 << 0 << 0 << "1小節（1440）";
}

void tst_options_dialog::timeSignatureBoxesAreReadOrRefused() {
  QFETCH(QString, numerator);
  QFETCH(int, denominatorIndex);
  QFETCH(QString, anacrusis);
  QFETCH(int, beatsPerMeasure);
  QFETCH(int, ticksPerBeat);
  QFETCH(int, anacrusisTicks);
  QFETCH(QString, messageHas);
  const Result<TimeSignatureEntry> entry =
      ReadTimeSignatureEntry(numerator, denominatorIndex, anacrusis, /*present=*/4);
  if (beatsPerMeasure == 0) {
    QVERIFY(!entry);
    QVERIFY2(QString::fromStdString(entry.error()).contains(messageHas), entry.error().c_str());
    return;
  }
  QVERIFY2(entry.ok(), entry.error().c_str());
  QCOMPARE(entry.value().beatsPerMeasure.value_or(4), beatsPerMeasure);
  QCOMPARE(entry.value().ticksPerBeat, ticksPerBeat);
  QCOMPARE(entry.value().anacrusis, anacrusisTicks);
}

void tst_options_dialog::sixEighthsPutTick1440AtMeasure2Beat1() {
  Editor e;
  e.start();
  for (int i = 0; i < 4; ++i)
    AppendNote(e.song, 1, 60, "4"); // the 4th element starts at 1440
  OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
  dialog.show();
  dialog.numeratorBox()->setText("6");
  QTest::mouseClick(dialog.findChild<QAbstractButton *>("denominator8"), Qt::LeftButton);
  dialog.accept();
  QCOMPARE(e.song.part(1).notes[3].start, 1440);
  QCOMPARE(SourcePositionText(e.song, 1, 3, true, MinutesForm::FromSongStart), QString("02:1:00"));
}

void tst_options_dialog::versionTextWritesMinorAndRevisionTogether_data() {
  QTest::addColumn<int>("major");
  QTest::addColumn<int>("minor");
  QTest::addColumn<int>("revision");
  QTest::addColumn<QString>("text");
  QTest::newRow("1.8.3") << 1 << 8 << 3 << "バージョン 1.83";
  QTest::newRow("0.1.0") << 0 << 1 << 0 << "バージョン 0.10";
  QTest::newRow("2.10.1") << 2 << 10 << 1 << "バージョン 2.101";
}

void tst_options_dialog::versionTextWritesMinorAndRevisionTogether() {
  QFETCH(int, major);
  QFETCH(int, minor);
  QFETCH(int, revision);
  QFETCH(QString, text);
  QCOMPARE(VersionText(major, minor, revision), text);
}

void tst_options_dialog::programVersionIsTheProjects() {
  QFile cmake(PIPORAPAD_SOURCE_DIR "/CMakeLists.txt");
  QVERIFY(cmake.open(QIODevice::ReadOnly));
  const auto match = QRegularExpression(R"(project\(PiporaPad VERSION (\d+)\.(\d+)\.(\d+))")
                         .match(QString::fromUtf8(cmake.readAll()));
  QVERIFY(match.hasMatch());
  QCOMPARE(ProgramVersionText(), VersionText(match.captured(1).toInt(), match.captured(2).toInt(),
                                             match.captured(3).toInt()));
}

void tst_options_dialog::opensFromTheMenuWithTheCurrentSettings() {
  Editor e;
  e.start();
  e.song.beatsPerMeasure = 3;
  e.song.ticksPerBeat = 240;
  e.song.part(1).tone = 40;
  e.settings.isBar = false;
  QString caption;
  QString numerator;
  bool barBox = true;
  int highlighted = -1;
  QString denominator;
  WhenModalShows([&](QWidget *modal) {
    auto *dialog = qobject_cast<OptionsDialog *>(modal);
    QVERIFY(dialog);
    caption = dialog->windowTitle();
    numerator = dialog->numeratorBox()->text();
    barBox = dialog->checkBox("isBar")->isChecked();
    highlighted = dialog->toneGrid()->highlighted();
    denominator = dialog
                      ->findChild<QAbstractButton *>(
                          QString("denominator%1")
                              .arg(kDenominatorChoices[dialog->denominatorIndex()].denominator))
                      ->text();
    dialog->reject();
  });
  e.frame->action("ToneItem")->trigger();
  QCOMPARE(caption, QString("PiporaPad - その他の設定"));
  QCOMPARE(numerator, QString("3"));
  QCOMPARE(denominator, QString("&8"));
  QCOMPARE(barBox, false);
  QCOMPARE(highlighted, 40);
}

void tst_options_dialog::shortcutBoxCapturesKeys_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("modifiers");
  QTest::addColumn<int>("stored");
  QTest::addColumn<QString>("shown"); // empty: the text stays as it was

  QTest::newRow("Alt+Up") << int(Qt::Key_Up) << int(Qt::AltModifier) << 1062 << "Alt + ↑";
  QTest::newRow("Shift alone") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << 272 << "";
  QTest::newRow("Ctrl alone") << int(Qt::Key_Control) << int(Qt::ControlModifier) << 529 << "";
  QTest::newRow("Shift+Ctrl+Delete")
      << int(Qt::Key_Delete) << int(Qt::ShiftModifier | Qt::ControlModifier) << 3 * 256 + 46
      << "Shift + Ctrl + Delete";
  QTest::newRow("F5") << int(Qt::Key_F5) << 0 << 116 << "F5";
  QTest::newRow("keypad 4") << int(Qt::Key_4) << int(Qt::KeypadModifier) << 100 << "Num 4";
  QTest::newRow("Page Up is a key, not a scroll") << int(Qt::Key_PageUp) << 0 << 33 << "Page Up";
  QTest::newRow("Space") << int(Qt::Key_Space) << 0 << 32 << "スペース";
  QTest::newRow("letter with Ctrl")
      << int(Qt::Key_P) << int(Qt::ControlModifier) << 2 * 256 + 80 << "Ctrl + P";
}

void tst_options_dialog::shortcutBoxCapturesKeys() {
  QFETCH(int, key);
  QFETCH(int, modifiers);
  QFETCH(int, stored);
  QFETCH(QString, shown);
  Editor e;
  e.start();
  OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
  dialog.show();
  ShortcutBox *box = dialog.shortcutBox(0);
  box->setFocus();
  const QString before = box->text();
  QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
  // Stored at once, before OK.
  QCOMPARE(e.settings.shortcuts[0], stored);
  QCOMPARE(box->text(), shown.isEmpty() ? before : shown);
  QVERIFY(dialog.isVisible());
  // Cancel does not take a shortcut back.
  dialog.reject();
  QCOMPARE(e.settings.shortcuts[0], stored);
}

void tst_options_dialog::escapeAndEnterAreCapturedNotTheDialogs() {
  Editor e;
  e.start();
  OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
  QVERIFY(ShowActive(dialog));
  ShortcutBox *box = dialog.shortcutBox(8);
  box->setFocus();
  QVERIFY(!dialog.okButton()->isDefault());
  QTest::keyClick(box, Qt::Key_Escape);
  QVERIFY(dialog.isVisible());
  QCOMPARE(e.settings.shortcuts[8], 27);
  QCOMPARE(box->text(), QString("Esc"));
  QTest::keyClick(box, Qt::Key_Return);
  QVERIFY(dialog.isVisible());
  QCOMPARE(e.settings.shortcuts[8], 13);
  QCOMPARE(box->text(), QString("Enter"));
  // Leaving the box gives OK its role back.
  dialog.numeratorBox()->setFocus();
  QVERIFY(dialog.okButton()->isDefault());
  dialog.reject();
}

void tst_options_dialog::defaultsButtonRestoresTheTable() {
  Editor e;
  e.start();
  e.settings.shortcuts[4] = 2 * 256 + 'U';
  OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
  dialog.show();
  QCOMPARE(dialog.shortcutBox(4)->text(), QString("Ctrl + U"));
  QTest::mouseClick(dialog.defaultsButton(), Qt::LeftButton);
  QCOMPARE(e.settings.shortcuts, kDefaultShortCuts);
  QCOMPARE(dialog.shortcutBox(4)->text(), QString("Page Up"));
  QCOMPARE(dialog.shortcutBox(10)->text(), QString("M"));
  dialog.reject();
}

void tst_options_dialog::accidentalKeyToggles_data() {
  QTest::addColumn<int>("pitchClass");
  QTest::addColumn<int>("clicks");
  QTest::addColumn<QString>("shown");
  QTest::addColumn<int>("offset"); // after OK

  QTest::newRow("E once") << 4 << 1 << "ﾌｧb" << 18;
  QTest::newRow("E twice") << 4 << 2 << "ミ" << 12;
  QTest::newRow("F once") << 5 << 1 << "ミ#" << 12;
  QTest::newRow("C sharp once") << 1 << 1 << "レb" << 6;
  QTest::newRow("B flat once") << 10 << 1 << "ラ#" << 30;
  QTest::newRow("G sharp once") << 8 << 1 << "ラb" << 30;
  QTest::newRow("C has one name") << 0 << 1 << "ド" << 0;
  QTest::newRow("A has one name") << 9 << 3 << "ラ" << 30;
}

void tst_options_dialog::accidentalKeyToggles() {
  QFETCH(int, pitchClass);
  QFETCH(int, clicks);
  QFETCH(QString, shown);
  QFETCH(int, offset);
  Editor e;
  e.start();
  const DoReMiTable before = e.settings.doReMi;
  OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
  dialog.show();
  AccidentalKeyboard *keyboard = dialog.keyboard();
  for (int i = 0; i < clicks; ++i)
    QTest::mouseClick(keyboard, Qt::LeftButton, {}, keyboard->keyRect(pitchClass).center());
  QCOMPARE(keyboard->names()[pitchClass], shown);
  // The other keys keep their names.
  for (int pc = 0; pc < 12; ++pc)
    if (pc != pitchClass)
      QCOMPARE(keyboard->names()[pc], before[pc].name);
  // Nothing reaches the table before OK.
  QCOMPARE(e.settings.doReMi[pitchClass].name, before[pitchClass].name);
  dialog.accept();
  QCOMPARE(e.settings.doReMi[pitchClass].name, shown);
  QCOMPARE(e.settings.doReMi[pitchClass].offset, offset);
}

void tst_options_dialog::timeSignatureAndAnacrusisApplyOnOk() {
  Editor e;
  e.start();
  for (int part : {1, 2, 16}) {
    AppendNote(e.song, part, 60, "4");
    AppendNote(e.song, part, 62, "4");
  }
  OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
  dialog.show();
  dialog.numeratorBox()->setText("6");
  QTest::mouseClick(dialog.findChild<QAbstractButton *>("denominator8"), Qt::LeftButton);
  dialog.anacrusisBox()->setText("240");
  auto *keys = dialog.findChild<QComboBox *>("keySelector");
  keys->setCurrentIndex(keys->findText(QStringLiteral("ホ短調（♯1）")));
  // Nothing changes before OK.
  QCOMPARE(int(e.song.ticksPerBeat), 480);
  QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
  QVERIFY(!dialog.isVisible());
  QVERIFY(e.prompts->warnings.isEmpty());
  QCOMPARE(int(e.song.ticksPerBeat), 240);
  QCOMPARE(int(e.song.beatsPerMeasure), 6);
  QVERIFY(e.song.display.key == (KeySignature{1, true}));
  for (int part = 1; part <= kUserParts; ++part)
    QCOMPARE(e.song.part(part).notes.front().start, -240);
  QCOMPARE(e.song.part(2).notes[1].start, 240);

  // Opening again shows what was applied.
  OptionsDialog again(e.ctx, *e.prompts, e.frame.get());
  QCOMPARE(again.numeratorBox()->text(), QString("6"));
  QCOMPARE(again.anacrusisBox()->text(), QString("240"));
  QCOMPARE(again.denominatorIndex(), 1);
  QCOMPARE(again.findChild<QComboBox *>("keySelector")->currentText(),
           QStringLiteral("ホ短調（♯1）"));
}

void tst_options_dialog::zeroNumeratorIsIgnored() {
  Editor e;
  e.start();
  OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
  dialog.show();
  dialog.numeratorBox()->setText("0");
  QTest::mouseClick(dialog.findChild<QAbstractButton *>("denominator2"), Qt::LeftButton);
  dialog.accept();
  QVERIFY(!dialog.isVisible());
  QCOMPARE(int(e.song.beatsPerMeasure), 4);
  QCOMPARE(int(e.song.ticksPerBeat), 960);
}

void tst_options_dialog::badBoxesAreRefusedAndNothingApplied_data() {
  QTest::addColumn<QString>("numerator");
  QTest::addColumn<QString>("anacrusis");
  QTest::addColumn<QString>("messageHas");
  QTest::addColumn<QString>("focused");

  QTest::newRow("letters in the numerator") << "abc"
                                            << "0"
                                            << "分子"
                                            << "numeratorBox";
  QTest::newRow("fraction in the numerator") << "3.5"
                                             << "0"
                                             << "分子"
                                             << "numeratorBox";
  QTest::newRow("empty numerator") << ""
                                   << "0"
                                   << "分子"
                                   << "numeratorBox";
  QTest::newRow("letters in the anacrusis") << "4"
                                            << "x"
                                            << "アウフタクト"
                                            << "anacrusisBox";
  QTest::newRow("negative anacrusis") << "4"
                                      << "-240"
                                      << "アウフタクト"
                                      << "anacrusisBox";
  QTest::newRow("anacrusis over a measure") << "4"
                                            << "1921"
                                            << "1小節"
                                            << "anacrusisBox";
}

void tst_options_dialog::badBoxesAreRefusedAndNothingApplied() {
  QFETCH(QString, numerator);
  QFETCH(QString, anacrusis);
  QFETCH(QString, messageHas);
  QFETCH(QString, focused);
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
  QVERIFY(ShowActive(dialog));
  dialog.numeratorBox()->setText(numerator);
  dialog.anacrusisBox()->setText(anacrusis);
  QTest::mouseClick(dialog.findChild<QAbstractButton *>("denominator8"), Qt::LeftButton);
  dialog.checkBox("isBar")->setChecked(false);
  dialog.shortcutBox(0)->setFocus();
  dialog.numeratorBox()->setFocus();
  QTest::mouseClick(dialog.okButton(), Qt::LeftButton);

  QVERIFY(dialog.isVisible());
  QCOMPARE(e.prompts->warnings.size(), 1);
  QVERIFY2(e.prompts->warnings.first().contains(messageHas),
           qPrintable(e.prompts->warnings.first()));
  QCOMPARE(QApplication::focusWidget()->objectName(), focused);
  QCOMPARE(int(e.song.beatsPerMeasure), 4);
  QCOMPARE(int(e.song.ticksPerBeat), 480);
  QCOMPARE(e.song.part(1).notes.front().start, 0);
  QVERIFY(e.settings.isBar);
  dialog.reject();
}

void tst_options_dialog::cancelRestoresAuditionedTones() {
  double now = 0;
  Editor e;
  e.start();
  auto backend = std::make_unique<RecordingMidiBackend>([&] { return now; });
  RecordingMidiBackend &recorder = *backend;
  e.session.midi().replaceBackend(std::move(backend));
  for (int n = 1; n <= kUserParts; ++n)
    e.song.part(n).tone = n; // something other than the default everywhere
  const auto recorded = e.settings.tones;
  {
    OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
    dialog.show();
    const QList<QPair<int, int>> auditions = {{1, 19}, {2, 40}, {3, 73}};
    for (const auto &[part, program] : auditions) {
      dialog.partSelector()->setCurrentIndex(part - 1);
      QLabel *label = dialog.toneGrid()->label(program);
      QTest::mousePress(label, Qt::LeftButton);
      QTest::mouseRelease(label, Qt::LeftButton);
      QCOMPARE(e.song.part(part).tone, program);
      QCOMPARE(dialog.toneGrid()->highlighted(), program);
    }
    const QList<RecordedMidiEvent> auditioned = ProgramChanges(recorder);
    QCOMPARE(auditioned.size(), 3);
    QCOMPARE(auditioned[1].channel(), 2);
    QCOMPARE(auditioned[1].data1(), 40);
    recorder.clear();
    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
  }
  for (int n = 1; n <= kUserParts; ++n)
    QCOMPARE(e.song.part(n).tone, n);
  // The song holds the tones; the settings record takes them only at exit.
  QCOMPARE(e.settings.tones, recorded);
  const QList<RecordedMidiEvent> restored = ProgramChanges(recorder);
  QCOMPARE(restored.size(), kUserParts);
  for (int n = 1; n <= kUserParts; ++n) {
    QCOMPARE(restored[n - 1].channel(), n);
    QCOMPARE(restored[n - 1].data1(), n);
  }
  // The output is left closed as it was found.
  QVERIFY(!recorder.isOpen());
}

void tst_options_dialog::leftButtonSoundsMiddleCUntilReleased() {
  double now = 0;
  Editor e;
  e.start();
  auto backend = std::make_unique<RecordingMidiBackend>([&] { return now; });
  RecordingMidiBackend &recorder = *backend;
  e.session.midi().replaceBackend(std::move(backend));
  {
    OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
    dialog.show();
    dialog.partSelector()->setCurrentIndex(4);
    QLabel *label = dialog.toneGrid()->label(56);
    QTest::mousePress(label, Qt::LeftButton);
    QVERIFY(recorder.isOpen());
    auto messages = recorder.messages();
    QVERIFY(!messages.empty());
    const RecordedMidiEvent &on = messages.back();
    QVERIFY(on.isNoteOn());
    QCOMPARE(on.channel(), 5);
    QCOMPARE(on.data1(), 60);
    QVERIFY(on.data2() >= 90 && on.data2() <= 127);
    QTest::mouseRelease(label, Qt::LeftButton);
    messages = recorder.messages();
    QVERIFY(messages.back().isNoteOff());
    QVERIFY(!recorder.isOpen());
    dialog.accept();
  }
  // OK keeps the auditioned tone.
  QCOMPARE(e.song.part(5).tone, 56);
}

void tst_options_dialog::checkBoxRoundTripsThroughTheIniFile_data() {
  QTest::addColumn<QString>("key");
  QTest::addColumn<bool>("builtIn");
  QTest::newRow("is3") << "is3" << true;
  QTest::newRow("isAuto") << "isAuto" << true;
  QTest::newRow("isLongFile") << "isLongFile" << false;
  QTest::newRow("isBar") << "isBar" << true;
  QTest::newRow("isClassicScore") << "isClassicScore" << false;
  QTest::newRow("isBarNum") << "isBarNum" << true;
  QTest::newRow("isDoReMi") << "isDoReMi" << true;
  QTest::newRow("isShowCursol") << "isShowCursol" << true;
  QTest::newRow("isPreview") << "isPreview" << true;
  QTest::newRow("isSaveTone") << "isSaveTone" << true;
  QTest::newRow("isNoCheck") << "isNoCheck" << false;
  QTest::newRow("isManyUndo") << "isManyUndo" << true;
  QTest::newRow("isNearestOctave") << "isNearestOctave" << false;
  QTest::newRow("isKeyAccidentals") << "isKeyAccidentals" << false;
}

void tst_options_dialog::checkBoxRoundTripsThroughTheIniFile() {
  QFETCH(QString, key);
  QFETCH(bool, builtIn);
  {
    Editor e;
    e.start();
    OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
    dialog.show();
    QCheckBox *box = dialog.checkBox(key);
    QVERIFY(box);
    QCOMPARE(box->isChecked(), builtIn);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    QCOMPARE(box->isChecked(), !builtIn);
    dialog.accept();
    QVERIFY(e.frame->close());
  }
  QCOMPARE(IniValue(key), QString(builtIn ? "False" : "True"));
  Editor again;
  again.start();
  OptionsDialog dialog(again.ctx, *again.prompts, again.frame.get());
  QCOMPARE(dialog.checkBox(key)->isChecked(), !builtIn);
}

void tst_options_dialog::midiChoicesRoundTripAndReachTheImport() {
  {
    Editor e;
    e.start();
    OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
    dialog.show();
    // Chords spread over free parts and drums left out until chosen otherwise.
    QCOMPARE(dialog.chordChoices()->checkedButton()->text(), QString("空きパートに分ける"));
    QCOMPARE(dialog.drumChoices()->checkedId(), 0);
    QTest::mouseClick(dialog.chordChoices()->button(1), Qt::LeftButton, {}, QPoint(8, 8));
    QTest::mouseClick(dialog.drumChoices()->button(1), Qt::LeftButton, {}, QPoint(8, 8));
    QCOMPARE(dialog.chordChoices()->checkedId(), 1);
    dialog.accept();
    QCOMPARE(e.session.options().import.chords, ChordHandling::Top);
    QVERIFY(e.session.options().import.keepDrums);
    QVERIFY(e.frame->close());
  }
  QCOMPARE(IniValue("MidiChords"), QString("top"));
  QCOMPARE(IniValue("MidiKeepDrums"), QString("True"));
  Editor again;
  again.start();
  OptionsDialog dialog(again.ctx, *again.prompts, again.frame.get());
  QCOMPARE(dialog.chordChoices()->checkedButton()->text(), QString("最高音"));
  QCOMPARE(dialog.drumChoices()->checkedId(), 1);
}

void tst_options_dialog::redoItemFollowsMultiLevelUndo() {
  Editor e;
  e.start();
  QAction *redo = e.frame->action("RedoItem");
  QVERIFY(redo->isVisible());
  for (bool on : {false, true}) {
    OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
    dialog.show();
    dialog.checkBox("isManyUndo")->setChecked(on);
    dialog.accept();
    QCOMPARE(e.settings.isManyUndo, on);
    QCOMPARE(redo->isVisible(), on);
  }
}

void tst_options_dialog::damagedToneNamesStillGiveAWorkingDialog() {
  WriteBytes(HomeFile("pipora.tnf"),
             QByteArray("\x01\x02\xff\xfe\r\n", 6) + ToCp932(QString("ピアノ2\r\n")));
  Editor e;
  e.start();
  e.song.part(1).tone = 5;
  e.settings.isGrid = true;
  OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
  dialog.show();
  QCOMPARE(dialog.toneGrid()->label(0)->text(), QString("0"));
  QCOMPARE(dialog.toneGrid()->label(1)->text(), QString("ピアノ2"));
  QCOMPARE(dialog.toneGrid()->label(127)->text(), QString("127"));
  QCOMPARE(dialog.toneGrid()->highlighted(), 5);
  QCOMPARE(dialog.partSelector()->count(), 16);
  QCOMPARE(dialog.shortcutBox(0)->text(), QString("Alt + ↑"));
  dialog.accept();
  // OK wrote every control back without changing anything.
  QCOMPARE(e.song.part(1).tone, 5);
  QVERIFY(e.settings.isBar);
  QVERIFY(e.settings.isGrid);
  QCOMPARE(e.settings.doReMi[4].name, QString("ミ"));
}

void tst_options_dialog::pageDownScrollsThePanel() {
  Editor e;
  e.start();
  OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
  dialog.resize(dialog.width(), 400);
  QVERIFY(ShowActive(dialog));
  QScrollBar *bar = dialog.scrollArea()->verticalScrollBar();
  QVERIFY(bar->maximum() > bar->pageStep());
  dialog.numeratorBox()->setFocus();
  QTest::keyClick(dialog.numeratorBox(), Qt::Key_PageDown);
  QCOMPARE(bar->value(), bar->pageStep());
  QTest::keyClick(dialog.checkBox("isBar"), Qt::Key_PageDown);
  QCOMPARE(bar->value(), std::min(2 * bar->pageStep(), bar->maximum()));
  for (int i = 0; i < 20; ++i)
    QTest::keyClick(dialog.numeratorBox(), Qt::Key_PageUp);
  QCOMPARE(bar->value(), 0);
  dialog.reject();
}

void tst_options_dialog::cancelledCloseWritesNoSettings() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  e.session.setDirty(true);
  e.prompts->answers << Answer::Cancel;
  QVERIFY(!e.frame->close());
  QVERIFY(!QFile::exists(SettingsFilePath()));
  e.prompts->answers << Answer::No;
  QVERIFY(e.frame->close());
  QCOMPARE(IniValue("isBar"), QString("True"));
}

void tst_options_dialog::helpKeyShowsThePageOfTheWindowInUse_data() {
  QTest::addColumn<QString>("window");
  QTest::addColumn<QString>("page");
  QTest::newRow("score editor") << "scoreEditor"
                                << "score_editor.html";
  QTest::newRow("source editor") << "sourceEditor"
                                 << "source_editor.html";
  QTest::newRow("property window") << "propertyWindow"
                                   << "property_window.html";
  QTest::newRow("player panel") << "playerPanel"
                                << "player.html";
}

// F1 opens the manual's page of the window in use, in the program's own window: nothing
// goes to a browser.
void tst_options_dialog::helpKeyShowsThePageOfTheWindowInUse() {
  QFETCH(QString, window);
  QFETCH(QString, page);
  QList<QUrl> handedOut;
  SetManualOpener([&](const QUrl &url) {
    handedOut << url;
    return true;
  });
  Editor e;
  e.start();
  auto *child = e.frame->findChild<ChildWindow *>(window);
  QVERIFY(child);
  child->showInFrame();
  QTest::keyClick(child, Qt::Key_F1);
  auto *help = e.frame->findChild<HelpWindow *>();
  QVERIFY(help && help->isVisible());
  QCOMPARE(help->currentPage(), page);
  QVERIFY(handedOut.isEmpty());
  help->close();
}

void tst_options_dialog::helpItemShowsTheIndexWithoutABrowser() {
  SetManualOpener([](const QUrl &) { return false; });
  Editor e;
  e.start();
  e.frame->action("HelpItem")->trigger(); // from the menu: the index
  auto *help = e.frame->findChild<HelpWindow *>();
  QVERIFY(help && help->isVisible());
  QCOMPARE(help->currentPage(), QString("index.html"));
  QCOMPARE(help->windowTitle(), QString("目次 - PiporaPad マニュアル"));
  QVERIFY(!help->browser()->toPlainText().isEmpty());
  help->close();
}

void tst_options_dialog::helpKeyInTheOptionsDialogShowsItsPage() {
  Editor e;
  e.start();
  OptionsDialog dialog(e.ctx, *e.prompts, e.frame.get());
  QVERIFY(ShowActive(dialog));
  QTest::keyClick(&dialog, Qt::Key_F1);
  // Usable while the dialog is: it belongs to the dialog.
  auto *help = dialog.findChild<HelpWindow *>();
  QVERIFY(help && help->isVisible());
  QCOMPARE(help->currentPage(), QString("options.html"));
  help->close();
  dialog.reject();
}

void tst_options_dialog::manualPagesForTheViewer_data() {
  QTest::addColumn<QString>("html");
  QTest::addColumn<QString>("shown");
  QTest::newRow("wideFigureFitsAndCaptionBelow")
      << R"(<figure><img src="a.png" alt="A"><figcaption>図</figcaption></figure>)"
      << R"(<p align="center"><img src="a.png" alt="A" width="400" height="200"></p>)"
         R"(<p align="center"><font color="#555555">図</font></p>)";
  QTest::newRow("narrowFigureKeepsItsSize")
      << R"(<figure><img src="b.png" alt="B"><figcaption>x</figcaption></figure>)"
      << R"(<p align="center"><img src="b.png" alt="B"></p>)"
         R"(<p align="center"><font color="#555555">x</font></p>)";
  QTest::newRow("pageListOnOneLine")
      << R"(<nav><ul><li><a href="i.html">目次</a></li><li><strong>キー操作</strong></li></ul></nav>)"
      << R"(<p><a href="i.html">目次</a> ｜ <strong>キー操作</strong></p><hr>)";
  QTest::newRow("japaneseLinesJoinWithoutASpace") << "表示されます。\nテンポは"
                                                  << "表示されます。テンポは";
  QTest::newRow("englishLinesKeepTheirSpace") << "the tempo\nand"
                                              << "the tempo\nand";
}

void tst_options_dialog::manualPagesForTheViewer() {
  QFETCH(QString, html);
  QFETCH(QString, shown);
  const auto size = [](const QString &src) {
    return src == QLatin1String("a.png") ? QSize(800, 400) : QSize(300, 100);
  };
  QCOMPARE(ManualPageForViewer(html, 400, size), shown);
}

void tst_options_dialog::helpWindowKeepsItsLinksAndFindsText() {
  QList<QUrl> handedOut;
  SetManualOpener([&](const QUrl &url) {
    handedOut << url;
    return true;
  });
  HelpWindow *help = ShowHelp(nullptr, "index.html");
  QVERIFY(help);
  emit help->browser()->anchorClicked(QUrl("files.html#undo"));
  QCOMPARE(help->currentPage(), QString("files.html#undo"));
  QVERIFY(help->backAction()->isEnabled());
  help->backAction()->trigger();
  QCOMPARE(help->currentPage(), QString("index.html"));
  help->forwardAction()->trigger();
  QCOMPARE(help->currentPage(), QString("files.html#undo"));
  emit help->browser()->anchorClicked(QUrl("https://example.org/"));
  QCOMPARE(handedOut, QList<QUrl>({QUrl("https://example.org/")}));
  QCOMPARE(help->currentPage(), QString("files.html#undo"));
  help->indexAction()->trigger();
  QCOMPARE(help->currentPage(), QString("index.html"));

  help->findBox()->setText("pipora.ini");
  QVERIFY(help->findInPage());
  QCOMPARE(help->browser()->textCursor().selectedText(), QString("pipora.ini"));
  help->findBox()->setText("no such words here");
  QVERIFY(!help->findInPage());
  // Escape closes it, as it closes the dialogs.
  help->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(help));
  QTest::keyClick(help->browser(), Qt::Key_Escape);
  QVERIFY(!help->isVisible());
  delete help;
}

void tst_options_dialog::helpWithoutTheManualShowsTheAboutBox() {
  QTemporaryDir empty;
  SetManualIndexPath(empty.filePath("index.html"));
  Editor e;
  e.start();
  QString shown;
  WhenModalShows([&](QWidget *modal) {
    shown = modal ? modal->objectName() : QString("none");
    if (modal)
      modal->close();
  });
  e.frame->action("HelpItem")->trigger();
  SetManualIndexPath({});
  QCOMPARE(shown, QString("aboutBox"));
  QVERIFY(!e.frame->findChild<HelpWindow *>());
}

void tst_options_dialog::aboutBoxShowsTitleAndVersion() {
  Editor e;
  e.start();
  QString caption;
  QString title;
  QString version;
  QString description;
  WhenModalShows([&](QWidget *modal) {
    auto *about = qobject_cast<AboutBox *>(modal);
    QVERIFY(about);
    caption = about->windowTitle();
    title = about->titleLabel()->text();
    version = about->versionLabel()->text();
    description = about->descriptionLabel()->text();
    QTest::mouseClick(about->okButton(), Qt::LeftButton);
  });
  e.frame->action("AboutItem")->trigger();
  QCOMPARE(caption, QString("PiporaPadのバージョン情報"));
  QCOMPARE(title, QString("PiporaPad"));
  QCOMPARE(version, ProgramVersionText());
  QVERIFY(version.startsWith("バージョン "));
  QCOMPARE(description, QString("J-PHONEのSMDファイルを編集することができます。"));
}

QTEST_MAIN(tst_options_dialog)
#include "tst_options_dialog.moc"
