#include "views/file_commands.h"

#include "formats/midi/midi_files.h"
#include "formats/smd/smd_reader.h"
#include "formats/smd/smd_writer.h"
#include "model/file_messages.h"
#include "views/main_window.h"
#include "views/property/property_window.h"
#include "views/source/source_editor_window.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

namespace pipora {
namespace {

QString Text(std::string_view message) {
  return QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
}

const QString kReadFailed = Text(kReadFailedMessage);
const QString kWriteFailed = Text(kWriteFailedMessage);

QString FailureText(const QString &path, const QString &description, const QString &tail) {
  return path + "\n" + description + "\n" + tail;
}

QString Lower3(const QString &path) {
  return path.right(3).toLower();
}

} // namespace

FileCommands::FileCommands(AppContext &ctx, MainWindow &frame) : ctx_(ctx), frame_(frame) {}

QStringList FileCommands::SmdFilters() {
  return {QStringLiteral("すべてのファイル（*.*）|*.*"),
          QStringLiteral("SMDファイル、SMZファイル（*.smd;*.smz）|*.smd;*.smz")};
}

QStringList FileCommands::MidiFilters() {
  return {QStringLiteral("標準MIDIファイル（*.mid）|*.mid"),
          QStringLiteral("すべてのファイル（*.*）|*.*")};
}

QWidget *FileCommands::parentWidget() const {
  return &frame_;
}

void FileCommands::bringNoteListsUpToDate() {
  if (ctx_.hooks.scoreIsActive && ctx_.hooks.scoreIsActive())
    BuildNoteList(ctx_.song);
}

// Asks before the song is replaced. False when the changes should stay: the user wanted
// them saved and the save did not complete.
bool FileCommands::askToSaveChanges() {
  if (!ctx_.song.dirty || ctx_.snapshotMode)
    return true;
  if (frame_.prompts().question(parentWidget(), Text(kChangedQuestion), false) != Answer::Yes)
    return true;
  return saveSmd();
}

// --- New and Open ----------------------------------------------------------------------

bool FileCommands::newSong() {
  if (!askToSaveChanges())
    return false;
  // Refilling the source editor activates it; the focus then returns to this window.
  const std::optional<WindowId> activeWindow = ctx_.settings.activeWindow;
  NewSong(ctx_.song, ctx_.snapshotMode);
  if (!ctx_.snapshotMode)
    frame_.updateCaption();
  frame_.refreshViews();
  frame_.focusActiveWindow(activeWindow);
  if (!ctx_.snapshotMode) {
    if (ctx_.hooks.restartHistory)
      ctx_.hooks.restartHistory();
    ctx_.song.dirty = false;
  }
  return true;
}

bool FileCommands::openSmd() {
  // A refused save keeps the song: opening over it would lose the changes.
  if (!askToSaveChanges())
    return false;
  const bool handedOver = !ctx_.handOverFileName.isEmpty();
  QString path = ctx_.handOverFileName;
  if (!handedOver) {
    FileDialogRequest request;
    request.filters = SmdFilters();
    request.selectedFilter = 1;
    request.initialName = ctx_.settings.LastFileName;
    request.maxNameLength = ctx_.settings.maxFileNameLength();
    path = frame_.prompts().openFileName(parentWidget(), request);
    if (path.isEmpty())
      return false;
  }
  const std::optional<WindowId> activeWindow = ctx_.settings.activeWindow;
  OpenOptions options;
  options.snapshotMode = ctx_.snapshotMode;
  options.isSaveTone = ctx_.settings.isSaveTone;
  const Result<OpenOutcome> opened = OpenSmdFile(ctx_.song, path, options);
  if (!opened) {
    if (handedOver) {
      ctx_.handOverFileName.clear();
      return openSmd();
    }
    frame_.prompts().warning(parentWidget(), QString::fromStdString(opened.error()));
    return false;
  }
  if (!ctx_.snapshotMode)
    ctx_.settings.LastFileName = path;
  if (opened.value() == OpenOutcome::EmptyFile)
    return true;
  if (!ctx_.snapshotMode)
    frame_.updateCaption();
  frame_.refreshViews();
  frame_.focusActiveWindow(activeWindow);
  if (!ctx_.snapshotMode)
    ctx_.song.dirty = false;
  return true;
}

// --- Save and Save As --------------------------------------------------------------------

void FileCommands::showCheckFailure(int part, int element, const QString &message) {
  Song &song = ctx_.song;
  if (part >= 1 && part <= kUserParts) {
    ctx_.source->bringForward(); // the score editor hands its lists back first
    song.currentPart = part;
    song.part(part).cursor = element;
    frame_.ViewSrc(part);
  }
  QApplication::processEvents();
  frame_.prompts().warning(parentWidget(), message);
}

bool FileCommands::saveSmd() {
  bringNoteListsUpToDate();
  ctx_.props->commitToSong();
  Song &song = ctx_.song;
  const SmdEncoding check = EncodeSmd(song);
  if (!check.ok()) {
    showCheckFailure(check.failure->part, check.failure->element,
                     QString::fromStdString(check.failure->message));
    return false;
  }
  if (song.fileName.empty())
    return saveSmdAs();
  const QString path = QString::fromStdString(song.fileName);
  frame_.updateCaption();
  const SmdSaveResult saved = SaveSmdFile(song, path, ctx_.settings.isSaveTone);
  switch (saved.kind) {
  case SmdSaveResult::Kind::Saved:
    BuildScoreList(song); // a tie dropped from a triplet shows in the score too
    return true;
  case SmdSaveResult::Kind::CheckFailed:
    showCheckFailure(saved.check ? saved.check->part : 0, saved.check ? saved.check->element : 0,
                     QString::fromStdString(saved.message));
    return false;
  case SmdSaveResult::Kind::WriteFailed:
    frame_.prompts().warning(parentWidget(), QString::fromStdString(saved.message));
    return false;
  }
  return false;
}

QString FileCommands::askSavePath(FileDialogRequest request) {
  request.maxNameLength = ctx_.settings.maxFileNameLength();
  const QString path = frame_.prompts().saveFileName(parentWidget(), request);
  if (path.isEmpty())
    return {};
  if (QFileInfo::exists(path) &&
      frame_.prompts().question(parentWidget(), Text(kOverwriteQuestion), false) != Answer::Yes)
    return {};
  return path;
}

bool FileCommands::saveSmdAs() {
  FileDialogRequest request;
  request.filters = SmdFilters();
  request.selectedFilter = 1;
  request.initialName = QString::fromStdString(ctx_.song.fileName);
  const QString path = askSavePath(request);
  if (path.isEmpty())
    return false;
  ctx_.song.fileName = path.toStdString();
  return saveSmd();
}

// --- MIDI ----------------------------------------------------------------------------------

bool FileCommands::openMidi() {
  if (!askToSaveChanges())
    return false;
  const std::optional<WindowId> activeWindow = ctx_.settings.activeWindow;
  QString path = ctx_.handOverFileName;
  if (path.isEmpty()) {
    FileDialogRequest request;
    request.filters = MidiFilters();
    request.selectedFilter = 0;
    if (!ctx_.settings.LastFileName.isEmpty())
      request.initialName = WithLastThreeReplaced(ctx_.settings.LastFileName, "mid");
    request.maxNameLength = ctx_.settings.maxFileNameLength();
    path = frame_.prompts().openFileName(parentWidget(), request);
    if (path.isEmpty())
      return false;
  }
  // A file that cannot be read at all leaves the open song alone.
  QFile probe(path);
  if (!probe.open(QIODevice::ReadOnly)) {
    frame_.prompts().warning(parentWidget(), FailureText(path, probe.errorString(), kReadFailed));
    return false;
  }
  probe.close();

  MidiImportOptions options;
  options.triplets = ctx_.settings.is3;
  options.foldOctaves = ctx_.settings.isAuto;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const MidiImportResult imported = ImportMidiFile(ctx_.song, path, options);
  QApplication::restoreOverrideCursor();

  ctx_.settings.LastFileName = QString::fromStdString(ctx_.song.fileName);
  frame_.updateCaption();
  ctx_.song.currentPart = 1;
  frame_.refreshViews();
  frame_.focusActiveWindow(activeWindow);
  ctx_.song.dirty = false;
  if (!imported.ok()) {
    frame_.prompts().warning(
        parentWidget(), FailureText(path, QString::fromStdString(imported.error), kReadFailed));
    return false;
  }
  return true;
}

bool FileCommands::saveMidi() {
  bringNoteListsUpToDate();
  ctx_.props->commitToSong();
  Song &song = ctx_.song;
  if (song.fileName.empty())
    return saveMidiAs();
  frame_.updateCaption();
  RecalcTimes(song);
  const QString path = WithLastThreeReplaced(QString::fromStdString(song.fileName), "mid");
  const Status written = ExportMidiFile(song, path);
  if (!written) {
    frame_.prompts().warning(
        parentWidget(), FailureText(path, QString::fromStdString(written.error()), kWriteFailed));
    return false;
  }
  return true;
}

bool FileCommands::saveMidiAs() {
  FileDialogRequest request;
  request.filters = MidiFilters();
  request.selectedFilter = 0;
  if (!ctx_.song.fileName.empty())
    request.initialName = WithLastThreeReplaced(QString::fromStdString(ctx_.song.fileName), "mid");
  const QString path = askSavePath(request);
  if (path.isEmpty())
    return false;
  ctx_.song.fileName = WithLastThreeReplaced(path, "smd").toStdString();
  return saveMidi();
}

void FileCommands::dumpEventList() {
  bringNoteListsUpToDate();
  RecalcTimes(ctx_.song);
  const Status written = WriteEventListLog(ctx_.song);
  if (!written) {
    frame_.prompts().warning(parentWidget(),
                             FailureText(QStringLiteral("pipora.log"),
                                         QString::fromStdString(written.error()), kWriteFailed));
    return;
  }
  frame_.prompts().message(parentWidget(), QString::fromUtf8(kEventListWrittenMessage));
}

// --- hand-over -------------------------------------------------------------------------------

void FileCommands::openHandOver() {
  const QString ext = Lower3(ctx_.handOverFileName);
  if (ext == "smd" || ext == "smz")
    openSmd();
  else if (ext == "mid")
    openMidi();
  ctx_.handOverFileName.clear();
}

void FileCommands::openDropped(const QString &path) {
  ctx_.handOverFileName = path;
  openHandOver();
}

} // namespace pipora
