#pragma once
// The editor's one document and everything that lives as long as it: the song, which of its
// two lists the editing goes on in, the undo history, the file name and dirty flag, the
// player and the MIDI output. Windows observe it through the signals and change the document
// through the commands; none of it needs a widget, so it is tested without one.
#include "editing/edit_outcome.h"
#include "editing/fit_for_smd.h"
#include "editing/score_keys.h"
#include "formats/midi/midi_import.h"
#include "formats/smd/smd_writer.h"
#include "model/result.h"
#include "model/song.h"
#include "platform/files/file_io.h"
#include "platform/midi/midi_backend.h"
#include "session/midi_files.h"
#include "session/musicxml_files.h"
#include "session/smd_files.h"
#include "session/undo_history.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace pipora {

struct AbandonedSong;
class MidiOutput;
class Player;
class PlayerHost;
class PlayLineView;
class PlayerRelay;

// The settings that change what the document commands do.
struct DocumentOptions {
  bool isSaveTone = false; // tones per file in the tone store
  bool isManyUndo = true;  // snapshots; off: single-step exchange with the backup slot
  qint64 undoDiskBytes = qint64{100} << 20; // the snapshots' disk use; 0: no limit
  MidiImportOptions import;
};

// Each part keeps its notes twice: the note lists (source editor, files, player) and the
// score lists (score editor). The editor that is active edits one of them; the other is
// rebuilt from it when the other kind of reader needs it.
enum class EditedLists { Notes, Score };

class EditorSession : public QObject {
  Q_OBJECT
public:
  // `programDirectory` holds the snapshots, logs, tone store and settings file. Without a
  // backend the output stays silent until the editor installs the one its settings choose.
  explicit EditorSession(const QString &programDirectory,
                         std::unique_ptr<MidiBackend> backend = nullptr, QObject *parent = nullptr);
  ~EditorSession() override;

  // The song, for reading: windows change it through the commands below.
  const Song &song() const { return song_; }
  // The options in force: from the source when one is set (the editor's settings, which the
  // user may change at any time), else the ones set here.
  DocumentOptions options() const { return optionsSource_ ? optionsSource_() : options_; }
  void setOptions(const DocumentOptions &options) { options_ = options; }
  void setOptionsSource(std::function<DocumentOptions()> source) {
    optionsSource_ = std::move(source);
  }
  const QString &programDirectory() const { return programDirectory_; }

  // --- the two lists -------------------------------------------------------------------
  EditedLists editedLists() const { return edited_; }
  // The score editor takes over: the score lists are rebuilt from the note lists.
  void editScoreLists();
  // The note lists are edited from now on: the score editor's changes are written back.
  void editNoteLists();
  // Before reading the note lists (save, play, export): written back from the score lists
  // when the score editor is editing.
  void syncNoteLists();
  // After the note lists were changed: start ticks recomputed, score lists rebuilt.
  void noteListsChanged();
  // The score lists rebuilt from the note lists, whichever editor edits.
  void refreshScoreLists();

  // --- file name and dirty flag --------------------------------------------------------
  QString path() const { return FileNameFromBytes(QByteArray::fromStdString(song_.fileName)); }
  void setPath(const QString &path);
  bool isDirty() const { return song_.dirty; }
  void setDirty(bool dirty);
  // True when saving or exporting to `path` replaces a file the song was neither opened nor
  // recovered from, nor saved or exported to (an imported song named after its MIDI file
  // meeting an unrelated SMD file, an export meeting an unrelated MIDI file or the MIDI file
  // the song was imported from): the user is asked first.
  bool wouldReplaceAnotherFile(const QString &path) const;
  // The file name is the song's own file: it was opened, recovered or saved under it. A new
  // song, or one imported from a MIDI file and named after it, has none yet.
  bool hasOwnFile() const;

  // --- document commands (dialogs and questions are the caller's) ----------------------
  // New: empty song, history restarted with snapshot 0, no file name, clean.
  void newSong();
  // Opens an SMD file; a failure leaves the song as it was.
  Result<OpenOutcome> open(const QString &path);
  // The save checks alone: fails with the message and the place of the first note that
  // cannot be saved.
  Status checkSmd();
  // Saves to the file name (which must be set), or to `path`, which then becomes the file
  // name, encoding the song once. A refused check fails as checkSmd does (the error names the
  // note) and writes nothing; a failed write's error names no note.
  Status save();
  Status saveAs(const QString &path);
  // Mends every note SMD cannot hold (see editing/fit_for_smd.h) as one undo step. Returns
  // the number of changes; 0 leaves song, history and dirty flag alone.
  std::size_t fitForSmd();
  // The same for the one problem the save check finds at `element` of `part`.
  std::size_t fitProblemForSmd(int part, int element);
  // Imports a Standard MIDI File; a file that cannot be read leaves the song as it was.
  // `report`, when given, is filled with what fitting the file's notes did to each note.
  Result<MidiImportReport> importMidi(const QString &path, ImportReport *report = nullptr);
  // The same for a MusicXML score (.musicxml, .xml, .mxl): fitted as a MIDI file is; a file
  // that is not a score leaves the song as it was.
  Result<MidiImportReport> importMusicXml(const QString &path, ImportReport *report = nullptr);
  // Brings back a song an editor left unsaved when it ended (see session/abandoned_songs.h):
  // it becomes this editor's song, unsaved and dirty, with its file name; the history starts
  // again from it. The song is in this editor's recovery record before this returns, so the
  // caller may then discard the old folder. A song that cannot be read fails and changes
  // nothing.
  Status recover(const AbandonedSong &abandoned);
  // Exports to `path` (default: the file name ending in "mid").
  Status exportMidi(const QString &path);
  // The song as a MusicXML score at `path` (compressed for ".mxl"), parts named `names`.
  Status exportMusicXml(const QString &path, const PartNames &names);
  Status writeEventList();

  // --- changing the song: the one way a window does it -----------------------------------
  // After an editing command: a change marks the song dirty and a step of the history takes
  // one snapshot (`noteListsCurrent`: the command left both lists current). Nothing is
  // announced: edit() does that.
  void apply(const EditOutcome &outcome, bool noteListsCurrent = true);
  // Runs an editing rule from src/editing, `rule(song, args...)` returning an EditOutcome, and
  // applies the outcome: a change marks the song dirty, a step takes one snapshot, and
  // songChanged tells every view (after a refusal too; showing its message is the caller's).
  template <typename Rule, typename... Args> EditOutcome edit(Rule &&rule, Args &&...args) {
    const EditOutcome outcome =
        std::invoke(std::forward<Rule>(rule), song_, std::forward<Args>(args)...);
    apply(outcome);
    if (outcome.changed || outcome.snapshot || outcome.refused())
      emit songChanged();
    return outcome;
  }
  // A rule of the source editor's, which changes the note lists alone: the start ticks and
  // the score lists follow before the views are told.
  template <typename Rule, typename... Args> EditOutcome editNotes(Rule &&rule, Args &&...args) {
    const EditOutcome outcome =
        std::invoke(std::forward<Rule>(rule), song_, std::forward<Args>(args)...);
    if (outcome.changed || outcome.snapshot)
      noteListsChanged();
    apply(outcome);
    if (outcome.changed || outcome.snapshot || outcome.refused())
      emit songChanged();
    return outcome;
  }
  // The score editor's key or pointer command, `rule(song, args...)` returning a
  // ScoreKeyOutcome: its dirty mark and snapshot are applied as edit's, and the other views
  // hear of a change of the notes (songChanged) or of the marks alone (marksChanged).
  template <typename Rule, typename... Args>
  ScoreKeyOutcome editScore(Rule &&rule, Args &&...args) {
    return applyScore(std::invoke(std::forward<Rule>(rule), song_, std::forward<Args>(args)...));
  }
  // The same for an outcome made without the song (the end of a pitch drag).
  ScoreKeyOutcome applyScore(const ScoreKeyOutcome &out);
  // Runs a rule from src/editing that moves only what the SMD text does not hold (cursor,
  // selection, current part, clipboard, a find): no dirty mark, no history step;
  // marksChanged tells the views. Returns what the rule returns.
  template <typename Rule, typename... Args> decltype(auto) mark(Rule &&rule, Args &&...args) {
    struct AnnounceAtEnd {
      EditorSession &session;
      ~AnnounceAtEnd() { emit session.marksChanged(); }
    } announce{*this};
    return std::invoke(std::forward<Rule>(rule), song_, std::forward<Args>(args)...);
  }

  // --- marks and display choices: no snapshot, no dirty mark ---------------------------
  // The part the editors work in (1..16), and the source editor's current row in it
  // (sourceCursorChanged).
  void setCurrentPart(int part);
  void setSourceCursor(int row);
  // A note to show in both editors (a problem of the save checks): current part, the source
  // editor's row, and the note selected in the score (marksChanged).
  void pointAtNote(int part, int element);
  // The score editor's selection in `part`: `length` elements from its cursor (0: none).
  void setScoreSelection(int part, int length);
  // Clefs, key and hidden empty parts: how the score shows the song, which SMD does not
  // store (songChanged: every view lays itself out again).
  void setDisplay(const ScoreDisplay &display);
  // The start ticks recomputed from the lengths (after the time signature's anacrusis).
  void recalcTimes();

  // The part's tone (MIDI program number). Tones are no part of the SMD text: the song stays
  // clean and the history untouched; with `isSaveTone` the tone store keeps the song's file's
  // tones, written here when one changes.
  void setTone(int part, int program);

  // --- undo ------------------------------------------------------------------------------
  // After a change. `noteListsCurrent`: the change was made in both lists, so the score
  // editor's lists need not be written back first.
  void takeSnapshot(bool noteListsCurrent = false);
  // Many-level undo loads the previous snapshot; single-step undo exchanges with the backup
  // slot. A snapshot that cannot be read fails and leaves the song as it was.
  Status undo();
  Status redo();
  bool canUndo() const;
  bool canRedo() const;
  UndoHistory &history() { return history_; }
  // The snapshot file undo (redo) reads next, for a failure message.
  QString undoSnapshotPath() const { return history_.snapshotPath(history_.undoIndex() - 1); }
  QString redoSnapshotPath() const { return history_.snapshotPath(history_.undoIndex() + 1); }

  // --- what the views show ---------------------------------------------------------------
  // A view made the note starting at this tick the current one: the others bring it into
  // sight (positionChanged).
  void reportPosition(int startTick) { emit positionChanged(startTick); }
  // The position as the player panel's display shows it (positionTextChanged).
  void reportPositionText(const QString &text) { emit positionTextChanged(text); }

  // --- playback --------------------------------------------------------------------------
  Player &player() { return *player_; }
  MidiOutput &midi() { return *midi_; }
  bool isPlaying() const;
  // Sound from now on through the system MIDI port of that name, or (empty) through the
  // built-in synthesizer with that SoundFont (empty: the default one).
  void useSoundOutput(const std::string &outputName, const std::string &soundFontPath);
  // The windows' side of the player (bars, position text) and the score editor's
  // play-position line; null detaches them.
  void setPlayerView(PlayerHost *view, PlayLineView *line);

  // --- crash recovery --------------------------------------------------------------------
  // After every change the song, its file name and dirty flag go to the recovery record in
  // the snapshot folder; changes made while one event is handled are written once, when it
  // is done. This writes a pending record at once.
  Status writeRecoveryRecord();

  // At exit: playback stopped, the output reset and closed, the logs deleted. The snapshot
  // folder goes with the history, unless the song is still unsaved: then it stays, with its
  // lock let go, for the next editor to offer (an exit that asked nobody, a signal).
  void shutDown();

signals:
  // The whole song was replaced (new, open, import, undo, redo).
  void songReplaced();
  // Single-step undo exchanged this part's notes with the backup slot.
  void notesChanged(int part);
  void dirtyChanged(bool dirty);
  void pathChanged(const QString &path);
  void playingChanged(bool playing);
  void historyChanged();
  // The notes, or how the score shows them, changed: every view of the whole song lays
  // itself out again.
  void songChanged();
  // Only the score's cursor or selection, the clipboard or a find's hit moved.
  void marksChanged();
  // The current part or the source editor's row in it changed.
  void sourceCursorChanged(int part, int row);
  void positionChanged(int startTick);
  void positionTextChanged(const QString &text);
  // A snapshot or the recovery record could not be written: unsaved work cannot be brought
  // back after a crash. Emitted once per run, with the system's reason.
  void recoveryUnavailable(const QString &reason);
  // The tone store could not be written (tones and clefs of a saved file are not kept; the
  // song itself was saved). Emitted once per run, with the store's path and the reason.
  void toneStoreUnavailable(const QString &store, const QString &reason);

private:
  friend Song &SongUnderTest(EditorSession &session);
  // Emits what changed in the path and dirty flag since `before`.
  struct Marks {
    std::string path;
    bool dirty;
  };
  Marks marks() const { return {song_.fileName, song_.dirty}; }
  void announce(const Marks &before);
  // Undo (redo) by the snapshot files.
  Status loadSnapshot(bool forward);
  // The song's SMD text; the ties SMD cannot hold go from the song first (DropTripletTies),
  // so that the score shows what the file holds.
  Result<QByteArray> encodeSmd();
  // Puts a fitted song in place as one undo step; returns the number of changes.
  std::size_t takeFitted(FitResult fitted);

  // The song before the latest fitting, while nothing else has changed the history since:
  // undo brings it back as it was, even when it had no snapshot of its own (a song that fails
  // the SMD checks takes none) or the fitting took none (other problems are left).
  struct FitUndo {
    Song before;
    int indexBefore = -1; // the history's position before the fitting
    int indexAfter = -1;  // and after it
  };
  std::optional<FitUndo> fitUndo_;
  // Tells once that recovery is not possible.
  void reportRecoveryFault(const std::string &reason);
  bool recoveryFaultReported_ = false;
  // Tells once that the tone store cannot be written.
  void reportToneStoreFault(const std::string &reason);
  bool toneStoreFaultReported_ = false;
  // The song changed: the record is written once the current event is handled.
  void noteChange();
  void scheduleRecord();
  // The song replaced (New, Open, import, recovery): the history starts again from it, and
  // undo never goes past it.
  void restartHistory();
  // Keeps the snapshot folder when the song is unsaved, else removes it.
  void closeHistory();

  QString programDirectory_;
  // The file the song was opened from, recovered for or last saved to; empty for a new or
  // imported song.
  QString ownFile_;
  // The MIDI file the song was last exported to; empty otherwise.
  QString ownMidiFile_;
  Song song_;
  DocumentOptions options_;
  std::function<DocumentOptions()> optionsSource_;
  EditedLists edited_ = EditedLists::Notes;
  UndoHistory history_;
  std::unique_ptr<MidiOutput> midi_;
  std::unique_ptr<PlayerRelay> relay_;
  std::unique_ptr<Player> player_;
  bool shutDown_ = false;
  // The recovery record: pending write, time of the last change, and the last song text
  // that passed the SMD checks (a song that fails them is recorded as it was before).
  QTimer recordTimer_;
  bool recordPending_ = false;
  QDateTime changedAt_;
  QByteArray lastSmdLine_;
  // The song has not changed since lastSmdLine_ was encoded: the record reuses it.
  bool recordTextCurrent_ = false;
  void keepRecordText(const QByteArray &smdText);
  // After a snapshot: its text is the song's, unless the checks refused it.
  void takeRecordText();
};

// Tests and benchmarks build their songs in place; no window may (layering.py).
inline Song &SongUnderTest(EditorSession &session) {
  return session.song_;
}

} // namespace pipora
