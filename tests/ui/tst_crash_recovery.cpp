// The start-up offer of work an editor left unsaved when it was killed, and the close that
// asks nothing (a signal, or nobody at the screen).
#include "platform/midi/null/null_midi_backend.h"
#include "session/abandoned_songs.h"
#include "session/undo_history.h"
#include "settings/settings_store.h"
#include "ui_fixture.h"
#include "views/recovery_offer.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

using namespace pipora;
using namespace pipora::test;

namespace {

// Prompts of a run with nobody at the screen.
class NobodyThere : public ScriptedPrompts {
public:
  bool canAsk() const override { return false; }
};

const QString kOffer =
    QStringLiteral("前回異常終了したときの編集内容が残っています。復元しますか？");

} // namespace

class tst_crash_recovery : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> home_;

  // An editor that was killed with notes typed into a song: its folder stays, its lock free.
  QString leaveUnsaved(const QString &title, const QString &fileName,
                       std::initializer_list<int> notes) {
    EditorSession killed(ProgramDirectory(), std::make_unique<NullMidiBackend>());
    SongUnderTest(killed).title = title.toStdString();
    killed.setPath(fileName);
    for (int note : notes)
      AppendNote(SongUnderTest(killed), 1, note, "4");
    killed.takeSnapshot(true);
    killed.setDirty(true);
    const QString folder = killed.history().folder();
    killed.shutDown();
    return folder;
  }
  static QList<int> notesOf(const Song &song) {
    QList<int> numbers;
    for (int i = 0; i < song.part(1).count; ++i)
      numbers << song.part(1).notes[static_cast<std::size_t>(i)].noteNumber;
    return numbers;
  }

private slots:
  void initTestCase() { PrepareWindowTests(); }
  void init() {
    home_ = std::make_unique<QTemporaryDir>();
    qputenv("PIPORAPAD_HOME", home_->path().toUtf8());
  }
  void cleanup() { home_.reset(); }

  void answerDecidesTheSong_data() {
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("recovered");
    QTest::addColumn<bool>("folderKept");
    QTest::newRow("yes brings it back") << Answer::Yes << true << false;
    QTest::newRow("no deletes it") << Answer::No << false << false;
    QTest::newRow("cancel keeps it for the next start") << Answer::Cancel << false << true;
  }
  void answerDecidesTheSong() {
    QFETCH(Answer, answer);
    QFETCH(bool, recovered);
    QFETCH(bool, folderKept);
    const QString file = home_->filePath("sakura.smd");
    const QString dead = leaveUnsaved("Sakura", file, {69, 71, 72});
    Editor e;
    e.start();
    e.prompts->answers = {answer};
    QCOMPARE(OfferRecovery(e.ctx, *e.prompts, e.frame.get(), RecoveryAnswer::Ask), recovered);

    QCOMPARE(e.prompts->questionsAsked.size(), 1);
    const QString question = e.prompts->questionsAsked.front();
    QVERIFY(question.startsWith(kOffer));
    QVERIFY2(question.contains("Sakura"), qPrintable(question));
    QVERIFY2(question.contains(file), qPrintable(question));
    QVERIFY2(question.contains(QDate::currentDate().toString("yyyy/MM/dd")), qPrintable(question));
    QCOMPARE(QFileInfo::exists(dead), folderKept);
    if (recovered) {
      QCOMPARE(notesOf(e.song), (QList<int>{69, 71, 72}));
      QVERIFY(e.session.isDirty());
      QCOMPARE(e.session.path(), file);
      QVERIFY(e.frame->windowTitle().contains("sakura.smd"));
      // The score editor shows the song too.
      QCOMPARE(e.song.part(1).scoreHeader.count, 3);
    } else {
      QCOMPARE(e.song.part(1).count, 0);
      QVERIFY(!e.session.isDirty());
    }
  }

  void songWithoutFileNameSaysSo() {
    leaveUnsaved("", "", {60});
    Editor e;
    e.start();
    e.prompts->answers = {Answer::Yes};
    QVERIFY(OfferRecovery(e.ctx, *e.prompts, e.frame.get(), RecoveryAnswer::Ask));
    const QString question = e.prompts->questionsAsked.value(0);
    QVERIFY2(question.contains(QStringLiteral("タイトル：（なし）")), qPrintable(question));
    QVERIFY2(question.contains(QStringLiteral("ファイル名：（未保存の新しい曲）")),
             qPrintable(question));
    QVERIFY(e.session.path().isEmpty());
    QVERIFY(e.session.isDirty());
  }

  void severalAreOfferedNewestFirstOneAtATime() {
    const QString older = leaveUnsaved("Older", "", {60});
    QThread::msleep(20);
    const QString newer = leaveUnsaved("Newer", "", {62});
    QThread::msleep(20);
    const QString newest = leaveUnsaved("Newest", "", {64});
    Editor e;
    e.start();
    e.prompts->answers = {Answer::No, Answer::Yes};
    QVERIFY(OfferRecovery(e.ctx, *e.prompts, e.frame.get(), RecoveryAnswer::Ask));
    QCOMPARE(e.prompts->questionsAsked.size(), 2);
    QVERIFY(e.prompts->questionsAsked[0].contains("Newest"));
    QVERIFY(e.prompts->questionsAsked[1].contains("Newer"));
    QCOMPARE(notesOf(e.song), (QList<int>{62}));
    QVERIFY(!QFileInfo::exists(newest));
    QVERIFY(!QFileInfo::exists(newer));
    QVERIFY(QFileInfo::exists(older)); // offered at the next start
  }

  void answersGivenInAdvanceAskNobody_data() {
    QTest::addColumn<RecoveryAnswer>("mode");
    QTest::addColumn<bool>("canAsk");
    QTest::addColumn<int>("notes");
    QTest::addColumn<bool>("folderKept");
    QTest::newRow("accept") << RecoveryAnswer::Accept << true << 1 << false;
    QTest::newRow("discard") << RecoveryAnswer::Discard << true << 0 << false;
    QTest::newRow("keep") << RecoveryAnswer::Keep << true << 0 << true;
    QTest::newRow("ask with nobody there keeps") << RecoveryAnswer::Ask << false << 0 << true;
  }
  void answersGivenInAdvanceAskNobody() {
    QFETCH(RecoveryAnswer, mode);
    QFETCH(bool, canAsk);
    QFETCH(int, notes);
    QFETCH(bool, folderKept);
    const QString dead = leaveUnsaved("Left", "", {67});
    Editor e;
    e.start();
    NobodyThere nobody;
    ScriptedPrompts &prompts = canAsk ? *e.prompts : nobody;
    OfferRecovery(e.ctx, prompts, e.frame.get(), mode);
    QVERIFY(prompts.questionsAsked.isEmpty());
    QCOMPARE(e.song.part(1).count, notes);
    QCOMPARE(QFileInfo::exists(dead), folderKept);
  }

  void runningEditorIsNotOffered() {
    Editor running;
    running.start();
    AppendNote(running.song, 1, 60, "4");
    running.session.takeSnapshot(true);
    running.session.setDirty(true);
    QVERIFY(running.session.writeRecoveryRecord());
    Editor second;
    second.start();
    second.prompts->answers = {Answer::No};
    QVERIFY(!OfferRecovery(second.ctx, *second.prompts, second.frame.get(), RecoveryAnswer::Ask));
    QVERIFY(second.prompts->questionsAsked.isEmpty());
    QVERIFY(QFileInfo::exists(running.session.history().recoveryPath()));
  }

  void closeWithoutQuestionsKeepsUnsavedWorkAndSavesSettings() {
    QString folder;
    {
      Editor e;
      e.start();
      AppendNote(e.song, 1, 65, "8");
      e.session.takeSnapshot(true);
      e.session.setDirty(true);
      folder = e.session.history().folder();
      e.frame->closeWithoutQuestions();
      QVERIFY(e.prompts->questionsAsked.isEmpty());
      QVERIFY(!e.frame->isVisible());
    }
    QVERIFY(QFileInfo::exists(SettingsFilePath()));
    QVERIFY(QFileInfo::exists(folder));
    std::vector<AbandonedSong> found = ClaimAbandonedSongs(ProgramDirectory());
    QCOMPARE(found.size(), std::size_t{1});
    QCOMPARE(found[0].folder, folder);
  }

  void closingWithNobodyToAskKeepsUnsavedWork() {
    EditorSession session(ProgramDirectory(), std::make_unique<NullMidiBackend>());
    Settings settings;
    AppContext ctx(session, settings);
    auto nobody = std::make_unique<NobodyThere>();
    NobodyThere *prompts = nobody.get();
    pipora::MainWindow frame(ctx, std::move(nobody));
    frame.startUp(QString());
    AppendNote(SongUnderTest(session), 1, 72, "4");
    session.takeSnapshot(true);
    session.setDirty(true);
    const QString folder = session.history().folder();
    QVERIFY(frame.close()); // the window's close box, or the desktop ending the session
    QVERIFY(prompts->questionsAsked.isEmpty());
    QVERIFY(QFileInfo::exists(folder));
    QVERIFY(!QFileInfo::exists(SnapshotFolderLock(folder)));
  }

  void closeWithoutQuestionsOfASavedSongLeavesNothing() {
    Editor e;
    e.start();
    const QString folder = e.session.history().folder();
    e.frame->closeWithoutQuestions();
    QVERIFY(!QFileInfo::exists(folder));
  }
};

QTEST_MAIN(tst_crash_recovery)
#include "tst_crash_recovery.moc"
