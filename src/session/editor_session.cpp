#include "session/editor_session.h"

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
  history_.takeSnapshot(song_, false, options().isSaveTone);
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
  if (before.path != song_.fileName) {
    history_.nameDocument(song_.fileName);
    emit pathChanged(path());
  }
  if (before.dirty != song_.dirty)
    emit dirtyChanged(song_.dirty);
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

void EditorSession::setDirty(bool dirty) {
  const Marks before = marks();
  song_.dirty = dirty;
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
  history_.restart();
  history_.takeSnapshot(song_, false, options().isSaveTone);
  song_.dirty = false;
  emit songReplaced();
  emit historyChanged();
  announce(before);
}

Result<OpenOutcome> EditorSession::open(const QString &path) {
  const Marks before = marks();
  fitUndo_.reset();
  OpenOptions open;
  open.isSaveTone = options().isSaveTone;
  Result<OpenOutcome> opened = OpenSmdFile(song_, path, open);
  if (opened && *opened == OpenOutcome::Loaded) {
    ownFile_ = path;
    ownMidiFile_.clear();
    history_.beginDocument(song_.fileName);
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
  const Result<QByteArray> encoded = encodeSmd();
  if (!encoded)
    return encoded.failure();
  Status saved = SaveSmdFile(song_, path(), *encoded, options().isSaveTone);
  // A tie dropped from a triplet shows in the score too.
  if (saved) {
    ownFile_ = path();
    BuildScoreList(song_);
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
    ownFile_.clear();
    ownMidiFile_ = path;
    history_.beginDocument(song_.fileName);
    song_.currentPart = 1;
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
    history_.beginDocument(song_.fileName);
    song_.currentPart = 1;
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
  fitUndo_.reset();
  history_.restart();
  history_.takeSnapshot(song_, false, false);
  changedAt_ = abandoned.changed; // still the time the user last changed it
  scheduleRecord();
  emit songReplaced();
  emit historyChanged();
  announce(before);
  return writeRecoveryRecord();
}

Status EditorSession::exportMidi(const QString &path) {
  syncNoteLists();
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
  if (outcome.changed)
    setDirty(true);
  if (outcome.snapshot)
    takeSnapshot(noteListsCurrent);
}

void EditorSession::takeSnapshot(bool noteListsCurrent) {
  fitUndo_.reset();
  history_.setDiskCap(options().undoDiskBytes);
  history_.takeSnapshot(song_, edited_ == EditedLists::Score && !noteListsCurrent,
                        options().isSaveTone);
  if (!history_.writeFault().empty())
    reportRecoveryFault(history_.writeFault());
  noteChange();
  emit historyChanged();
}

Status EditorSession::loadSnapshot(bool forward) {
  const Marks before = marks();
  const int document = history_.document();
  Status loaded = forward ? history_.redo(song_) : history_.undo(song_);
  if (loaded) {
    // Back in a song opened before: its file's tones, not those of the file opened since.
    if (history_.document() != document && options().isSaveTone && !song_.fileName.empty())
      LoadTones(song_, path());
    noteChange();
    emit songReplaced();
    emit historyChanged();
  }
  announce(before);
  return loaded;
}

Status EditorSession::undo() {
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
  if (const Result<QByteArray> encoded = encodeSmd()) {
    lastSmdLine_ = *encoded;
    while (lastSmdLine_.endsWith('\n') || lastSmdLine_.endsWith('\r'))
      lastSmdLine_.chop(1);
  }
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

void EditorSession::closeHistory() {
  if (song_.dirty)
    recordPending_ = true; // the last word, whatever was changed without a mark
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
