#include "views/file_commands.h"

#include "model/file_messages.h"
#include "platform/files/file_io.h"
#include "session/song_files.h"
#include "settings/tone_names.h"
#include "views/file_failure.h"
#include "views/main_window.h"
#include "views/property/property_window.h"
#include "views/score/score_editor_window.h"
#include "views/source/source_editor_window.h"

#include <QApplication>
#include <QFileInfo>

#include <algorithm>

namespace pipora {
namespace {

QString Text(std::string_view message) {
  return QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
}

} // namespace

FileCommands::FileCommands(AppContext &ctx, MainWindow &frame) : ctx_(ctx), frame_(frame) {}

QStringList FileCommands::SmdFilters() {
  return {QStringLiteral("すべてのファイル（*.*）|*.*"),
          QStringLiteral("SMDファイル、SMZファイル（*.smd;*.smz）|*.smd;*.smz")};
}

QStringList FileCommands::OpenFilters() {
  return SmdFilters() << QStringLiteral(
             "MusicXMLファイル（*.musicxml;*.xml;*.mxl）|*.musicxml;*.xml;*.mxl");
}

QStringList FileCommands::MidiFilters() {
  return {QStringLiteral("標準MIDIファイル（*.mid）|*.mid"),
          QStringLiteral("すべてのファイル（*.*）|*.*")};
}

QStringList FileCommands::MusicXmlExportFilters() {
  return {QStringLiteral("MusicXMLファイル（*.musicxml）|*.musicxml"),
          QStringLiteral("圧縮MusicXMLファイル（*.mxl）|*.mxl")};
}

QWidget *FileCommands::parentWidget() const {
  return &frame_;
}

// Asks before the song is replaced. False when the changes should stay: the user cancelled
// (Escape, or closing the box), or wanted them saved and the save did not complete.
bool FileCommands::askToSaveChanges() {
  if (!ctx_.session.isDirty())
    return true;
  switch (frame_.prompts().question(parentWidget(), Text(kChangedQuestion), true)) {
  case Answer::Yes:
    return saveSmd();
  case Answer::No:
    return true;
  case Answer::Cancel:
    break;
  }
  return false;
}

// --- New and Open ----------------------------------------------------------------------

bool FileCommands::newSong() {
  if (!askToSaveChanges())
    return false;
  ctx_.session.newSong();
  return true;
}

bool FileCommands::openSmd(const QString &handedOver, bool dialogOnFailure) {
  // A refused save keeps the song: opening over it would lose the changes.
  if (!askToSaveChanges())
    return false;
  QString path = handedOver;
  if (handedOver.isEmpty()) {
    FileDialogRequest request;
    request.filters = OpenFilters();
    request.selectedFilter = 1;
    request.initialName = ctx_.settings.LastFileName;
    request.maxNameLength = ctx_.settings.maxFileNameLength();
    path = frame_.prompts().openFileName(parentWidget(), request);
    if (path.isEmpty())
      return false;
    // A score chosen under the MusicXML filter, or known by its content, is imported.
    if (const Result<SongFileKind> kind = SongFileKindAt(path);
        kind && *kind == SongFileKind::MusicXml)
      return importMusicXml(path);
  }
  const Result<OpenOutcome> opened = ctx_.session.open(path);
  if (!opened) {
    // With nobody to choose another file, why this one did not open is said instead.
    if (!handedOver.isEmpty() && dialogOnFailure && frame_.prompts().canAsk())
      return openSmd();
    ShowFileFailure(frame_.prompts(), parentWidget(), path, opened.failure(), FileAccess::Read);
    return false;
  }
  ctx_.settings.LastFileName = path;
  rememberRecent(path);
  frame_.scoreEditor()->showSongStart();
  return true;
}

void FileCommands::rememberRecent(const QString &path) {
  ctx_.settings.recentFiles.add(AbsoluteFileName(path));
}

bool FileCommands::openRecent(const QString &path) {
  if (!FileExists(path)) {
    frame_.prompts().warning(parentWidget(),
                             path + QStringLiteral("\nファイルが見つかりません。最近使ったファイル"
                                                   "の一覧から削除します。"));
    ctx_.settings.recentFiles.remove(path);
    return false;
  }
  return openSongFile(path, false);
}

bool FileCommands::openSongFile(const QString &path, bool dialogOnFailure) {
  const Result<SongFileKind> kind = SongFileKindAt(path);
  if (!kind) {
    ShowFileFailure(frame_.prompts(), parentWidget(), path, kind.failure(), FileAccess::Read);
    return false;
  }
  switch (*kind) {
  case SongFileKind::Smd:
    return openSmd(path, dialogOnFailure);
  case SongFileKind::Midi:
    return openMidi(path);
  case SongFileKind::MusicXml:
    return openMusicXml(path);
  }
  return false;
}

// --- Save and Save As --------------------------------------------------------------------

void FileCommands::showCheckFailure(int part, int element, const QString &message) {
  if (part >= 1 && part <= kUserParts) {
    frame_.sourceEditor()->bringForward(); // the score editor hands its lists back first
    ctx_.session.setCurrentPart(part);
    ctx_.session.setSourceCursor(element);
    frame_.showPartInList(part);
  }
  // Not only this note: the list shows everything the save would refuse.
  frame_.showProblems();
  QApplication::processEvents();
  frame_.prompts().warning(parentWidget(), message);
}

bool FileCommands::saveSmd(bool overwriteConfirmed) {
  ctx_.session.syncNoteLists();
  frame_.propertyWindow()->commitToSong();
  const auto showRefusal = [this](const Error &refused) {
    const NotePlace place = refused.place.value_or(NotePlace{});
    showCheckFailure(place.part, place.element, QString::fromStdString(refused.message));
    return false;
  };
  // A song without a file of its own (new, or imported from a MIDI file) is saved as a new
  // file, its name proposed: the check comes before the file dialog. Otherwise the save checks.
  if (!overwriteConfirmed && !ctx_.session.hasOwnFile()) {
    if (const Status check = ctx_.session.checkSmd(); !check)
      return showRefusal(check.failure());
    return saveSmdAs();
  }
  const QString path = ctx_.session.path();
  if (!overwriteConfirmed && !confirmReplacing(path))
    return false;
  frame_.updateCaption();
  if (const Status saved = ctx_.session.save(); !saved) {
    if (saved.failure().place)
      return showRefusal(saved.failure());
    ShowFileFailure(frame_.prompts(), parentWidget(), path, saved.failure(), FileAccess::Write);
    return false;
  }
  rememberRecent(path);
  return true;
}

// A file the song did not come from and was not written to is replaced only when the user
// says so; No is the default.
bool FileCommands::confirmReplacing(const QString &path) {
  return !ctx_.session.wouldReplaceAnotherFile(path) ||
         frame_.prompts().questionDefaultNo(parentWidget(), QFileInfo(path).fileName() +
                                                                Text(kAlreadyExistsQuestion)) ==
             Answer::Yes;
}

QString FileCommands::askSavePath(FileDialogRequest request) {
  request.maxNameLength = ctx_.settings.maxFileNameLength();
  QString path = frame_.prompts().saveFileName(parentWidget(), request);
  if (path.isEmpty())
    return {};
  // As the desktop's save dialogs do: a name typed without an extension gets the format's,
  // so that the Open dialog's filter shows the file. A given extension stays.
  if (!request.defaultSuffix.isEmpty() && QFileInfo(path).suffix().isEmpty())
    path += (path.endsWith('.') ? QString() : QStringLiteral(".")) + request.defaultSuffix;
  if (FileExists(path) &&
      frame_.prompts().question(parentWidget(), Text(kOverwriteQuestion), false) != Answer::Yes)
    return {};
  return path;
}

bool FileCommands::saveSmdAs() {
  FileDialogRequest request;
  request.filters = SmdFilters();
  request.selectedFilter = 1;
  request.initialName = ctx_.session.path();
  request.defaultSuffix = QStringLiteral("smd");
  const QString path = askSavePath(request);
  if (path.isEmpty())
    return false;
  ctx_.session.setPath(path);
  return saveSmd(true); // the dialog asked about an existing file
}

// --- MIDI ----------------------------------------------------------------------------------

bool FileCommands::openMidi(const QString &handedOver) {
  if (!askToSaveChanges())
    return false;
  QString path = handedOver;
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
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ImportReport report;
  const Result<MidiImportReport> imported = ctx_.session.importMidi(path, &report);
  QApplication::restoreOverrideCursor();
  return showImport(path, imported, report);
}

bool FileCommands::showImport(const QString &path, const Result<MidiImportReport> &imported,
                              const ImportReport &report) {
  if (!imported) {
    ShowFileFailure(frame_.prompts(), parentWidget(), path, imported.failure(), FileAccess::Read);
    return false;
  }
  ctx_.settings.LastFileName = ctx_.session.path();
  rememberRecent(path);
  frame_.scoreEditor()->showSongStart();
  frame_.showImportReport(report);
  for (const std::string &warning : imported->warnings)
    frame_.prompts().warning(parentWidget(),
                             path + QLatin1Char('\n') + QString::fromStdString(warning));
  if (imported->error) {
    ShowFileFailure(frame_.prompts(), parentWidget(), path, *imported->error, FileAccess::Read);
    return false;
  }
  return true;
}

bool FileCommands::openMusicXml(const QString &path) {
  return askToSaveChanges() && importMusicXml(path);
}

bool FileCommands::importMusicXml(const QString &path) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ImportReport report;
  const Result<MidiImportReport> imported = ctx_.session.importMusicXml(path, &report);
  QApplication::restoreOverrideCursor();
  return showImport(path, imported, report);
}

bool FileCommands::saveMidi(bool overwriteConfirmed) {
  ctx_.session.syncNoteLists();
  frame_.propertyWindow()->commitToSong();
  if (ctx_.session.path().isEmpty())
    return saveMidiAs();
  frame_.updateCaption();
  const QString path = WithLastThreeReplaced(ctx_.session.path(), "mid");
  if (!overwriteConfirmed && !confirmReplacing(path))
    return false;
  if (const Status written = ctx_.session.exportMidi(path); !written) {
    ShowFileFailure(frame_.prompts(), parentWidget(), path, written.failure(), FileAccess::Write);
    return false;
  }
  return true;
}

bool FileCommands::saveMidiAs() {
  FileDialogRequest request;
  request.filters = MidiFilters();
  request.selectedFilter = 0;
  if (!ctx_.session.path().isEmpty())
    request.initialName = WithLastThreeReplaced(ctx_.session.path(), "mid");
  request.defaultSuffix = QStringLiteral("mid");
  const QString path = askSavePath(request);
  if (path.isEmpty())
    return false;
  ctx_.session.setPath(WithLastThreeReplaced(path, "smd"));
  return saveMidi(true); // the dialog asked about an existing file
}

bool FileCommands::exportMusicXml() {
  ctx_.session.syncNoteLists();
  frame_.propertyWindow()->commitToSong();
  FileDialogRequest request;
  request.filters = MusicXmlExportFilters();
  request.selectedFilter = 0;
  if (!ctx_.session.path().isEmpty()) {
    const QFileInfo song(ctx_.session.path());
    request.initialName =
        song.path() + u'/' + song.completeBaseName() + QStringLiteral(".musicxml");
  }
  request.defaultSuffix = QStringLiteral("musicxml");
  const QString path = askSavePath(request);
  if (path.isEmpty())
    return false;
  const ToneNames tones = LoadToneNames(ToneNamesFilePath());
  PartNames names;
  for (int n = 1; n <= kUserParts; ++n) {
    const int tone = std::clamp(ctx_.song.part(n).tone, 0, kToneCount - 1);
    names[static_cast<std::size_t>(n)] = tones.names[static_cast<std::size_t>(tone)].toStdString();
  }
  if (const Status written = ctx_.session.exportMusicXml(path, names); !written) {
    ShowFileFailure(frame_.prompts(), parentWidget(), path, written.failure(), FileAccess::Write);
    return false;
  }
  return true;
}

void FileCommands::dumpEventList() {
  if (const Status written = ctx_.session.writeEventList(); !written) {
    ShowFileFailure(frame_.prompts(), parentWidget(), QStringLiteral("pipora.log"),
                    written.failure(), FileAccess::Write);
    return;
  }
  frame_.prompts().message(parentWidget(), QString::fromUtf8(kEventListWrittenMessage));
}

// --- hand-over -------------------------------------------------------------------------------

void FileCommands::openHandOver(const QString &path) {
  if (!path.isEmpty())
    openSongFile(path, true);
}

} // namespace pipora
