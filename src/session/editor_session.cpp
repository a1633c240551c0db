#include "session/editor_session.h"

#include "editing/key_inference.h"

#include "editing/backup_exchange.h"
#include "editing/fit_for_smd.h"
#include "model/new_song.h"
#include "platform/files/file_io.h"
#include "platform/files/temporary_files.h"
#include "platform/midi/null/null_midi_backend.h"
#include "platform/midi/system/system_midi_output.h"
#include "playback/midi_output.h"
#include "playback/player.h"
#include "playback/precise_wake_timer.h"
#include "session/abandoned_songs.h"
#include "session/player_relay.h"
#include "session/recovery_record.h"
#include "session/tone_store.h"

namespace pipora {

EditorSession::EditorSession(const QString &programDirectory, std::unique_ptr<MidiBackend> backend,
                             QObject *parent)
    : QObject(parent), programDirectory_(programDirectory), history_(programDirectory) {
  if (!backend)
    backend = std::make_unique<NullMidiBackend>();
  midi_ = std::make_unique<MidiOutput>(std::move(backend));
  relay_ = std::make_unique<PlayerRelay>(song_);
  player_ = std::make_unique<Player>(song_, *midi_, *relay_, SteadyMsClock(),
                                     std::make_unique<PreciseWakeTimer>(),
                                     std::make_unique<PreciseWakeTimer>());
  player_->setPlayingHandler([this](bool playing) { emit playingChanged(playing); });
  NewSong(song_);
  history_.takeSnapshot(song_, false);
  history_.markClean();
  recordTimer_.setSingleShot(true);
  recordTimer_.setInterval(0);
  connect(&recordTimer_, &QTimer::timeout, this, [this] { (void)writeRecoveryRecord(); });
  changedAt_ = QDateTime::currentDateTimeUtc();
  recordPending_ = true;
  (void)writeRecoveryRecord();
}

EditorSession::~EditorSession() {
  // The player stops before the output and the relay it talks to go.
  relay_->setView(nullptr, nullptr);
  if (player_->playing())
    player_->stopSong();
  // Ended without the close sequence (a check run): unsaved work still stays recoverable.
  if (!shutDown_)
    closeHistory();
  player_.reset();
}

// --- the two lists ------------------------------------------------------------------------

void EditorSession::editScoreLists() {
  BuildScoreList(song_);
  edited_ = EditedLists::Score;
}

void EditorSession::editNoteLists() {
  BuildNoteList(song_);
  edited_ = EditedLists::Notes;
}

void EditorSession::syncNoteLists() {
  if (edited_ == EditedLists::Score)
    BuildNoteList(song_);
}

void EditorSession::noteListsChanged() {
  RecalcTimes(song_);
  BuildScoreList(song_);
}

void EditorSession::refreshScoreLists() {
  BuildScoreList(song_);
}

// --- file name and dirty flag ----------------------------------------------------------------

void EditorSession::announce(const Marks &before) {
  scheduleRecord();
  if (before.path != song_.fileName)
    emit pathChanged(path());
  if (before.dirty != song_.dirty)
    emit dirtyChanged(song_.dirty);
}

void EditorSession::setTone(int part, int program) {
  if (song_.part(part).tone == program)
    return;
  song_.part(part).tone = program;
  // The store keeps each file's tones: it is written when one changes, not with every edit.
  if (options().isSaveTone && !song_.fileName.empty())
    if (Status stored = SaveTones(song_, path()); !stored)
      reportToneStoreFault(stored.error());
}

void EditorSession::setPath(const QString &path) {
  const Marks before = marks();
  song_.fileName = FileNameBytes(path).toStdString();
  announce(before);
}

bool EditorSession::wouldReplaceAnotherFile(const QString &path) const {
  const QString absolute = AbsoluteFileName(path);
  return FileExists(path) && absolute != AbsoluteFileName(ownFile_) &&
         absolute != AbsoluteFileName(ownMidiFile_);
}

bool EditorSession::hasOwnFile() const {
  return !ownFile_.isEmpty() && AbsoluteFileName(ownFile_) == AbsoluteFileName(path());
}

void EditorSession::setDirty(bool dirty) {
  const Marks before = marks();
  song_.dirty = dirty;
  if (dirty) {
    recordTextCurrent_ = false;
    KeepInferredKey(song_, edited_ == EditedLists::Score);
  }
  // Editors without a snapshot of their own (source editor, volumes) mark each change so.
  if (dirty)
    noteChange();
  announce(before);
}

// --- document commands ---------------------------------------------------------------------

void EditorSession::newSong() {
  const Marks before = marks();
  fitUndo_.reset();
  NewSong(song_);
  ownFile_.clear();
  ownMidiFile_.clear();
  song_.dirty = false;
  restartHistory();
  emit songReplaced();
  announce(before);
}

Result<OpenOutcome> EditorSession::open(const QString &path) {
  const Marks before = marks();
  fitUndo_.reset();
  OpenOptions open;
  open.isSaveTone = options().isSaveTone;
  Result<OpenOutcome> opened = OpenSmdFile(song_, path, open);
  if (opened) {
    // An empty file is an empty song of that name: the one before does not take its name.
    if (*opened == OpenOutcome::EmptyFile) {
      NewSong(song_, true);
      song_.dirty = false;
    }
    ownFile_ = path;
    ownMidiFile_.clear();
    KeepInferredKey(song_, false);
    restartHistory();
    emit songReplaced();
  }
  announce(before);
  return opened;
}

Result<QByteArray> EditorSession::encodeSmd() {
  DropTripletTies(song_);
  return EncodeSmd(song_);
}

Status EditorSession::checkSmd() {
  syncNoteLists();
  const Result<QByteArray> encoded = encodeSmd();
  if (!encoded)
    return encoded.failure();
  return Ok{};
}

Status EditorSession::save() {
  const Marks before = marks();
  syncNoteLists();
  // A change made just before is in the recovery record before the save begins: an editor
  // killed while saving still brings it back.
  (void)writeRecoveryRecord();
  const Result<QByteArray> encoded = encodeSmd();
  if (!encoded)
    return encoded.failure();
  recordTextCurrent_ = false; // the ties SMD cannot hold went from the song
  std::string storeFault;
  Status saved = SaveSmdFile(song_, path(), *encoded, options().isSaveTone, &storeFault);
  reportToneStoreFault(storeFault);
  // A tie dropped from a triplet shows in the score too.
  if (saved) {
    ownFile_ = path();
    BuildScoreList(song_);
    // Undo and redo back to this state find the song clean: the newest snapshot must hold it.
    if (!history_.newestHolds(*encoded))
      takeSnapshot(true);
    history_.markClean();
  }
  announce(before);
  return saved;
}

Status EditorSession::saveAs(const QString &path) {
  setPath(path);
  return save();
}

Result<MidiImportReport> EditorSession::importMidi(const QString &path, ImportReport *report) {
  const Marks before = marks();
  fitUndo_.reset();
  MidiImportOptions import = options().import;
  import.report = report;
  Result<MidiImportReport> imported = ImportMidiFile(song_, path, import);
  if (imported) {
    // The MIDI file read is the user's original: an export over it is asked about, as over
    // any file the song was not written to.
    ownFile_.clear();
    ownMidiFile_.clear();
    song_.currentPart = 1;
    KeepInferredKey(song_, false);
    restartHistory();
    emit songReplaced();
  }
  announce(before);
  return imported;
}

Result<MidiImportReport> EditorSession::importMusicXml(const QString &path, ImportReport *report) {
  const Marks before = marks();
  fitUndo_.reset();
  MidiImportOptions import = options().import;
  import.report = report;
  Result<MidiImportReport> imported = ImportMusicXmlFile(song_, path, import);
  if (imported) {
    ownFile_.clear();
    ownMidiFile_.clear();
    song_.currentPart = 1;
    KeepInferredKey(song_, false);
    restartHistory();
    emit songReplaced();
  }
  announce(before);
  return imported;
}

std::size_t EditorSession::fitForSmd() {
  if (isPlaying())
    return 0;
  syncNoteLists();
  return takeFitted(FitForSmd(song_));
}

std::size_t EditorSession::fitProblemForSmd(int part, int element) {
  if (isPlaying())
    return 0;
  syncNoteLists();
  return takeFitted(FitProblemForSmd(song_, part, element));
}

std::size_t EditorSession::takeFitted(FitResult fitted) {
  if (fitted.changes.empty())
    return 0;
  const Marks before = marks();
  FitUndo undo{song_, history_.undoIndex()};
  song_ = std::move(fitted.song);
  song_.dirty = true;
  takeSnapshot(true);
  undo.indexAfter = history_.undoIndex();
  fitUndo_ = std::move(undo);
  emit songReplaced();
  announce(before);
  return fitted.changes.size();
}

Status EditorSession::recover(const AbandonedSong &abandoned) {
  const Marks before = marks();
  OpenOptions open;
  open.snapshotMode = true; // file name, tones and dirty flag are set here
  const Result<OpenOutcome> opened = OpenSmdFile(song_, abandoned.songFile, open);
  if (!opened)
    return opened.failure();
  if (*opened == OpenOutcome::EmptyFile)
    NewSong(song_, true);
  song_.fileName = FileNameBytes(abandoned.fileName).toStdString();
  ownFile_ = abandoned.fileName;
  ownMidiFile_.clear();
  if (options().isSaveTone && !abandoned.fileName.isEmpty())
    LoadTones(song_, abandoned.fileName);
  song_.dirty = true;
  KeepInferredKey(song_, false);
  fitUndo_.reset();
  restartHistory();               // dirty: no snapshot holds what a file holds
  changedAt_ = abandoned.changed; // still the time the user last changed it
  scheduleRecord();
  emit songReplaced();
  announce(before);
  return writeRecoveryRecord();
}

Status EditorSession::exportMidi(const QString &path) {
  syncNoteLists();
  (void)writeRecoveryRecord(); // as before a save
  RecalcTimes(song_);
  Status written = ExportMidiFile(song_, path);
  if (written)
    ownMidiFile_ = path;
  return written;
}

Status EditorSession::exportMusicXml(const QString &path, const PartNames &names) {
  syncNoteLists();
  RecalcTimes(song_);
  return ExportMusicXmlFile(song_, path, names);
}

Status EditorSession::writeEventList() {
  syncNoteLists();
  RecalcTimes(song_);
  return WriteEventListLog(song_);
}

// --- undo ------------------------------------------------------------------------------------

void EditorSession::apply(const EditOutcome &outcome, bool noteListsCurrent) {
  // The first notes enough to tell a key fix it; later edits never change it.
  KeepInferredKey(song_, edited_ == EditedLists::Score);
  if (outcome.changed)
    setDirty(true);
  if (outcome.snapshot)
    takeSnapshot(noteListsCurrent);
}

void EditorSession::restartHistory() {
  fitUndo_.reset();
  history_.restart();
  history_.takeSnapshot(song_, false);
  takeRecordText();
  if (!song_.dirty)
    history_.markClean();
  emit historyChanged();
}

void EditorSession::takeSnapshot(bool noteListsCurrent) {
  fitUndo_.reset();
  // A step that changed nothing keeps a clean song clean, also after undo and redo.
  const bool clean = !song_.dirty && history_.atCleanSnapshot();
  history_.setDiskCap(options().undoDiskBytes);
  history_.takeSnapshot(song_, edited_ == EditedLists::Score && !noteListsCurrent);
  takeRecordText();
  if (clean)
    history_.markClean();
  if (!history_.writeFault().empty())
    reportRecoveryFault(history_.writeFault());
  noteChange();
  emit historyChanged();
}

Status EditorSession::loadSnapshot(bool forward) {
  const Marks before = marks();
  const int from = history_.undoIndex();
  recordTextCurrent_ = false;
  Status loaded = forward ? history_.redo(song_) : history_.undo(song_);
  if (loaded && history_.undoIndex() != from) {
    // Back at what the file holds, the song is clean; anywhere else it differs from it.
    song_.dirty = !history_.atCleanSnapshot();
    KeepInferredKey(song_, false);
    noteChange();
    emit songReplaced();
    emit historyChanged();
  }
  announce(before);
  return loaded;
}

Status EditorSession::undo() {
  recordTextCurrent_ = false;
  if (fitUndo_ && history_.undoIndex() == fitUndo_->indexAfter) {
    // As a snapshot's undo, this leaves the file name and the dirty flag alone.
    const std::string fileName = std::move(song_.fileName);
    const bool dirty = song_.dirty;
    song_ = std::move(fitUndo_->before);
    song_.fileName = fileName;
    song_.dirty = dirty;
    BuildScoreList(song_);
    history_.stepBackTo(fitUndo_->indexBefore);
    fitUndo_.reset();
    noteChange();
    emit songReplaced();
    emit historyChanged();
    return Ok{};
  }
  fitUndo_.reset();
  if (options().isManyUndo)
    return loadSnapshot(false);
  const int part = ExchangeWithBackup(song_, edited_ == EditedLists::Score);
  if (part != 0) {
    noteChange();
    // The other list shows the exchanged notes too.
    if (edited_ == EditedLists::Notes)
      BuildScoreList(song_);
    emit notesChanged(part);
  }
  return Ok{};
}

Status EditorSession::redo() {
  fitUndo_.reset();
  return loadSnapshot(true);
}

bool EditorSession::canUndo() const {
  if (fitUndo_ && history_.undoIndex() == fitUndo_->indexAfter)
    return true;
  return options().isManyUndo ? history_.canUndo() : true;
}

bool EditorSession::canRedo() const {
  return history_.canRedo();
}

ScoreKeyOutcome EditorSession::applyScore(const ScoreKeyOutcome &out) {
  apply(EditOutcome{out.dirty, out.snapshot, {}}, out.noteListsCurrent);
  if (out.changed || out.dirty)
    emit songChanged();
  else
    emit marksChanged();
  return out;
}

// --- marks and display choices ----------------------------------------------------------------

void EditorSession::setCurrentPart(int part) {
  if (part < 1 || part > kUserParts)
    return;
  song_.currentPart = part;
  emit sourceCursorChanged(part, song_.part(part).cursor);
}

void EditorSession::setSourceCursor(int row) {
  song_.part(song_.currentPart).cursor = row;
  emit sourceCursorChanged(song_.currentPart, row);
}

void EditorSession::pointAtNote(int part, int element) {
  if (part < 1 || part > kUserParts)
    return;
  song_.currentPart = part;
  Part &p = song_.part(part);
  p.cursor = element;
  p.scoreHeader.cursor = element;
  p.scoreHeader.selStart = element;
  p.scoreHeader.selLength = 1;
  emit sourceCursorChanged(part, element);
  emit marksChanged();
}

void EditorSession::setScoreSelection(int part, int length) {
  song_.part(part).scoreHeader.selLength = length;
  emit marksChanged();
}

void EditorSession::setDisplay(const ScoreDisplay &display) {
  song_.display = display;
  emit songChanged();
}

void EditorSession::recalcTimes() {
  RecalcTimes(song_);
}

// --- playback --------------------------------------------------------------------------------

bool EditorSession::isPlaying() const {
  return player_->playing();
}

void EditorSession::useSoundOutput(const std::string &outputName,
                                   const std::string &soundFontPath) {
  midi_->replaceBackend(CreateMidiBackend({outputName, soundFontPath}));
}

void EditorSession::setPlayerView(PlayerHost *view, PlayLineView *line) {
  relay_->setView(view, line);
}

// --- crash recovery --------------------------------------------------------------------------

void EditorSession::keepRecordText(const QByteArray &smdText) {
  lastSmdLine_ = smdText;
  while (lastSmdLine_.endsWith('\n') || lastSmdLine_.endsWith('\r'))
    lastSmdLine_.chop(1);
  recordTextCurrent_ = true;
}

void EditorSession::takeRecordText() {
  if (history_.newestText().isEmpty())
    recordTextCurrent_ = false;
  else
    keepRecordText(history_.newestText());
}

void EditorSession::noteChange() {
  changedAt_ = QDateTime::currentDateTimeUtc();
  scheduleRecord();
}

void EditorSession::scheduleRecord() {
  recordPending_ = true;
  if (!recordTimer_.isActive())
    recordTimer_.start();
}

Status EditorSession::writeRecoveryRecord() {
  recordTimer_.stop();
  if (!recordPending_)
    return Ok{};
  const QString recordFile = history_.recoveryPath();
  if (recordFile.isEmpty())
    return Error("no snapshot folder");
  // While playing, the note lists are current and the player walks them: they stay put.
  if (!isPlaying())
    syncNoteLists();
  // A snapshot taken since the last change encoded the song already.
  if (!recordTextCurrent_)
    if (const Result<QByteArray> encoded = encodeSmd())
      keepRecordText(*encoded);
  RecoveryRecord record;
  record.smdLine = lastSmdLine_;
  record.fileName = path();
  record.dirty = song_.dirty;
  record.changed = changedAt_;
  Status written = WriteFileAtomically(recordFile, FormatRecoveryRecord(record));
  if (written)
    recordPending_ = false;
  else
    reportRecoveryFault(written.error());
  return written;
}

void EditorSession::reportRecoveryFault(const std::string &reason) {
  if (recoveryFaultReported_)
    return;
  recoveryFaultReported_ = true;
  emit recoveryUnavailable(QString::fromStdString(reason));
}

void EditorSession::reportToneStoreFault(const std::string &reason) {
  if (reason.empty() || toneStoreFaultReported_)
    return;
  toneStoreFaultReported_ = true;
  emit toneStoreUnavailable(ToneStorePath(), QString::fromStdString(reason));
}

void EditorSession::closeHistory() {
  if (song_.dirty) {
    recordPending_ = true; // the last word, whatever was changed without a mark
    recordTextCurrent_ = false;
  }
  (void)writeRecoveryRecord();
  if (song_.dirty)
    history_.keep();
  else
    history_.discard();
}

void EditorSession::shutDown() {
  if (shutDown_)
    return;
  shutDown_ = true;
  player_->stopSong();
  midi_->MidiReset();
  midi_->MidiClose();
  closeHistory();
  DeleteTemporaryFiles(programDirectory_);
}

} // namespace pipora
