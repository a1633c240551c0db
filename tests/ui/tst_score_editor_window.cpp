// The score editor inside the real frame, on the offscreen platform: what it draws, what
// its keys and zoom buttons do, undo and redo through the Edit menu's items.
#include "score_sample_song.h"

#include "editing/score_geometry.h"
#include "engraving/engraving_layout.h"
#include "engraving/key_signature.h"
#include "engraving/staff_band.h"
#include "model/song.h"
#include "platform/files/program_directory.h"
#include "platform/ui/fonts.h"
#include "playback/player.h"
#include "settings/settings.h"
#include "views/app_context.h"
#include "views/main_window.h"
#include "views/score/score_editor_window.h"
#include "views/score/score_mouse.h"
#include "views/score/score_surface.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QtTest>

#include <memory>

using namespace pipora;

class tst_score_editor_window : public QObject {
  Q_OBJECT

private:
  std::unique_ptr<EditorSession> session_;
  std::unique_ptr<Settings> settings_;
  std::unique_ptr<AppContext> ctx_;
  std::unique_ptr<pipora::MainWindow> frame_;

  ScoreEditorWindow &score() { return *frame_->scoreEditor(); }
  Song &song() { return SongUnderTest(*session_); }
  ScoreHeader &header(int part = 1) { return song().part(part).scoreHeader; }

  void activateScore() {
    frame_->childWindows().focusActiveWindow(WindowId::ScoreEditor);
    QTRY_VERIFY(score().windowActive());
  }
  // Puts a song in place as Open would and shows it in the score editor.
  void load(const Song &song) {
    this->song() = song;
    frame_->refreshViews();
    activateScore();
    score().relayoutScore();
  }
  void key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(score().surface(), static_cast<Qt::Key>(qtKey), modifiers);
  }
  int ink(int x, int y) { return qGray(score().surfaceImage().pixel(x, y)); }
  // The middle of an element's head as the engraved layout puts it, in the surface's pixels.
  QPoint head(int part, int element) {
    EngravingView view;
    view.quarterWidth = score().quarterWidth;
    view.staffDistance = score().staffDistance;
    view.scrollX = score().scrollX;
    view.width = score().surface()->scoreSize().width();
    const EngravingMetrics &m = score().renderer().metrics();
    const int top = PartTop(part, score().staffDistance, score().scrollY);
    for (const EngravedNote &n :
         LayOutPart(song(), part, view, score().renderer().table(), m).notes)
      if (n.index == element)
        return QPointF((n.x + m.headLeft + m.headWidth / 2) * score().surface()->scale(),
                       (top + n.headCentre) * score().surface()->scale())
            .toPoint();
    return {};
  }
  // Eight quarters C4 to C5 in part 1, and three notes in part 2.
  void loadEightNotes() {
    Song s;
    sample::SetPart(
        s, 1,
        {{60, "4"}, {62, "4"}, {64, "4"}, {65, "4"}, {67, "4"}, {69, "4"}, {71, "4"}, {72, "4"}});
    sample::SetPart(s, 2, {{67, "4"}, {69, "4"}, {71, "4"}});
    sample::Finish(s);
    load(s);
  }
  void dragAcross(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget *surface = score().surface();
    QTest::mousePress(surface, Qt::LeftButton, modifiers, from);
    for (int step = 1; step <= 4; ++step)
      QTest::mouseMove(surface, from + (to - from) * step / 4);
    QTest::mouseRelease(surface, Qt::LeftButton, modifiers, to);
  }

private slots:
  void init() {
    session_ = std::make_unique<EditorSession>(ProgramDirectory());
    settings_ = std::make_unique<Settings>();
    settings_->isDoReMi = false;
    ctx_ = std::make_unique<AppContext>(*session_, *settings_);
    frame_ = std::make_unique<pipora::MainWindow>(*ctx_);
    frame_->resize(1200, 900);
    if (QByteArray(QTest::currentTestFunction()) == "savedZoomIsTakenAtStartUp") {
      settings_->quarterWidth = 70; // as the settings file would set them, after the windows exist
      settings_->staffDistance = 130;
    }
    frame_->startUp(QString());
    activateScore();
  }

  void savedZoomIsTakenAtStartUp() {
    QCOMPARE(score().quarterWidth, 70);
    QCOMPARE(score().staffDistance, 130);
    QCOMPARE(score().verticalScrollBar()->pageStep(), 130);
  }

  void cleanup() {
    frame_.reset(); // still shown: taking it down must not reach the half-destroyed frame
    ctx_.reset();
    settings_.reset();
    session_.reset();
    QCOMPARE(QApplication::topLevelWidgets().size() <= 1, true);
  }

  // The classic drawing: tick 0 at x = 48, a quarter quarterWidth wide.
  void songThatFitsStartsAt48() {
    settings_->isClassicScore = true;
    Song s;
    sample::SetPart(s, 1, {{65, "4"}, {65, "4"}}); // F4: the head in the first space
    sample::Finish(s);
    load(s);
    QCOMPARE(score().scrollX, -48);
    const int top = PartTop(1, score().staffDistance, score().scrollY);
    const int headY = top + kMiddleCLine - 18;
    // Tick 0 lands at x = 48: the first head is right of it, nothing of a note left of it.
    QVERIFY(ink(48 + 8, headY) < 100);
    QVERIFY(ink(48 + 50 + 8, headY) < 100);
    QCOMPARE(ink(48 + 30, headY), 255);
    // The bar line at tick 0 is not drawn when element 0 starts there.
    const int barX = 0 - score().scrollX - score().quarterWidth / 20;
    QCOMPARE(ink(barX, top + kStaffTopLine + 6), 255);
  }

  void pickupStaysInViewAndTheBarAtTickZeroIsDrawn() {
    settings_->isClassicScore = true;
    Song s;
    sample::SetPart(s, 1, {{65, "4"}, {65, "4"}, {65, "4"}});
    for (int p = 1; p <= kPartSlots; ++p)
      s.part(p).notes[0].start = -480; // a one-beat pick-up
    sample::Finish(s);
    load(s);
    QCOMPARE(score().scrollX, -50 - 48);
    const int top = PartTop(1, score().staffDistance, score().scrollY);
    QVERIFY(ink(48 + 8, top + kMiddleCLine - 18) < 100);              // the pick-up note at x = 48
    const int barX = 0 - score().scrollX - score().quarterWidth / 20; // tick 0
    QVERIFY(ink(barX, top + kStaffTopLine + 6) < 100);
  }

  void cursorDrawnTwiceLeavesTheImage() {
    load(sample::ShowcaseSong());
    score().isActive = false; // no blinking meanwhile
    if (score().cursorShown)
      score().drawCursor();
    const QImage before = score().surfaceImage().copy();
    score().drawCursor();
    QVERIFY(score().cursorShown);
    QVERIFY(score().surfaceImage() != before);
    score().drawCursor();
    QVERIFY(!score().cursorShown);
    QCOMPARE(score().surfaceImage(), before);
  }

  void selectionDrawnTwiceLeavesTheImage() {
    load(sample::ShowcaseSong());
    score().isActive = false;
    if (score().cursorShown)
      score().drawCursor();
    header().selStart = 1;
    header().selLength = 3;
    header().cursor = 4;
    const QImage before = score().surfaceImage().copy();
    score().drawSelection();
    QVERIFY(score().surfaceImage() != before);
    score().drawSelection();
    QCOMPARE(score().surfaceImage(), before);
    // With a selection the cursor is not drawn.
    score().drawCursor();
    QVERIFY(!score().cursorShown);
    QCOMPARE(score().surfaceImage(), before);
  }

  // Four eighths on E4 (stems up): engraved, the beam joins the stems of each beat; classic,
  // each note keeps its flag and nothing lies between the stems.
  void engravedBeamsAndClassicFlags_data() {
    QTest::addColumn<bool>("classic");
    QTest::newRow("engraved") << false;
    QTest::newRow("classic") << true;
  }
  void engravedBeamsAndClassicFlags() {
    QFETCH(bool, classic);
    settings_->isClassicScore = classic;
    Song s;
    sample::SetPart(s, 1, {{64, "8"}, {64, "8"}, {64, "8"}, {64, "8"}});
    sample::Finish(s);
    load(s);
    const int top = PartTop(1, score().staffDistance, score().scrollY);
    // Between the first two stems (x 64 and 89) right of the first one's flag, near the
    // stem ends (E4: head at +148).
    int darkest = 255;
    for (int y = top + kStaffTopLine + 2; y < top + kStaffTopLine + kStaffLineGap - 1; ++y)
      darkest = std::min(darkest, ink(82, y)); // between the top two staff lines
    QCOMPARE(darkest < 100, !classic);
    // The time signature stands after the clef only when engraved.
    int digits = 255;
    for (int x = 30; x < 46; ++x)
      digits = std::min(digits, ink(x, top + kStaffTopLine + 6));
    QCOMPARE(digits < 100, !classic);
  }

  // Engraved, the selection tints white blue and keeps black heads dark; the cursor is blue.
  void engravedSelectionKeepsNotesReadable() {
    Song s;
    sample::SetPart(s, 1, {{65, "4"}, {65, "4"}, {65, "4"}}); // F4: head in the first space
    sample::Finish(s);
    load(s);
    score().isActive = false;
    if (score().cursorShown)
      score().drawCursor();
    const int top = PartTop(score().sheet(), 1, score().scrollY);
    const int second = static_cast<int>(score().sheet().xOfTick(480)) - score().scrollX;
    const QPoint head(second + 8, top + kMiddleCLine - 18);
    const QPoint paper(second + 30, top + kMiddleCLine - 30);
    QVERIFY(ink(head.x(), head.y()) < 100);
    QCOMPARE(ink(paper.x(), paper.y()), 255);
    header().cursor = 1;
    score().drawCursor();
    const QRgb cursor = score().surfaceImage().pixel(second - 1, top + kCursorTop + 2);
    QVERIFY2(qBlue(cursor) > 180 && qRed(cursor) < 100, qPrintable(QString::number(cursor, 16)));
    score().drawCursor();
    header().selStart = 1;
    header().selLength = 1;
    score().drawSelection();
    QVERIFY(ink(head.x(), head.y()) < 100); // still a dark head
    const QRgb tint = score().surfaceImage().pixel(paper);
    QVERIFY(qBlue(tint) == 255 && qRed(tint) < 255 && qRed(tint) > 150);
    score().drawSelection();
    QCOMPARE(ink(paper.x(), paper.y()), 255);
  }

  // A2 in part 1 keeps its ledger lines inside part 1's row; the bar ruler stays on top of
  // staves scrolled under it.
  void engravedStavesKeepToTheirRowsAndRulerStaysOnTop() {
    Song s;
    sample::SetPart(s, 1, {{45, "4"}, {45, "4"}, {45, "4"}, {45, "4"}, {45, "4"}});
    sample::Finish(s);
    load(s);
    const int hch = score().staffDistance;
    const int top2 = PartTop(2, hch, score().scrollY);
    // Part 2's row above its staff is empty: no ledger line of part 1 reaches into it.
    for (int y = top2 + BandOf(hch).top; y < top2 + kStaffTopLine - 2; ++y)
      QCOMPARE(ink(48 + 50 + 8, y), 255);
    // Scroll part 1's staff under the ruler: the ruler's pixels are not black.
    score().verticalScrollBar()->setValue(kStaffTopLine - 6);
    QApplication::processEvents();
    const int staffLine = PartTop(1, hch, score().scrollY) + kStaffTopLine;
    QVERIFY(staffLine >= 0 && staffLine < kRulerHeight);
    QVERIFY(ink(400, staffLine) > 200);
  }

  void captionAfterRedraw() {
    Song s;
    for (int i = 0; i < 27; ++i)
      InsertNote(s, 1, 0, 67, "8", "G");
    sample::Finish(s);
    load(s);
    header().cursor = 3;
    score().drawNote();
    static const QRegularExpression caption(
        QStringLiteral("^ScoreEditor \\d+ms 4/4拍子 \\[3/27\\]$"));
    QVERIFY2(caption.match(score().windowTitle()).hasMatch(), qPrintable(score().windowTitle()));
  }

  void typingNotesUndoAndRedo() {
    key(Qt::Key_C);
    key(Qt::Key_D);
    key(Qt::Key_E);
    QCOMPARE(header().count, 3);
    QVERIFY(song().dirty);
    QVERIFY(score().windowTitle().endsWith(QStringLiteral("[3/3]")));
    QAction *undo = frame_->action("UndoItem2");
    QAction *redo = frame_->action("RedoItem");
    QVERIFY(undo && redo);
    undo->trigger();
    undo->trigger();
    QCOMPARE(header().count, 1);
    QCOMPARE(header().cursor, 1); // as recorded with snapshot 1
    redo->trigger();
    QCOMPARE(header().count, 2);
    key(Qt::Key_G);
    redo->trigger(); // the next snapshot is gone
    QCOMPARE(header().count, 3);
    QCOMPARE(song().part(1).score[2].noteNumber, 67);
  }

  void undoKeepsTheScoreEditorActive() {
    key(Qt::Key_C);
    key(Qt::Key_D);
    QVERIFY(score().isActive);
    frame_->action("UndoItem2")->trigger();
    QVERIFY(score().isActive); // refilling the source editor must not keep the focus there
    QCOMPARE(settings_->activeWindow, std::optional(WindowId::ScoreEditor));
    // The next key goes wherever the keyboard focus is, as a typing user's would.
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(score().surface()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_E);
    QCOMPARE(header().count, 2);
  }

  void singleStepUndoExchanges() {
    settings_->isManyUndo = false;
    key(Qt::Key_C);
    key(Qt::Key_D);
    key(Qt::Key_Backspace);
    QCOMPARE(header().count, 1);
    frame_->action("UndoItem2")->trigger();
    QCOMPARE(header().count, 2);
    frame_->action("UndoItem2")->trigger();
    QCOMPARE(header().count, 1);
  }

  void snapshotsLiveInAFolderOfTheirOwnAndGoAtUnload() {
    key(Qt::Key_C);
    const QString folder = ctx_->session.history().folder();
    QVERIFY(QFile::exists(folder + QStringLiteral("/pipora1.tmp")));
    QCOMPARE(QFileInfo(folder).dir().absolutePath(), QDir(ProgramDirectory()).absolutePath());
    QFile log(ProgramFile(QStringLiteral("pipora.log")));
    QVERIFY(log.open(QIODevice::WriteOnly));
    log.close();
    ctx_->session.setDirty(false); // the close sequence saved the changes or let them go
    ctx_->session.shutDown();
    QVERIFY(!QDir(folder).exists());
    QVERIFY(!QFile::exists(ProgramFile(QStringLiteral("pipora.log"))));
  }

  void zoomButtonsAndLimits() {
    auto *plus = score().findChild<QPushButton *>(QStringLiteral("zoomInButton"));
    auto *minus = score().findChild<QPushButton *>(QStringLiteral("zoomOutButton"));
    auto *down = score().findChild<QPushButton *>(QStringLiteral("spreadStavesButton"));
    auto *up = score().findChild<QPushButton *>(QStringLiteral("tightenStavesButton"));
    QVERIFY(plus && minus && down && up);
    QCOMPARE(score().quarterWidth, 50);
    minus->click();
    QCOMPARE(score().quarterWidth, 50);
    plus->click();
    QCOMPARE(score().quarterWidth, 60);
    frame_->action("NarrowNoteItem")->trigger();
    QCOMPARE(score().quarterWidth, 50);
    score().staffDistance = 110;
    up->click();
    QCOMPARE(score().staffDistance, 100);
    up->click();
    QCOMPARE(score().staffDistance, 100);
    frame_->action("ExtendChItem")->trigger();
    QCOMPARE(score().staffDistance, 110);
    QCOMPARE(settings_->staffDistance, 110);
  }

  void scrollRangesFollowTheSong() {
    load(sample::LongSong(2, 400));
    const ScrollRange h = score().horizontalRange();
    // The first note stands right of the clef, key and time signature.
    QCOMPARE(h.minimum, -score().sheet().headerWidth());
    QVERIFY(h.maximum > 0);
    QCOMPARE(score().horizontalScrollBar()->minimum(), h.minimum);
    QCOMPARE(score().verticalScrollBar()->maximum(),
             std::max(0, score().sheet().height() - score().surface()->height()));
    // End moves the cursor off the view: the view follows it.
    key(Qt::Key_End);
    QVERIFY(score().scrollX > 0);
  }

  void wheelOverTheSurfaceScrolls() {
    const int before = score().verticalScrollBar()->value();
    const QPoint at(10, 10);
    QWheelEvent wheel(at, score().surface()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(score().surface(), &wheel);
    QVERIFY(score().verticalScrollBar()->value() > before);
    QCOMPARE(score().scrollY, score().verticalScrollBar()->value());
  }

  void shiftThreeIsTheSharpKey() {
    QCOMPARE(ScoreKeyCode(Qt::Key_NumberSign, Qt::ShiftModifier), int('3'));
    QCOMPARE(ScoreKeyCode(Qt::Key_3, Qt::NoModifier), int('3'));
    QCOMPARE(ScoreKeyCode(Qt::Key_3, Qt::KeypadModifier), 99);
    QCOMPARE(ScoreKeyCode(Qt::Key_At, Qt::ShiftModifier), int('2'));
    QCOMPARE(ScoreKeyCode(Qt::Key_Asterisk, Qt::ShiftModifier), int('8'));
    QCOMPARE(ScoreKeyCode(Qt::Key_Asterisk, Qt::KeypadModifier), 106); // keypad *
    key(Qt::Key_C);
    key(Qt::Key_NumberSign, Qt::ShiftModifier);
    QCOMPARE(song().part(1).score[0].noteNumber, 61);
  }

  void downOnPart16ScrollsToTheBottom() {
    header().partNumber = 16;
    song().currentPart = 16;
    key(Qt::Key_Down);
    QCOMPARE(header().partNumber, 16);
    QCOMPARE(score().verticalScrollBar()->value(), score().verticalScrollBar()->maximum());
  }

  void previewSoundsTheNoteEntered() {
    const Player &player = session_->player();
    key(Qt::Key_C);
    QCOMPARE(player.previewKey(1), 60);
    key(Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(player.previewKey(1), 61);
    settings_->isPreview = false;
    key(Qt::Key_D);
    QVERIFY(player.previewKey(1) != 62);
  }

  void droppedFilesGoToTheFrame_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("smd") << "/x/song.smd";
    QTest::newRow("smz") << "/x/song.SMZ";
    QTest::newRow("upper-case MID") << "/x/song.MID";
    QTest::newRow("other") << "/x/song.txt"; // the frame's open leaves it alone
  }

  void droppedFilesGoToTheFrame() {
    QFETCH(QString, name);
    QString opened;
    QString handedOver;
    for (const char *each : {"OpenItem", "OpenMidiItem"})
      connect(frame_->action(each), &QAction::triggered, this,
              [&, each] { opened = QString::fromLatin1(each); });
    QObject::disconnect(&score(), &ScoreEditorWindow::fileDropped, nullptr, nullptr);
    connect(&score(), &ScoreEditorWindow::fileDropped, this,
            [&](const QString &path) { handedOver = path; });
    score().openDroppedFiles({name, QStringLiteral("/x/second.smd")});
    // The first file only, handed over by name: the menu's Open commands (which ask with
    // the file dialog) are not run.
    QCOMPARE(handedOver, name);
    QCOMPARE(opened, QString());
  }

  void deactivationWritesTheNoteListsBack() {
    key(Qt::Key_C);
    key(Qt::Key_E);
    song().part(1).score[1].noteNumber = 65; // a change the score list alone holds
    QCOMPARE(song().part(1).notes[1].noteNumber, 64);
    score().onDeactivated();
    QVERIFY(!score().isActive);
    QCOMPARE(song().part(1).notes[1].noteNumber, 65);
    QCOMPARE(song().part(1).notes[1].pitch, std::string("F"));
  }

  void blinkTogglesTheCursorButNotWithASelection() {
    load(sample::ShowcaseSong());
    score().isActive = true;
    const bool shown = score().cursorShown;
    score().onBlinkTimeout();
    QCOMPARE(score().cursorShown, !shown);
    score().onBlinkTimeout();
    QCOMPARE(score().cursorShown, shown);
    key(Qt::Key_Right, Qt::ShiftModifier);
    QVERIFY(!score().cursorShown);
    const QImage withRect = score().surfaceImage().copy();
    score().onBlinkTimeout();
    QCOMPARE(score().surfaceImage(), withRect);
  }

  // With PIPORAPAD_SCREENSHOT_DIR set, writes the score editor showing a real song.
  // --- the pointer ---------------------------------------------------------------------------

  void clickMakesThePartCurrentAndPutsTheCursorBeforeTheNote() {
    loadEightNotes();
    QTest::mouseClick(score().surface(), Qt::LeftButton, Qt::NoModifier, head(2, 2));
    QCOMPARE(header().partNumber, 2);
    QCOMPARE(header(2).cursor, 2);
    QCOMPARE(session_->player().previewKey(2), 71);
    QVERIFY2(score().windowTitle().endsWith(QStringLiteral("[2/3]")),
             qPrintable(score().windowTitle()));
    key(Qt::Key_C); // typing goes on where the click put the cursor
    QCOMPARE(song().part(2).score[2].noteNumber, 60);
    QCOMPARE(song().part(2).score[3].noteNumber, 71);
  }

  void dragAlongTheStaffSelectsForTheEditMenu() {
    loadEightNotes();
    dragAcross(head(1, 0), head(1, 7));
    QCOMPARE(header().selStart, 0);
    QCOMPARE(header().selLength, 8);
    frame_->action("DeleteItem")->trigger();
    QCOMPARE(header().count, 0);
  }

  void shiftClickReachesFromTheCursor() {
    loadEightNotes();
    QTest::mouseClick(score().surface(), Qt::LeftButton, Qt::NoModifier, head(1, 1));
    QTest::mouseClick(score().surface(), Qt::LeftButton, Qt::ShiftModifier, head(1, 4));
    QCOMPARE(header().selStart, 1);
    QCOMPARE(header().selLength, 4);
    frame_->action("UpItem")->trigger(); // the Edit menu's transforms take the same selection
    QCOMPARE(song().part(1).score[4].noteNumber, 68);
  }

  void draggingAHeadChangesItsPitchInOneUndoStep() {
    loadEightNotes();
    session_->takeSnapshot(true); // as opening the song would
    const QPoint e4 = head(1, 2);
    dragAcross(e4, e4 - QPoint(0, 7)); // two semitones up
    QCOMPARE(song().part(1).score[2].noteNumber, 66);
    QCOMPARE(session_->player().previewKey(1), 66);
    QVERIFY(song().dirty);
    // The sharp now standing before the head moves it right: it is taken where it is drawn.
    const QPoint fSharp = head(1, 2);
    dragAcross(fSharp, fSharp + QPoint(0, 42), Qt::AltModifier); // an octave down
    QCOMPARE(song().part(1).score[2].noteNumber, 54);
    frame_->action("UndoItem2")->trigger();
    QCOMPARE(song().part(1).score[2].noteNumber, 66);
    frame_->action("UndoItem2")->trigger();
    QCOMPARE(song().part(1).score[2].noteNumber, 64);
  }

  void doubleClickPlaysFromTheNote() {
    loadEightNotes();
    QTest::mouseDClick(score().surface(), Qt::LeftButton, Qt::NoModifier, head(1, 5));
    QCOMPARE(header().cursor, 5);
    QVERIFY(session_->isPlaying());
    frame_->action("StopPlayItem")->trigger();
    QVERIFY(!session_->isPlaying());
  }

  void contextMenuOffersTheEditCommandsAndPlay() {
    loadEightNotes();
    QWidget *surface = score().surface();
    QContextMenuEvent menu(QContextMenuEvent::Mouse, head(1, 3), surface->mapToGlobal(head(1, 3)));
    QApplication::sendEvent(surface, &menu);
    QMenu *shown = score().mouse()->contextMenu();
    QVERIFY(shown);
    QCOMPARE(header().cursor, 3);
    const QList<QAction *> items = shown->actions();
    for (const char *name : {"CutItem", "CopyItem", "PasteItem", "DeleteItem", "UpItem", "TieItem"})
      QVERIFY2(items.contains(frame_->action(name)), name);
    QVERIFY(shown->findChild<QAction *>(QStringLiteral("PlayFromHereItem")));
    shown->close();
  }

  void contextMenuChoosesThePartsClefAndTheKey() {
    loadEightNotes();
    QWidget *surface = score().surface();
    QContextMenuEvent menu(QContextMenuEvent::Mouse, head(1, 3), surface->mapToGlobal(head(1, 3)));
    QApplication::sendEvent(surface, &menu);
    QMenu *shown = score().mouse()->contextMenu();
    QVERIFY(shown);
    auto item = [&](const char *menuName, const QString &caption) -> QAction * {
      for (QAction *a : shown->findChild<QMenu *>(QString::fromLatin1(menuName))->actions())
        if (a->text().startsWith(caption))
          return a;
      return nullptr;
    };
    // The menu marks the choices in force.
    QVERIFY(item("ClefMenu", QStringLiteral("自動"))->isChecked());
    QVERIFY(!item("ClefMenu", QStringLiteral("ヘ音記号"))->isChecked());
    // Two bars of notes fix the key once: the kept key is marked, not 自動.
    QVERIFY(song().display.key.has_value());
    QVERIFY(!item("KeyMenu", QStringLiteral("自動"))->isChecked());
    QVERIFY(item("KeyMenu", QString::fromStdString(KeyName(*song().display.key)))->isChecked());
    item("ClefMenu", QStringLiteral("ヘ音記号"))->trigger();
    item("KeyMenu", QStringLiteral("変イ長調"))->trigger();
    shown->close();
    QCOMPARE(song().display.clefs[1], Clef::Bass);
    QCOMPARE(song().display.key, std::optional(KeySignature{-4, false}));
    QVERIFY(song().dirty); // kept with the file when it is saved
    QCOMPARE(score().sheet().row(1).clef, Clef::Bass);
    QApplication::sendEvent(surface, &menu);
    shown = score().mouse()->contextMenu();
    QVERIFY(shown);
    QVERIFY(item("ClefMenu", QStringLiteral("ヘ音記号"))->isChecked());
    QVERIFY(!item("ClefMenu", QStringLiteral("自動"))->isChecked());
    QVERIFY(item("KeyMenu", QStringLiteral("変イ長調"))->isChecked());
    shown->close();
  }

  void ctrlWheelAndCtrlKeysScaleTheWholeScore() {
    loadEightNotes();
    const QSize widget = score().surface()->size();
    const QPoint at(100, 100);
    QWheelEvent wheel(at, score().surface()->mapToGlobal(at), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(score().surface(), &wheel);
    QCOMPARE(score().scorePercent(), 110);
    QCOMPARE(settings_->scoreZoom, 110);
    QCOMPARE(score().surface()->scoreSize(),
             QSize(qCeil(widget.width() / 1.1), qCeil(widget.height() / 1.1)));
    // A click still finds the note it is on.
    QTest::mouseClick(score().surface(), Qt::LeftButton, Qt::NoModifier, head(1, 6));
    QCOMPARE(header().cursor, 6);
    key(Qt::Key_Minus, Qt::ControlModifier);
    key(Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(score().scorePercent(), 90);
    key(Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(score().scorePercent(), 100);
    QCOMPARE(score().surface()->scoreSize(), widget);
    QCOMPARE(header().count, 8); // no key reached the notes
  }

  void hoverShowsPitchLengthAndPlace() {
    loadEightNotes();
    settings_->isTick = true;
    QTest::mouseMove(score().surface(), head(1, 3));
    QTRY_COMPARE(score().mouse()->hoverText(), QStringLiteral("F4  4  01:4:00"));
    QTest::mouseMove(score().surface(), head(1, 3) + QPoint(0, 40));
    QTRY_COMPARE(score().mouse()->hoverText(), QString());
  }

  void screenshot() {
    const QString dir = qEnvironmentVariable("PIPORAPAD_SCREENSHOT_DIR");
    if (dir.isEmpty())
      QSKIP("PIPORAPAD_SCREENSHOT_DIR not set");
    settings_->isDoReMi = true;
    Song s = sample::ShowcaseSong();
    s.part(1).scoreHeader.partNumber = 2;
    s.currentPart = 2;
    score().parentWidget()->showMaximized();
    QApplication::processEvents();
    load(s);
    score().zoomIn(); // a little wider
    score().zoomIn();
    score().isActive = false;
    if (score().cursorShown)
      score().drawCursor();
    header(2).selStart = 3;
    header(2).selLength = 3;
    header(2).cursor = 6;
    score().drawSelection();
    QVERIFY(score().surfaceImage().save(dir + QStringLiteral("/score_surface.png")));
    QVERIFY(frame_->grab().save(dir + QStringLiteral("/score_editor.png")));
  }

  // The Habanera's first phrase, engraved and classic, with a selection in the melody.
  void screenshotEngravedAndClassic() {
    const QString dir = qEnvironmentVariable("PIPORAPAD_SCREENSHOT_DIR");
    if (dir.isEmpty())
      QSKIP("PIPORAPAD_SCREENSHOT_DIR not set");
    settings_->isDoReMi = true;
    score().parentWidget()->resize(1100, 780);
    load(sample::HabaneraSong());
    // Eighths 40 px apart, and rows tall enough for the bass's ledger lines.
    for (int i = 0; i < 3; ++i)
      score().zoomIn();
    for (int i = 0; i < 5; ++i)
      score().spreadStaves();
    for (bool classic : {false, true}) {
      settings_->isClassicScore = classic;
      Song s = sample::HabaneraSong();
      s.part(1).scoreHeader.partNumber = 1;
      load(s);
      score().isActive = false;
      if (score().cursorShown)
        score().drawCursor();
      header(1).selStart = 8;
      header(1).selLength = 3;
      header(1).cursor = 11;
      score().drawSelection();
      const QString name =
          classic ? QStringLiteral("score_classic") : QStringLiteral("score_engraved");
      QVERIFY(score().surfaceImage().save(dir + "/" + name + ".png"));
      score().drawSelection();
    }
  }
};

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  InstallFontSubstitutions();
  tst_score_editor_window test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_score_editor_window.moc"
