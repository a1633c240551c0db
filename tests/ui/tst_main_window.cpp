// The frame: menu tree, file commands with their questions and messages, start-up,
// the close sequence, the View menu and the tile layout.
#include "ui_fixture.h"

#include "editing/score_geometry.h"
#include "formats/smd/smd_reader.h"
#include "formats/smd/smd_writer.h"
#include "model/keymap.h"
#include "model/vocabulary.h"
#include "platform/ini/ini_file.h"
#include "platform/ui/virtual_keys.h"
#include "playback/player.h"
#include "session/song_files.h"
#include "views/file_commands.h"
#include "views/main_menus.h"
#include "views/player/player_panel.h"
#include "views/problems/problem_list_window.h"
#include "views/property/property_window.h"
#include "views/score/score_editor_window.h"
#include "views/source/source_editor_window.h"
#include "views/window_arrangement.h"

#include <QAction>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace pipora;
using namespace pipora::test;

namespace {

const QString kChanged = QStringLiteral("ファイルは変更されています。保存しますか。");
const QString kOverwrite = QStringLiteral("同じ名前のファイルが存在します。上書きしますか。");

// A song with part 1 = C4 D4 E4 quarters and the title "abc".
QByteArray ThreeNoteSong() {
  return SmdBytes("abc", {"6>F"});
}

// Adds a note before the part's EndMarker.
} // namespace

class tst_main_window : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { PrepareWindowTests(); }
  void init() { ClearProgramDirectory(); }
  void cleanup() { QVERIFY(VisibleTopLevels().isEmpty()); }

  void menuItems_data();
  void menuItems();
  void menuKeysComeFromTheShortcutTable_data();
  void menuKeysComeFromTheShortcutTable();
  void storedKeysAsKeySequences_data();
  void storedKeysAsKeySequences();
  void menuOrderWithSeparators();
  void frameNamedAndCaptioned();
  void inertItemsAreGrayed();

  void openShowsSongAndCaption();
  void openShowsTheFirstPartWithNotesFromTheStart();
  void openUsesSmdFilterAndLastFileName();
  void openCancelledChangesNothing();
  void damagedFileKeepsSong();
  void openAfterRefusedSaveKeepsSong();
  void saveAsWritesFileAndCaption();
  void saveAsExistingAsksBeforeOverwrite();
  void saveAsAddsExtensionWhenNoneGiven_data();
  void saveAsAddsExtensionWhenNoneGiven();
  void saveWithoutNameRunsSaveAs();
  void refusedSavePutsSourceCursorOnNote();
  void failedWriteShowsSavingMessage();
  void newAsksAndClears();
  void newKeepsSongWhenSaveRefused();
  void cancelAtChangedQuestionKeepsSong_data();
  void cancelAtChangedQuestionKeepsSong();

  void commandLineQuotedSmzOpensWithoutDialog();
  void handedOverFileOpensAsItsKind_data();
  void handedOverFileOpensAsItsKind();

  void closeCancelledWritesNoSettings();
  void closeWhilePlayingDoesNothing();
  void exitWithNoDiscardsAndCloses();

  void closedChildHidesAndViewMenuUnchecks();
  void viewItemTogglesWindow();
  void timeItemsSwitchMode();

  void openMidiImportsAndNamesSmd();
  void saveAfterImportRunsSaveAsFirst();
  void exportAsksBeforeReplacingAnUnrelatedMidi();
  void openMidiUnreadableKeepsSong();
  void openMusicXmlImportsAndExportWritesAScore();
  void malformedMusicXmlIsRefusedAndTheSongStays();
  void saveMidiWritesBesideSmd();
  void saveMidiAsAsksBeforeOverwrite();
  void scoreExportWritesVectorPages();
  void doubleClickOnBackgroundDumpsEvents();
  void cascadePutsActiveEditorLast();
  void fontItemSetsSourceFont();
  void fontDialogOpensOnTheInstalledFamily();
  void positionIsAFixedPointOverRestarts();

  void tileWithoutPropertySharesHeight();
  void tileWithPropertyKeepsItsBand();
  void fitInsideKeepsCloseButtonInReach_data();
  void fitInsideKeepsCloseButtonInReach();
  void problemListKeepsWindowsInView();
  void tileSkipsWhenMaximised();
  void recentFilesOpenFromTheMenu();
  void gridRounding();
};

void tst_main_window::menuItems_data() {
  QTest::addColumn<QString>("menu");
  QTest::addColumn<QString>("item");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<QString>("shortcut");
  struct Row {
    const char *menu, *item, *caption, *shortcut;
  };
  const Row rows[] = {
      {"FileMenu", "NewItem", "新規作成(&N)", "Ctrl+N"},
      {"FileMenu", "OpenItem", "SMDファイルを開く(&O)...", "Ctrl+O"},
      {"FileMenu", "SaveItem", "SMDファイルを上書き保存(&S)", "Ctrl+S"},
      {"FileMenu", "SaveAsItem", "SMDファイルを名前を付けて保存(&A)...", ""},
      {"FileMenu", "OpenMidiItem", "MIDIファイルを開く(&M)...", ""},
      {"FileMenu", "SaveMidiItem", "MIDIファイルを上書き保存(&I)", ""},
      {"FileMenu", "SaveAsMidiItem", "MIDIファイルを名前を付けて保存(&D)...", ""},
      {"FileMenu", "SmafItem", "SMAFファイルを出力(&F)...", ""},
      {"FileMenu", "ExportMenu", "エクスポート(&T)", ""},
      {"ExportMenu", "MusicXmlExportItem", "MusicXML(&X)...", ""},
      {"FileMenu", "PrintScoreItem", "楽譜を印刷(&P)...", "Ctrl+P"},
      {"FileMenu", "ScorePdfItem", "楽譜をPDFで出力(&E)...", ""},
      {"FileMenu", "ScoreSvgItem", "楽譜をSVGで出力(&G)...", ""},
      {"FileMenu", "RecentMenu", "最近使ったファイル(&R)", ""},
      {"FileMenu", "ExitItem", "終了(&X)", ""},
      {"EditMenu", "UndoItem", "元に戻す(&U)", ""},
      {"EditMenu", "UndoItem2", "元に戻す(&U)", "Ctrl+Z"},
      {"EditMenu", "RedoItem", "やり直し(&R)", "Ctrl+Y"},
      {"EditMenu", "CutItem", "切り取り(&T)", "Ctrl+X"},
      {"EditMenu", "CopyItem", "コピー(&C)", "Ctrl+C"},
      {"EditMenu", "PasteItem", "貼り付け(&P)", "Ctrl+V"},
      {"EditMenu", "DeleteItem", "削除(&D)", "Del"},
      {"EditMenu", "AllItem", "全てを選択(&A)", "Ctrl+A"},
      {"EditMenu", "FindItem", "検索(&F)...", "Ctrl+F"},
      {"EditMenu", "NextFindItem", "次を検索(&N)", "F3"},
      {"EditMenu", "UpItem", "半音上げる(&H)", "table"},
      {"EditMenu", "DownItem", "半音下げる(&I)", "table"},
      {"EditMenu", "LongItem", "音符を長くする(&G)", "table"},
      {"EditMenu", "ShortItem", "音符を短くする(&B)", "table"},
      {"EditMenu", "oUpItem", "1オクターブ上げる(&O)", "table"},
      {"EditMenu", "oDownItem", "1オクターブ下げる(&Q)", "table"},
      {"EditMenu", "TieItem", "タイにする(&E)", "table"},
      {"EditMenu", "FastItem", "全ての音符を半分にする(&S)", ""},
      {"EditMenu", "SlowItem", "全ての音符を倍にする(&L)", ""},
      {"EditMenu", "FitForSmdItem", "SMDに合わせる(&M)", ""},
      {"PlayMenu", "AllPlayItem", "全パート演奏(&A)", "table"},
      {"PlayMenu", "SoloPlayItem", "ソロ演奏(&S)", "table"},
      {"PlayMenu", "MeasurePlayItem", "小節演奏(&M)", "table"},
      {"PlayMenu", "StopPlayItem", "停止(&T)", "table"},
      {"ViewMenu", "ShowScrItem", "スコアエディタ'(&S)", ""},
      {"ViewMenu", "ShowSrcItem", "ソースエディター(&U)", ""},
      {"ViewMenu", "ShowPropertyItem", "プロパティウィンドウ(&R)", ""},
      {"ViewMenu", "ShowPlaypannelItem", "プレイヤー(&P)", ""},
      {"ViewMenu", "ShowProblemsItem", "保存できない箇所の一覧(&K)", ""},
      {"ViewMenu", "HorizonItem", "並べて表示(&H)", ""},
      {"ViewMenu", "CascadeItem", "重ねて表示(&C)", ""},
      {"ViewMenu", "minuteItem", "分/秒/ミリ秒(&M)", ""},
      {"ViewMenu", "tickItem", "小節/拍/Tick(&T)", ""},
      {"ViewMenu", "NarrowNoteItem", "[－]音符の間隔を狭くする(&N)", ""},
      {"ViewMenu", "ExtendNoteItem", "[＋]音符間隔を広げる(&E)", ""},
      {"ViewMenu", "NarrowChItem", "[▲]段間隔を狭くする(&A)", ""},
      {"ViewMenu", "ExtendChItem", "[▼]段間隔を広げる(&X)", ""},
      {"ViewMenu", "HideEmptyPartsItem", "空のパートを隠す", ""},
      {"ViewMenu", "FontItem", "フォントの設定(&F)...", ""},
      {"ViewMenu", "ToneItem", "その他の設定(&O)...", ""},
      {"HelpMenu", "HelpItem", "目次(&H)...", "F1"},
      {"HelpMenu", "AboutItem", "バージョン情報(&A)...", ""},
  };
  for (const Row &r : rows)
    QTest::newRow(r.item) << r.menu << r.item << QString::fromUtf8(r.caption) << r.shortcut;
}

void tst_main_window::menuItems() {
  QFETCH(QString, menu);
  QFETCH(QString, item);
  QFETCH(QString, caption);
  QFETCH(QString, shortcut);
  Editor e;
  QMenu *m = e.frame->menu(menu);
  QVERIFY(m);
  QAction *a = m->findChild<QAction *>(item);
  QVERIFY2(a && m->actions().contains(a), qPrintable(item));
  QCOMPARE(a->text(), caption);
  // "table": the score editor's configurable key, checked by menuKeysComeFromTheShortcutTable.
  if (shortcut != QLatin1String("table"))
    QCOMPARE(a->shortcut(), QKeySequence(shortcut));
}

void tst_main_window::menuKeysComeFromTheShortcutTable_data() {
  QTest::addColumn<QString>("item");
  QTest::addColumn<int>("command");
  const std::pair<const char *, ShortCutAction> rows[] = {
      {"UpItem", ShortCutAction::SemitoneUp},
      {"DownItem", ShortCutAction::SemitoneDown},
      {"LongItem", ShortCutAction::Longer},
      {"ShortItem", ShortCutAction::Shorter},
      {"oUpItem", ShortCutAction::OctaveUp},
      {"oDownItem", ShortCutAction::OctaveDown},
      {"AllPlayItem", ShortCutAction::PlayAll},
      {"SoloPlayItem", ShortCutAction::SoloPlay},
      {"StopPlayItem", ShortCutAction::StopPlay},
      {"TieItem", ShortCutAction::Tie},
      {"MeasurePlayItem", ShortCutAction::MeasurePlay},
  };
  for (const auto &[item, command] : rows)
    QTest::newRow(item) << QString::fromLatin1(item) << static_cast<int>(command);
}

void tst_main_window::menuKeysComeFromTheShortcutTable() {
  QFETCH(QString, item);
  QFETCH(int, command);
  Editor e;
  QAction *a = e.frame->action(item);
  QVERIFY(a);
  const auto action = static_cast<ShortCutAction>(command);
  const auto expected = [&] {
    return KeySequenceOfShortcut(ShortCutOf(e.settings.shortcuts, action));
  };
  QVERIFY(!expected().isEmpty());
  QCOMPARE(a->shortcut(), expected());
  // A key changed in the options shows when the menu opens next.
  e.settings.shortcuts[static_cast<std::size_t>(command)] = 3 * 256 + 'K';
  QVERIFY(a->shortcut() != expected());
  for (QMenu *menu : {e.frame->menu("EditMenu"), e.frame->menu("PlayMenu")})
    emit menu->aboutToShow();
  QCOMPARE(a->shortcut(), expected());
  QCOMPARE(a->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+K")));
  // Shown only: the key reaches the windows, which dispatch it themselves.
  QCOMPARE(a->shortcutContext(), Qt::WidgetShortcut);
}

void tst_main_window::storedKeysAsKeySequences_data() {
  QTest::addColumn<int>("code");
  QTest::addColumn<QString>("sequence");
  QTest::newRow("altUp") << 1062 << "Alt+Up";
  QTest::newRow("pageDown") << 34 << "PgDown";
  QTest::newRow("space") << 32 << "Space";
  QTest::newRow("letter") << 83 << "S";
  QTest::newRow("shiftCtrlDelete") << 3 * 256 + 46 << "Ctrl+Shift+Del";
  QTest::newRow("f5") << 116 << "F5";
  QTest::newRow("keypad7") << 103 << "Num+7";
  QTest::newRow("noSuchKey") << 255 << "";
}

void tst_main_window::storedKeysAsKeySequences() {
  QFETCH(int, code);
  QFETCH(QString, sequence);
  QCOMPARE(KeySequenceOfShortcut(code).toString(QKeySequence::PortableText), sequence);
}

void tst_main_window::menuOrderWithSeparators() {
  Editor e;
  const QStringList titles = [&] {
    QStringList t;
    for (QAction *a : e.frame->menuBar()->actions())
      t << a->text();
    return t;
  }();
  QCOMPARE(titles, QStringList({"ファイル(&F)", "編集(&E)", "演奏(&P)", "表示(&V)", "ヘルプ(&H)"}));
  auto names = [&](const char *menu) {
    QStringList n;
    for (QAction *a : e.frame->menu(menu)->actions())
      n << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    return n;
  };
  QCOMPARE(names("FileMenu"),
           QStringList({"NewItem", "OpenItem", "SaveItem", "SaveAsItem", "-", "OpenMidiItem",
                        "SaveMidiItem", "SaveAsMidiItem", "SmafItem", "ExportMenu", "-",
                        "PrintScoreItem", "ScorePdfItem", "ScoreSvgItem", "-", "RecentMenu", "-",
                        "ExitItem"}));
  QCOMPARE(names("ViewMenu"), QStringList({"ShowScrItem",
                                           "ShowSrcItem",
                                           "ShowPropertyItem",
                                           "ShowPlaypannelItem",
                                           "ShowProblemsItem",
                                           "-",
                                           "HorizonItem",
                                           "CascadeItem",
                                           "-",
                                           "minuteItem",
                                           "tickItem",
                                           "-",
                                           "NarrowNoteItem",
                                           "ExtendNoteItem",
                                           "NarrowChItem",
                                           "ExtendChItem",
                                           "HideEmptyPartsItem",
                                           "-",
                                           "FontItem",
                                           "ToneItem"}));
  QCOMPARE(names("EditMenu").count("-"), 5);
}

void tst_main_window::frameNamedAndCaptioned() {
  Editor e;
  e.start();
  QCOMPARE(e.frame->objectName(), QString("mainWindow"));
  QCOMPARE(e.frame->windowTitle(), QString("PiporaPad"));
  const QList<QPair<QWidget *, QString>> children = {
      {static_cast<QWidget *>(e.frame->scoreEditor()), "ScoreEditor"},
      {static_cast<QWidget *>(e.frame->sourceEditor()), "SourceEditor"},
      {static_cast<QWidget *>(e.frame->propertyWindow()), "PropertyWindow"},
      {static_cast<QWidget *>(e.frame->playerPanel()), "Player"}};
  for (const auto &[w, caption] : children) {
    QVERIFY(e.frame->childWindows().subWindowOf(w));
    // The score editor adds its cursor position after its name.
    QVERIFY2(e.frame->childWindows().subWindowOf(w)->windowTitle().startsWith(caption),
             qPrintable(caption));
    QVERIFY(e.frame->childWindows().isChildVisible(w));
  }
  QCOMPARE(e.frame->scoreEditor()->objectName(), QString("scoreEditor"));
  QCOMPARE(e.frame->sourceEditor()->objectName(), QString("sourceEditor"));
  QCOMPARE(e.frame->propertyWindow()->objectName(), QString("propertyWindow"));
  QCOMPARE(e.frame->playerPanel()->objectName(), QString("playerPanel"));
  QVERIFY(e.frame->action("minuteItem")->isChecked());
  QVERIFY(!e.frame->action("tickItem")->isChecked());
}

void tst_main_window::inertItemsAreGrayed() {
  Editor e;
  QVERIFY(!e.frame->action("UndoItem")->isEnabled());
  QVERIFY(!e.frame->action("SmafItem")->isEnabled());
  QVERIFY(e.frame->action("UndoItem2")->isEnabled());
}

// --- Open ------------------------------------------------------------------------------

void tst_main_window::openShowsSongAndCaption() {
  Editor e;
  e.start();
  QTemporaryDir dir;
  const QString path = dir.filePath("song.smd");
  WriteBytes(path, ThreeNoteSong());
  e.prompts->openNames << path;
  e.frame->action("OpenItem")->trigger();
  QVERIFY(e.prompts->warnings.isEmpty());
  QCOMPARE(e.frame->windowTitle(), path + " - PiporaPad");
  QCOMPARE(e.song.part(1).count, 3);
  QCOMPARE(e.frame->sourceEditor()->noteList()->count(), 4);
  QCOMPARE(e.frame->sourceEditor()->noteList()->item(1)->text(), QString("1:2:0\tD4\t62\t4"));
  QCOMPARE(e.frame->propertyWindow()->titleBox()->text(), QString("abc"));
  QCOMPARE(e.settings.LastFileName, path);
  QVERIFY(!e.song.dirty);
}

void tst_main_window::openShowsTheFirstPartWithNotesFromTheStart() {
  Editor e;
  e.start();
  QTemporaryDir dir;
  // The file's notes (SMD numbers its parts from 1); the song before was worked on far along
  // in part 12.
  Song written;
  for (int i = 0; i < 64; ++i)
    AppendNote(written, 1, 60 + i % 12, "4");
  const QString path = dir.filePath("three.smd");
  WriteBytes(path, EncodeSmd(written).value());
  for (int i = 0; i < 64; ++i)
    AppendNote(e.song, 12, 72, "4");
  e.frame->childWindows().setChildVisible(e.frame->scoreEditor(), true);
  ScoreEditorWindow *score = e.frame->scoreEditor();
  score->relayoutMarked();
  score->horizontalScrollBar()->setValue(score->horizontalScrollBar()->maximum());
  score->verticalScrollBar()->setValue(score->verticalScrollBar()->maximum());
  e.song.dirty = false;
  e.prompts->openNames << path;
  e.frame->action("OpenItem")->trigger();
  QVERIFY2(e.prompts->warnings.isEmpty(), qPrintable(e.prompts->warnings.join('\n')));
  QCOMPARE(e.song.part(1).count, 64);
  QCOMPARE(ScoreCurrentPart(e.song), 1);
  QCOMPARE(e.song.part(1).scoreHeader.cursor, 0);
  QCOMPARE(score->horizontalScrollBar()->value(), score->horizontalScrollBar()->minimum());
  QVERIFY(score->verticalScrollBar()->value() < score->verticalScrollBar()->maximum());
}

void tst_main_window::recentFilesOpenFromTheMenu() {
  Editor e;
  e.start();
  QTemporaryDir dir;
  const QString first = dir.filePath("first.smd");
  const QString second = dir.filePath("second & more.smd");
  WriteBytes(first, ThreeNoteSong());
  WriteBytes(second, ThreeNoteSong());
  e.prompts->openNames << first << second;
  e.frame->action("OpenItem")->trigger();
  e.frame->action("OpenItem")->trigger();
  emit e.frame->menu("FileMenu")->aboutToShow();
  QVERIFY(e.frame->menu("RecentMenu")->isEnabled());
  QCOMPARE(e.frame->action("RecentFileItem1")->text(), "&1 " + dir.filePath("second && more.smd"));
  e.frame->action("RecentFileItem2")->trigger();
  QCOMPARE(e.session.path(), first);
  QCOMPARE(e.settings.recentFiles.paths(), QStringList({first, second}));
  // A file that is gone is said so and leaves the list; the song stays.
  QFile::remove(second);
  emit e.frame->menu("FileMenu")->aboutToShow();
  e.frame->action("RecentFileItem2")->trigger();
  QCOMPARE(e.prompts->warnings.size(), 1);
  QVERIFY(e.prompts->warnings.first().startsWith(second + "\nファイルが見つかりません。"));
  QCOMPARE(e.session.path(), first);
  QCOMPARE(e.settings.recentFiles.paths(), QStringList({first}));
}

void tst_main_window::openUsesSmdFilterAndLastFileName() {
  Editor e;
  e.start();
  e.settings.LastFileName = "/some/where/last.smd";
  e.frame->action("OpenItem")->trigger(); // cancelled
  QCOMPARE(e.prompts->openRequests.size(), 1);
  const FileDialogRequest &r = e.prompts->openRequests.first();
  QCOMPARE(r.filters,
           QStringList({"すべてのファイル（*.*）|*.*",
                        "SMDファイル、SMZファイル（*.smd;*.smz）|*.smd;*.smz",
                        "MusicXMLファイル（*.musicxml;*.xml;*.mxl）|*.musicxml;*.xml;*.mxl"}));
  QCOMPARE(r.selectedFilter, 1);
  QCOMPARE(r.initialName, QString("/some/where/last.smd"));
  QCOMPARE(r.maxNameLength, 260);
  e.settings.isLongFile = true;
  e.frame->action("OpenItem")->trigger();
  QCOMPARE(e.prompts->openRequests.last().maxNameLength, 1000);
}

void tst_main_window::openCancelledChangesNothing() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  e.frame->action("OpenItem")->trigger();
  QCOMPARE(e.song.part(1).count, 1);
  QVERIFY(e.prompts->warnings.isEmpty());
  QCOMPARE(e.frame->windowTitle(), QString("PiporaPad"));
}

void tst_main_window::damagedFileKeepsSong() {
  Editor e;
  e.start();
  QTemporaryDir dir;
  const QString good = dir.filePath("good.smd");
  WriteBytes(good, ThreeNoteSong());
  e.prompts->openNames << good;
  e.frame->action("OpenItem")->trigger();
  // A tie before the first note of a part is damage.
  const QString bad = dir.filePath("bad.smd");
  WriteBytes(bad, SmdBytes("zz", {"\"6"}));
  e.prompts->openNames << bad;
  e.frame->action("OpenItem")->trigger();
  QCOMPARE(e.prompts->warnings.size(), 1);
  QVERIFY(e.prompts->warnings.first().startsWith(bad + "\n"));
  QVERIFY(e.prompts->warnings.first().endsWith("\nファイルの読み込みに失敗しました。"));
  QCOMPARE(e.song.part(1).count, 3);
  QCOMPARE(e.frame->propertyWindow()->titleBox()->text(), QString("abc"));
  QCOMPARE(e.frame->windowTitle(), good + " - PiporaPad");
  // A file that does not exist: the same message, the song stays.
  e.prompts->openNames << dir.filePath("missing.smd");
  e.frame->action("OpenItem")->trigger();
  QCOMPARE(e.prompts->warnings.size(), 2);
  QCOMPARE(e.song.part(1).count, 3);
}

void tst_main_window::openAfterRefusedSaveKeepsSong() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 100, "4"); // cannot be saved
  e.session.setDirty(true);
  QTemporaryDir dir;
  const QString other = dir.filePath("other.smd");
  WriteBytes(other, ThreeNoteSong());
  e.prompts->answers << Answer::Yes;
  e.prompts->openNames << other;
  e.frame->action("OpenItem")->trigger();
  QCOMPARE(e.prompts->questionsAsked, QStringList({kChanged}));
  QCOMPARE(e.prompts->warnings.size(), 1);
  QCOMPARE(e.song.part(1).notes[0].noteNumber, 100);
  QVERIFY(e.song.dirty);
}

// --- Save ------------------------------------------------------------------------------

void tst_main_window::saveAsWritesFileAndCaption() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  e.frame->propertyWindow()->titleBox()->setText("abc");
  e.session.setDirty(true);
  QTemporaryDir dir;
  const QString path = dir.filePath("new.smd");
  e.prompts->saveNames << path;
  e.frame->action("SaveAsItem")->trigger();
  QVERIFY(e.prompts->warnings.isEmpty());
  QCOMPARE(ReadBytes(path), QByteArray("abc\x1b$D!$6\x0f\r\n"));
  QCOMPARE(e.frame->windowTitle(), path + " - PiporaPad");
  QCOMPARE(QString::fromStdString(e.song.fileName), path);
  QVERIFY(!e.song.dirty);
}

void tst_main_window::saveAsExistingAsksBeforeOverwrite() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  QTemporaryDir dir;
  const QString path = dir.filePath("exists.smd");
  WriteBytes(path, "old");
  e.prompts->saveNames << path;
  e.prompts->answers << Answer::No;
  e.frame->action("SaveAsItem")->trigger();
  QCOMPARE(e.prompts->questionsAsked, QStringList({kOverwrite}));
  QCOMPARE(ReadBytes(path), QByteArray("old"));
  QVERIFY(e.song.fileName.empty());
  e.prompts->saveNames << path;
  e.prompts->answers << Answer::Yes;
  e.frame->action("SaveAsItem")->trigger();
  QCOMPARE(ReadBytes(path), QByteArray("\x1b$D!$6\x0f\r\n"));
}

void tst_main_window::saveAsAddsExtensionWhenNoneGiven_data() {
  QTest::addColumn<QString>("item");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("written");
  QTest::newRow("no extension") << "SaveAsItem"
                                << "song"
                                << "song.smd";
  QTest::newRow("a bare dot") << "SaveAsItem"
                              << "song."
                              << "song.smd";
  QTest::newRow("smz kept") << "SaveAsItem"
                            << "song.smz"
                            << "song.smz";
  QTest::newRow("other kept") << "SaveAsItem"
                              << "song.txt"
                              << "song.txt";
  QTest::newRow("MIDI, no extension") << "SaveAsMidiItem"
                                      << "song"
                                      << "song.mid";
  QTest::newRow("MusicXML, no extension") << "MusicXmlExportItem"
                                          << "song"
                                          << "song.musicxml";
}

void tst_main_window::saveAsAddsExtensionWhenNoneGiven() {
  QFETCH(QString, item);
  QFETCH(QString, typed);
  QFETCH(QString, written);
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  QTemporaryDir dir;
  WriteBytes(dir.filePath(written), "old"); // the overwrite question is about the real name
  e.prompts->saveNames << dir.filePath(typed);
  e.prompts->answers << Answer::Yes;
  e.frame->action(item)->trigger();
  QCOMPARE(e.prompts->questionsAsked, QStringList({kOverwrite}));
  QVERIFY(ReadBytes(dir.filePath(written)) != "old");
  QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({written}));
}

void tst_main_window::saveWithoutNameRunsSaveAs() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  e.frame->action("SaveItem")->trigger(); // the dialog is cancelled
  QCOMPARE(e.prompts->saveRequests.size(), 1);
  QCOMPARE(e.prompts->saveRequests.first().selectedFilter, 1);
  QVERIFY(e.song.fileName.empty());
}

void tst_main_window::refusedSavePutsSourceCursorOnNote() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  AppendNote(e.song, 2, 60, "4");
  AppendNote(e.song, 2, 62, "4");
  AppendNote(e.song, 2, 100, "8"); // element 2 of part 2 is out of range
  AppendNote(e.song, 2, 60, "4");
  RecalcTimes(e.song);
  QTemporaryDir dir;
  e.song.fileName = dir.filePath("x.smd").toStdString();
  e.session.setDirty(true);
  e.frame->action("SaveItem")->trigger();
  QCOMPARE(e.prompts->warnings, QStringList({"この音符は扱えません。保存に失敗しました。"}));
  QCOMPARE(e.song.currentPart, 2);
  QCOMPARE(e.frame->sourceEditor()->noteList()->currentRow(), 2);
  QCOMPARE(e.frame->sourceEditor()->partLabel()->text(), QString("CH2[3/4]"));
  QVERIFY(e.frame->childWindows().isChildVisible(e.frame->sourceEditor()));
  QVERIFY(!QFile::exists(dir.filePath("x.smd")));
  QVERIFY(e.song.dirty);
}

void tst_main_window::failedWriteShowsSavingMessage() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  QTemporaryDir dir;
  // The parent of the target is a file: nothing can be written there.
  const QString blocker = dir.filePath("blocker");
  WriteBytes(blocker, "keep");
  const QString path = blocker + "/song.smd";
  e.song.fileName = path.toStdString();
  e.session.setDirty(true);
  // A song that never had a file of its own is saved as: the dialog proposes its name.
  e.prompts->saveNames << path;
  e.frame->action("SaveItem")->trigger();
  QCOMPARE(e.prompts->warnings.size(), 1);
  QVERIFY(e.prompts->warnings.first().startsWith(path + "\n"));
  QVERIFY(e.prompts->warnings.first().endsWith("\nファイルの保存に失敗しました。"));
  QCOMPARE(ReadBytes(blocker), QByteArray("keep"));
  QVERIFY(e.song.dirty);
}

void tst_main_window::newAsksAndClears() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  e.frame->propertyWindow()->titleBox()->setText("title");
  e.session.setDirty(true);
  e.prompts->answers << Answer::No;
  e.frame->action("NewItem")->trigger();
  QCOMPARE(e.prompts->questionsAsked, QStringList({kChanged}));
  QCOMPARE(e.song.part(1).count, 0);
  QCOMPARE(e.frame->propertyWindow()->titleBox()->text(), QString());
  QVERIFY(e.frame->propertyWindow()->tempoButtons()[1]->isChecked());
  QCOMPARE(e.frame->windowTitle(), QString("PiporaPad"));
  QVERIFY(!e.song.dirty);
  QCOMPARE(e.frame->sourceEditor()->noteList()->count(), 1);
}

void tst_main_window::newKeepsSongWhenSaveRefused() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 100, "4");
  e.session.setDirty(true);
  e.prompts->answers << Answer::Yes;
  e.frame->action("NewItem")->trigger();
  QCOMPARE(e.prompts->warnings.size(), 1);
  QCOMPARE(e.song.part(1).count, 1);
  QVERIFY(e.song.dirty);
}

void tst_main_window::cancelAtChangedQuestionKeepsSong_data() {
  QTest::addColumn<QString>("item");
  QTest::newRow("new") << "NewItem";
  QTest::newRow("open") << "OpenItem";
  QTest::newRow("MIDI import") << "OpenMidiItem";
}

// Cancel (Escape, closing the box) stops the command: no dialog, the song stays unsaved.
void tst_main_window::cancelAtChangedQuestionKeepsSong() {
  QFETCH(QString, item);
  Editor e;
  e.start();
  AppendNote(e.song, 1, 67, "8");
  e.session.setDirty(true);
  e.prompts->answers << Answer::Cancel;
  e.frame->action(item)->trigger();
  QCOMPARE(e.prompts->questionsAsked, QStringList({kChanged}));
  QVERIFY(e.prompts->openRequests.isEmpty());
  QCOMPARE(e.song.part(1).count, 1);
  QVERIFY(e.song.dirty);
}

// --- start-up and close ----------------------------------------------------------------

void tst_main_window::commandLineQuotedSmzOpensWithoutDialog() {
  QTemporaryDir dir;
  const QString path = dir.filePath("TUNE.SMZ");
  WriteBytes(path, ThreeNoteSong());
  Editor e;
  e.start("\"" + path + "\"");
  QVERIFY(e.prompts->openRequests.isEmpty());
  QCOMPARE(e.song.part(1).count, 3);
  QCOMPARE(e.frame->windowTitle(), path + " - PiporaPad");
}

// The settings are written only when the editor really ends, so that a cancelled close
// cannot overwrite what another editor wrote meanwhile.
void tst_main_window::closeCancelledWritesNoSettings() {
  Editor e;
  e.start();
  e.session.setDirty(true);
  e.prompts->answers << Answer::Cancel;
  QVERIFY(!QFile::exists(HomeFile("pipora.ini")));
  QVERIFY(!e.frame->close());
  QVERIFY(e.frame->isVisible());
  QCOMPARE(e.prompts->questionsAsked, QStringList({kChanged}));
  QVERIFY(!QFile::exists(HomeFile("pipora.ini")));
  QVERIFY(e.song.dirty);
}

void tst_main_window::closeWhilePlayingDoesNothing() {
  Editor e;
  e.start();
  InsertNote(e.song, 1, 0, 60, "4", "C");
  e.session.noteListsChanged();
  e.session.player().playAll();
  QVERIFY(e.session.isPlaying());
  QVERIFY(!e.frame->close());
  QVERIFY(e.frame->isVisible());
  QVERIFY(!QFile::exists(HomeFile("pipora.ini")));
  QVERIFY(e.prompts->questionsAsked.isEmpty());
  e.session.player().stop();
}

void tst_main_window::exitWithNoDiscardsAndCloses() {
  Editor e;
  e.start();
  e.session.setDirty(true);
  const QString snapshots = e.session.history().folder();
  QVERIFY(QDir(snapshots).exists());
  e.prompts->answers << Answer::No;
  e.frame->action("ExitItem")->trigger();
  QCOMPARE(e.prompts->questionsAsked.size(), 1); // asked once, not again by the close
  QVERIFY(!e.frame->isVisible());
  QVERIFY(!QDir(snapshots).exists()); // the session shut down: snapshots deleted
  QVERIFY(QFile::exists(HomeFile("pipora.ini")));
}

// --- View menu -------------------------------------------------------------------------

void tst_main_window::closedChildHidesAndViewMenuUnchecks() {
  Editor e;
  e.start();
  QMdiSubWindow *sub = e.frame->childWindows().subWindowOf(e.frame->sourceEditor());
  QVERIFY(!sub->close());
  QVERIFY(sub->isHidden());
  emit e.frame->menu("ViewMenu")->aboutToShow();
  QAction *item = e.frame->action("ShowSrcItem");
  QCOMPARE(item->text(), QString("ソースエディター(&U)"));
  QVERIFY(!item->isChecked());
  QVERIFY(e.frame->action("ShowScrItem")->isChecked());
}

void tst_main_window::viewItemTogglesWindow() {
  Editor e;
  e.start();
  e.frame->action("ShowPropertyItem")->trigger();
  QVERIFY(!e.frame->childWindows().isChildVisible(e.frame->propertyWindow()));
  QVERIFY(!e.frame->action("ShowPropertyItem")->isChecked());
  e.frame->action("ShowPropertyItem")->trigger();
  QVERIFY(e.frame->childWindows().isChildVisible(e.frame->propertyWindow()));
  QVERIFY(e.frame->action("ShowPropertyItem")->isChecked());
}

void tst_main_window::timeItemsSwitchMode() {
  Editor e;
  e.start();
  QSignalSpy shown(&e.session, &EditorSession::positionTextChanged);
  AppendNote(e.song, 1, 60, "2");
  AppendNote(e.song, 1, 62, "4");
  e.frame->showPartInList(1);
  e.frame->sourceEditor()->noteList()->setCurrentRow(1); // tick 960
  // The relisting activates the source editor; the focus goes back to the score after it.
  e.frame->childWindows().focusActiveWindow(WindowId::ScoreEditor);
  QCOMPARE(e.settings.activeWindow, std::optional(WindowId::ScoreEditor));
  shown.clear();
  e.frame->action("tickItem")->trigger();
  QCOMPARE(e.settings.activeWindow, std::optional(WindowId::ScoreEditor));
  QCOMPARE(e.frame->childWindows().mdiArea()->activeSubWindow()->widget(),
           static_cast<QWidget *>(e.frame->scoreEditor()));
  QVERIFY(e.settings.isTick);
  QVERIFY(e.frame->action("tickItem")->isChecked());
  QVERIFY(!e.frame->action("minuteItem")->isChecked());
  QCOMPARE(shown.last().first().toString(), QString("01:3:00"));
  e.frame->action("minuteItem")->trigger();
  QVERIFY(!e.settings.isTick);
  // 960 ticks at 121.7 quarters a minute: 0.986 s, minutes written with a sign blank.
  QCOMPARE(shown.last().first().toString(), QString(" 0:00:98"));
}

// --- MIDI ----------------------------------------------------------------------------

namespace {

// Format 0, 480 ticks a quarter: C4 from 0 to 480, E4 from 960 to 1440 on channel 1.
QByteArray TwoNoteMidi() {
  const QByteArray track = QByteArray::fromHex("00903C64"
                                               "8360903C00"
                                               "8360904064"
                                               "8360904000"
                                               "00FF2F00");
  QByteArray out = QByteArray::fromHex("4D546864000000060000000101E0") + "MTrk";
  const quint32 n = static_cast<quint32>(track.size());
  for (int shift : {24, 16, 8, 0})
    out += static_cast<char>((n >> shift) & 0xFF);
  return out + track;
}

} // namespace

void tst_main_window::openMidiImportsAndNamesSmd() {
  Editor e;
  e.start();
  e.settings.LastFileName = "/music/old.smd";
  QTemporaryDir dir;
  const QString path = dir.filePath("tune.mid");
  WriteBytes(path, TwoNoteMidi());
  e.prompts->openNames << path;
  e.frame->action("OpenMidiItem")->trigger();
  QCOMPARE(e.prompts->warnings, QStringList());
  const FileDialogRequest &r = e.prompts->openRequests.first();
  QCOMPARE(r.filters.first(), QString("標準MIDIファイル（*.mid）|*.mid"));
  QCOMPARE(r.initialName, QString("/music/old.mid"));
  const QString smd = dir.filePath("tune.smd");
  QCOMPARE(QString::fromStdString(e.song.fileName), smd);
  QCOMPARE(e.settings.LastFileName, smd);
  QCOMPARE(e.frame->windowTitle(), smd + " - PiporaPad");
  QCOMPARE(e.song.part(1).count, 3); // C4, a quarter rest, E4
  QCOMPARE(e.song.part(1).notes[0].noteNumber, 60);
  QCOMPARE(e.song.part(1).notes[1].pitch, std::string("R"));
  QCOMPARE(e.song.part(1).notes[2].noteNumber, 64);
  QVERIFY(!e.song.dirty);
}

// An imported song has no SMD file of its own yet: the first Save is a Save As with the name
// the import gave proposed, an existing file of that name replaced only when the user says so,
// and from then on Save writes that file without asking.
void tst_main_window::saveAfterImportRunsSaveAsFirst() {
  Editor e;
  e.start();
  QTemporaryDir dir;
  WriteBytes(dir.filePath("tune.mid"), TwoNoteMidi());
  const QString smd = dir.filePath("tune.smd");
  WriteBytes(smd, "keep me");
  e.prompts->openNames << dir.filePath("tune.mid");
  e.frame->action("OpenMidiItem")->trigger();
  e.frame->action("SaveItem")->trigger(); // the dialog is cancelled
  QCOMPARE(e.prompts->saveRequests.size(), 1);
  QCOMPARE(e.prompts->saveRequests.first().initialName, smd);
  QCOMPARE(e.prompts->saveRequests.first().selectedFilter, 1);
  QCOMPARE(ReadBytes(smd), QByteArray("keep me"));
  e.prompts->saveNames << smd;
  e.frame->action("SaveItem")->trigger(); // the overwrite question answered No
  QCOMPARE(e.prompts->questionsAsked, QStringList({kOverwrite}));
  QCOMPARE(ReadBytes(smd), QByteArray("keep me"));
  e.prompts->saveNames << smd;
  e.prompts->answers << Answer::Yes;
  e.frame->action("SaveItem")->trigger();
  QVERIFY(ReadBytes(smd).startsWith("\x1b$D"));
  QVERIFY(!e.song.dirty);
  e.frame->action("SaveItem")->trigger();
  QCOMPARE(e.prompts->saveRequests.size(), 3);
  QCOMPARE(e.prompts->questionsAsked.size(), 2);
}

// The same for a MIDI export beside the song over a file it was not exported to, the MIDI
// file it was imported from included: No keeps the original.
void tst_main_window::exportAsksBeforeReplacingAnUnrelatedMidi() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  QTemporaryDir dir;
  e.session.setPath(dir.filePath("song.smd"));
  const QString mid = dir.filePath("song.mid");
  WriteBytes(mid, "keep me");
  const QString question = QStringLiteral("song.mid は既に存在します。上書きしますか？");
  e.frame->action("SaveMidiItem")->trigger();
  QCOMPARE(e.prompts->questionsAsked, QStringList({question}));
  QCOMPARE(ReadBytes(mid), QByteArray("keep me"));
  e.prompts->answers << Answer::Yes;
  e.frame->action("SaveMidiItem")->trigger();
  QVERIFY(ReadBytes(mid).startsWith("MThd"));
  e.frame->action("SaveMidiItem")->trigger();
  QCOMPARE(e.prompts->questionsAsked.size(), 2);

  WriteBytes(dir.filePath("tune.mid"), TwoNoteMidi());
  e.session.setDirty(false);
  e.prompts->openNames << dir.filePath("tune.mid");
  e.frame->action("OpenMidiItem")->trigger();
  const QString imported = QStringLiteral("tune.mid は既に存在します。上書きしますか？");
  e.frame->action("SaveMidiItem")->trigger();
  QCOMPARE(e.prompts->questionsAsked.size(), 3);
  QCOMPARE(e.prompts->questionsAsked.last(), imported);
  QCOMPARE(ReadBytes(dir.filePath("tune.mid")), TwoNoteMidi());
  e.prompts->answers << Answer::Yes;
  e.frame->action("SaveMidiItem")->trigger();
  QVERIFY(ReadBytes(dir.filePath("tune.mid")) != TwoNoteMidi());
  e.frame->action("SaveMidiItem")->trigger();
  QCOMPARE(e.prompts->questionsAsked.size(), 4);
}

void tst_main_window::openMidiUnreadableKeepsSong() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 67, "8");
  QTemporaryDir dir;
  const QString path = dir.filePath("missing.mid");
  e.prompts->openNames << path;
  e.frame->action("OpenMidiItem")->trigger();
  QCOMPARE(e.prompts->warnings.size(), 1);
  QVERIFY(e.prompts->warnings.first().startsWith(path + "\n"));
  QVERIFY(e.prompts->warnings.first().endsWith("\nファイルの読み込みに失敗しました。"));
  QCOMPARE(e.song.part(1).count, 1);
  QCOMPARE(e.song.part(1).notes[0].noteNumber, 67);
}

namespace {

const QByteArray kTwoNoteScore =
    "<?xml version=\"1.0\"?><score-partwise><work><work-title>Tune</work-title></work>"
    "<part-list><score-part id=\"P1\"/></part-list><part id=\"P1\"><measure>"
    "<attributes><divisions>1</divisions></attributes>"
    "<note><pitch><step>C</step><octave>4</octave></pitch><duration>1</duration></note>"
    "<note><rest/><duration>1</duration></note>"
    "<note><pitch><step>E</step><octave>4</octave></pitch><duration>1</duration></note>"
    "</measure></part></score-partwise>";

} // namespace

// Open takes a score by its content under any filter, imports it as a MIDI file is, and the
// export writes the song back as a score.
void tst_main_window::openMusicXmlImportsAndExportWritesAScore() {
  Editor e;
  e.start();
  QTemporaryDir dir;
  const QString path = dir.filePath("tune.xml");
  WriteBytes(path, kTwoNoteScore);
  e.prompts->openNames << path;
  e.frame->action("OpenItem")->trigger();
  QCOMPARE(e.prompts->warnings, QStringList());
  QVERIFY(e.prompts->openRequests.first().filters.contains(
      "MusicXMLファイル（*.musicxml;*.xml;*.mxl）|*.musicxml;*.xml;*.mxl"));
  QCOMPARE(QString::fromStdString(e.song.fileName), dir.filePath("tune.smd"));
  QCOMPARE(e.song.title, std::string("Tune"));
  QCOMPARE(e.song.part(1).count, 3); // C4, a quarter rest, E4
  QCOMPARE(e.song.part(1).notes[2].noteNumber, 64);
  QVERIFY(!e.song.dirty);

  const QString out = dir.filePath("back.mxl");
  e.prompts->saveNames << out;
  e.frame->action("MusicXmlExportItem")->trigger();
  QCOMPARE(e.prompts->warnings, QStringList());
  QVERIFY(ReadBytes(out).startsWith("PK\x03\x04"));
}

void tst_main_window::malformedMusicXmlIsRefusedAndTheSongStays() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 67, "8");
  QTemporaryDir dir;
  const QString path = dir.filePath("broken.musicxml");
  WriteBytes(path, "<?xml version=\"1.0\"?>\n<score-partwise>\n<part id=\"P1\"><measure>\n");
  emit e.frame->scoreEditor()->fileDropped(path); // dropped on the score editor
  QCOMPARE(e.prompts->warnings.size(), 1);
  QVERIFY2(e.prompts->warnings.first().contains("4行目"), qPrintable(e.prompts->warnings.first()));
  QVERIFY(e.prompts->warnings.first().endsWith("\nファイルの読み込みに失敗しました。"));
  QCOMPARE(e.song.part(1).count, 1);
  QCOMPARE(e.song.part(1).notes[0].noteNumber, 67);
}

void tst_main_window::saveMidiWritesBesideSmd() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  QTemporaryDir dir;
  e.song.fileName = dir.filePath("song.smd").toStdString();
  e.session.setDirty(true);
  e.frame->action("SaveMidiItem")->trigger();
  QCOMPARE(e.prompts->warnings, QStringList());
  const QByteArray mid = ReadBytes(dir.filePath("song.mid"));
  QVERIFY(mid.startsWith(QByteArray::fromHex("4D546864000000060000000101E0")));
  QVERIFY(mid.endsWith(QByteArray::fromHex("14FF2F00")));
  QVERIFY(e.song.dirty); // exporting does not save the song
  QVERIFY(e.prompts->saveRequests.isEmpty());
}

void tst_main_window::scoreExportWritesVectorPages() {
  Editor e;
  e.start();
  for (int i = 0; i < 64; ++i)
    AppendNote(e.song, 1, 60 + i % 12, "8");
  BuildScoreList(e.song);
  QTemporaryDir dir;
  // A name without an extension gets the format's.
  e.prompts->saveNames << dir.filePath("score") << dir.filePath("score.svg");
  e.frame->action("ScorePdfItem")->trigger();
  e.frame->action("ScoreSvgItem")->trigger();
  QCOMPARE(e.prompts->warnings, QStringList());
  const QByteArray pdf = ReadBytes(dir.filePath("score.pdf"));
  QVERIFY(pdf.startsWith("%PDF-"));
  QVERIFY(!pdf.contains("/Subtype /Image")); // outlines, not a picture of them
  const QByteArray svg = ReadBytes(dir.filePath("score.svg"));
  QVERIFY(svg.contains("<svg") && svg.contains("<path"));
  QVERIFY(!svg.contains("<image"));
}

void tst_main_window::saveMidiAsAsksBeforeOverwrite() {
  Editor e;
  e.start();
  AppendNote(e.song, 1, 60, "4");
  QTemporaryDir dir;
  const QString path = dir.filePath("out.mid");
  WriteBytes(path, "old");
  e.prompts->saveNames << path;
  e.prompts->answers << Answer::No;
  e.frame->action("SaveAsMidiItem")->trigger();
  QCOMPARE(e.prompts->questionsAsked, QStringList({kOverwrite}));
  QCOMPARE(ReadBytes(path), QByteArray("old"));
  QCOMPARE(e.prompts->saveRequests.first().filters.first(),
           QString("標準MIDIファイル（*.mid）|*.mid"));
  e.prompts->saveNames << path;
  e.prompts->answers << Answer::Yes;
  e.frame->action("SaveAsMidiItem")->trigger();
  QVERIFY(ReadBytes(path).startsWith("MThd"));
  QCOMPARE(QString::fromStdString(e.song.fileName), dir.filePath("out.smd"));
}

void tst_main_window::doubleClickOnBackgroundDumpsEvents() {
  Editor e;
  e.start();
  AppendNote(e.song, 2, 60, "4");
  QWidget *background = e.frame->childWindows().mdiArea()->viewport();
  const QPoint empty(background->width() - 10, background->height() - 10);
  QVERIFY(!background->childAt(empty));
  QTest::mouseDClick(background, Qt::LeftButton, Qt::NoModifier, empty);
  QCOMPARE(e.prompts->messages, QStringList({"pipora.logにイベントリストを出力しました。"}));
  const QByteArray log = ReadBytes(HomeFile("pipora.log"));
  QVERIFY(log.startsWith("0\t2\t60\t100"));
  QVERIFY(log.contains("460\t2\t60\t0"));
  // A double click inside a child window is not a dump.
  QTest::mouseDClick(e.frame->propertyWindow(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  QCOMPARE(e.prompts->messages.size(), 1);
}

void tst_main_window::cascadePutsActiveEditorLast() {
  Editor e;
  e.start();
  e.frame->showPartInList(1); // the source editor's list has the focus
  QVERIFY(e.frame->editsGoToSourceList());
  e.frame->action("CascadeItem")->trigger();
  const QSize area = e.frame->childWindows().mdiArea()->viewport()->size();
  QMdiSubWindow *panel = e.frame->childWindows().subWindowOf(e.frame->playerPanel());
  QMdiSubWindow *props = e.frame->childWindows().subWindowOf(e.frame->propertyWindow());
  QMdiSubWindow *score = e.frame->childWindows().subWindowOf(e.frame->scoreEditor());
  QMdiSubWindow *source = e.frame->childWindows().subWindowOf(e.frame->sourceEditor());
  const int step = panel->height() - e.frame->playerPanel()->height();
  QVERIFY(step > 0);
  QCOMPARE(panel->pos(), QPoint(0, 0));
  QCOMPARE(props->pos(), QPoint(step, step));
  QCOMPARE(score->pos(), QPoint(2 * step, 2 * step));
  QCOMPARE(source->pos(), QPoint(3 * step, 3 * step));
  const QSize editor(qRound(area.width() * 0.8), qRound(area.height() * 0.8));
  QCOMPARE(score->size(), editor);
  QCOMPARE(source->size(), editor);
  QCOMPARE(panel->size(), editor);
  QCOMPARE(props->width(), 380); // the property window only moves
}

void tst_main_window::fontItemSetsSourceFont() {
  Editor e;
  e.start();
  QFont font("IPAGothic");
  font.setPointSize(14);
  font.setBold(true);
  e.prompts->fontAnswer = std::make_unique<QFont>(font);
  e.frame->action("FontItem")->trigger();
  QCOMPARE(e.settings.sourceFont.size, 14.0);
  QVERIFY(e.settings.sourceFont.bold);
  QVERIFY(!e.settings.sourceFont.italic);
  QCOMPARE(e.frame->sourceEditor()->noteList()->font().pointSize(), 14);
  QVERIFY(e.frame->sourceEditor()->lengthBox()->font().bold());
  // Cancelled: nothing changes.
  e.prompts->fontAnswer.reset();
  e.frame->action("FontItem")->trigger();
  QCOMPARE(e.settings.sourceFont.size, 14.0);
}

// The stored "ＭＳ Ｐゴシック" is no installed family: the dialog opens on the family the list
// is drawn with, and OK without a change keeps the font.
void tst_main_window::fontDialogOpensOnTheInstalledFamily() {
  Editor e;
  e.start();
  QCOMPARE(e.settings.sourceFont.name, QString("ＭＳ Ｐゴシック"));
  const QFont before = e.frame->sourceEditor()->noteList()->font();
  const QString drawnWith = QFontInfo(before).family();
  e.prompts->fontKept = true;
  e.frame->action("FontItem")->trigger();
  QCOMPARE(e.prompts->fontPresets.size(), 1);
  const QFont preset = e.prompts->fontPresets.first();
  QCOMPARE(preset.family(), drawnWith);
  QVERIFY2(QFontDatabase::families().contains(preset.family()), qPrintable(preset.family()));
  QCOMPARE(preset.pointSizeF(), before.pointSizeF());
  QCOMPARE(preset.bold(), before.bold());
  QCOMPARE(preset.italic(), before.italic());
  // The real dialog selects that family in its list.
  QFontDialog dialog(preset);
  QCOMPARE(dialog.currentFont().family(), drawnWith);
  QVERIFY(!dialog.currentFont().bold());
  QVERIFY(!dialog.currentFont().italic());
  // OK without a change: the same font, the stored name untouched.
  QCOMPARE(e.settings.sourceFont.name, QString("ＭＳ Ｐゴシック"));
  QCOMPARE(QFontInfo(e.frame->sourceEditor()->noteList()->font()).family(), drawnWith);
  QCOMPARE(e.frame->sourceEditor()->noteList()->font().pointSizeF(), before.pointSizeF());
  QVERIFY(!e.frame->sourceEditor()->noteList()->font().bold());
  QVERIFY(!e.frame->sourceEditor()->noteList()->font().italic());
}

// --- window position over restarts -----------------------------------------------------

// Starting and closing without touching anything leaves the frame where it was, whether the
// platform adds window frames (the default offscreen platform: 2 px) or not
// (tst_main_window_frameless).
void tst_main_window::positionIsAFixedPointOverRestarts() {
  const QRect placed(287, 126, 900, 640);
  {
    Editor e;
    e.start();
    e.frame->setGeometry(placed);
    QVERIFY(e.frame->close());
  }
  QList<QRect> seen;
  QList<QPair<QString, QString>> stored;
  for (int cycle = 0; cycle < 3; ++cycle) {
    {
      Editor e;
      e.start();
      QVERIFY(QTest::qWaitForWindowExposed(e.frame.get()));
      seen << e.frame->geometry();
      QVERIFY(e.frame->close());
    }
    const Result<IniFile> ini = IniFile::Load(HomeFile("pipora.ini"));
    QVERIFY(ini.ok());
    stored << qMakePair(ini.value().value("pipora", "main.Left").value_or(QString()),
                        ini.value().value("pipora", "main.Top").value_or(QString()));
  }
  for (int cycle = 0; cycle < 3; ++cycle) {
    QCOMPARE(seen[cycle], placed);
    QCOMPARE(stored[cycle], qMakePair(QString("287"), QString("126")));
  }
}

// --- tile ------------------------------------------------------------------------------

void tst_main_window::tileWithoutPropertySharesHeight() {
  const int a = 1, b = 2, c = 3;
  // The panel, lowest, keeps its size at the bottom right; the editors share the rest.
  std::vector<ArrangedWindow> in = {
      {ArrangedKind::Editor, QRect(5, 300, 100, 100), &b, {}},
      {ArrangedKind::Editor, QRect(50, 10, 100, 100), &a, {}},
      {ArrangedKind::Panel, QRect(0, 500, 50, 50), &c, QSize(100, 101)}};
  const auto out = TileLayout(in, QSize(900, 601));
  QCOMPARE(out.size(), std::size_t(3));
  QCOMPARE(out[0].id, static_cast<const void *>(&a));
  QCOMPARE(out[0].geometry, QRect(0, 0, 900, 250));
  QCOMPARE(out[1].geometry, QRect(0, 250, 900, 250));
  QCOMPARE(out[2].geometry, QRect(800, 500, 100, 101));
}

void tst_main_window::tileWithPropertyKeepsItsBand() {
  const int s = 1, p = 2, panel = 3;
  // Property below the editor: the band goes to the bottom; both keep their natural sizes
  // however large they had been made.
  std::vector<ArrangedWindow> in = {
      {ArrangedKind::Editor, QRect(0, 0, 100, 100), &s, {}},
      {ArrangedKind::Property, QRect(40, 300, 600, 400), &p, QSize(380, 200)},
      {ArrangedKind::Panel, QRect(0, 400, 620, 300), &panel, QSize(100, 100)}};
  const auto out = TileLayout(in, QSize(1000, 700));
  QCOMPARE(out[0].geometry, QRect(0, 0, 1000, 500));
  QCOMPARE(out[1].geometry, QRect(0, 500, 380, 200));
  QCOMPARE(out[2].geometry, QRect(900, 500, 100, 100));
  // Property on top.
  in[1].geometry.moveTop(0);
  in[0].geometry.moveTop(50);
  const auto top = TileLayout(in, QSize(1000, 700));
  QCOMPARE(top[0].id, static_cast<const void *>(&p));
  QCOMPARE(top[0].geometry, QRect(0, 0, 380, 200));
  QCOMPARE(top[1].geometry, QRect(0, 200, 1000, 500));
  // On a low frame the band takes at most half the height.
  const auto low = TileLayout(in, QSize(1000, 300));
  QCOMPARE(low[0].geometry, QRect(0, 0, 380, 150));
  QCOMPARE(low[1].geometry, QRect(0, 150, 1000, 150));
}

void tst_main_window::fitInsideKeepsCloseButtonInReach_data() {
  QTest::addColumn<QRect>("window");
  QTest::addColumn<QRect>("fitted");
  QTest::addRow("inside stays") << QRect(10, 10, 300, 200) << QRect(10, 10, 300, 200);
  QTest::addRow("below the edge shrinks in place")
      << QRect(0, 300, 300, 200) << QRect(0, 300, 300, 100);
  QTest::addRow("too little room left moves up")
      << QRect(0, 380, 300, 200) << QRect(0, 300, 300, 100);
  QTest::addRow("taller than the area shrinks") << QRect(0, 0, 800, 600) << QRect(0, 0, 800, 400);
  QTest::addRow("past the right edge shrinks, then moves left")
      << QRect(700, 0, 300, 100) << QRect(600, 0, 200, 100);
  QTest::addRow("above the top comes down") << QRect(0, -50, 100, 100) << QRect(0, 0, 100, 100);
}

void tst_main_window::fitInsideKeepsCloseButtonInReach() {
  QFETCH(QRect, window);
  QFETCH(QRect, fitted);
  QCOMPARE(FitInside(window, QSize(800, 400), QSize(200, 100)), fitted);
}

void tst_main_window::problemListKeepsWindowsInView() {
  Editor e;
  e.start();
  e.frame->action("HorizonItem")->trigger();
  QMdiSubWindow *score = e.frame->childWindows().subWindowOf(e.frame->scoreEditor());
  QMdiSubWindow *source = e.frame->childWindows().subWindowOf(e.frame->sourceEditor());
  const QRect scoreBefore = score->geometry();
  const QRect sourceBefore = source->geometry();
  e.frame->showProblems();
  QTRY_VERIFY(e.frame->childWindows().mdiArea()->viewport()->height() < sourceBefore.bottom());
  const QRect area = e.frame->childWindows().mdiArea()->viewport()->rect();
  QTRY_VERIFY(area.contains(source->geometry()));
  QVERIFY(area.contains(score->geometry()));
  e.frame->problemList()->hide();
  QTRY_COMPARE(source->geometry(), sourceBefore);
  QCOMPARE(score->geometry(), scoreBefore);
}

void tst_main_window::tileSkipsWhenMaximised() {
  Editor e;
  e.start();
  e.settings.isGrid = true;
  QMdiSubWindow *score = e.frame->childWindows().subWindowOf(e.frame->scoreEditor());
  QMdiSubWindow *source = e.frame->childWindows().subWindowOf(e.frame->sourceEditor());
  score->showMaximized();
  const QRect before = source->geometry();
  e.frame->action("HorizonItem")->trigger();
  QVERIFY(!e.settings.isGrid);
  QCOMPARE(source->geometry(), before);
  score->showNormal();
  e.frame->action("HorizonItem")->trigger();
  QCOMPARE(source->geometry().left(), 0);
  QCOMPARE(score->geometry().left(), 0);
  QVERIFY(!score->geometry().intersects(source->geometry()));
}

void tst_main_window::gridRounding() {
  QCOMPARE(RoundToStep(23, 16), 16);
  QCOMPARE(RoundToStep(24, 16), 32); // 1.5 steps: halves to even
  QCOMPARE(RoundToStep(8, 16), 0);   // 0.5 steps: halves to even
  QCOMPARE(RoundToStep(41, 16), 48);
  QCOMPARE(RoundToStep(41, 1), 41);
}

// A file named on the command line or chosen from the recent files is read as what its content
// and its name say, through the one door for song files: SMD text under any name, a MIDI file
// or a MusicXML score imported; a file of no kind the editor reads, or a score that is none,
// is refused with the reason, the song kept.
void tst_main_window::handedOverFileOpensAsItsKind_data() {
  QTest::addColumn<bool>("recent");
  QTest::addColumn<QString>("name");
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<int>("notes");      // part 1's elements after it
  QTest::addColumn<QString>("reason"); // the refusal's reason; empty: opened
  QTest::newRow("SMD named without an extension") << false << "song" << ThreeNoteSong() << 3 << "";
  QTest::newRow("SMD named .midi") << false << "a.midi" << ThreeNoteSong() << 3 << "";
  QTest::newRow("SMD named .txt") << false << "notes.txt" << ThreeNoteSong() << 3 << "";
  QTest::newRow("MIDI named .dat") << false << "tune.dat" << TwoNoteMidi() << 3 << "";
  QTest::newRow("text refused") << false << "notes.txt" << QByteArray("just words\n") << 0
                                << QString::fromUtf8(kNotASongFileMessage.data());
  QTest::newRow("MusicXML named .dat imported") << false << "score.dat" << kTwoNoteScore << 3 << "";
  QTest::newRow("recent MusicXML imported") << true << "score.xml" << kTwoNoteScore << 3 << "";
  QTest::newRow("MusicXML without parts refused")
      << false << "score.xml" << QByteArray("<?xml version=\"1.0\"?>\n<score-partwise/>") << 0
      << "2行目、17列目: MusicXML の楽譜に小節がありません";
  QTest::newRow("recent .midi imported") << true << "tune.midi" << TwoNoteMidi() << 3 << "";
  QTest::newRow("recent SMD named .mid") << true << "old.mid" << ThreeNoteSong() << 3 << "";
}

void tst_main_window::handedOverFileOpensAsItsKind() {
  QFETCH(bool, recent);
  QFETCH(QString, name);
  QFETCH(QByteArray, bytes);
  QFETCH(int, notes);
  QFETCH(QString, reason);
  QTemporaryDir dir;
  const QString path = dir.filePath(name);
  WriteBytes(path, bytes);
  Editor e;
  if (recent) {
    e.start();
    e.settings.recentFiles.add(path);
    emit e.frame->menu("FileMenu")->aboutToShow();
    e.frame->action("RecentFileItem1")->trigger();
  } else {
    e.start(path);
  }
  QVERIFY(e.prompts->openRequests.isEmpty());
  QCOMPARE(e.song.part(1).count, notes);
  if (reason.isEmpty()) {
    QCOMPARE(e.prompts->warnings, QStringList());
    QVERIFY(e.frame->windowTitle().endsWith(" - PiporaPad"));
  } else {
    QCOMPARE(e.prompts->warnings.size(), 1);
    QVERIFY2(e.prompts->warnings.first().contains(reason), qPrintable(e.prompts->warnings.first()));
    QCOMPARE(e.frame->windowTitle(), QString("PiporaPad"));
  }
}

QTEST_MAIN(tst_main_window)
#include "tst_main_window.moc"
