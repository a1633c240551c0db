#pragma once
// The File menu's commands with their dialogs, questions and messages: New, Open, Save,
// Save As, the MIDI import and export, and the event-list dump. The session does the work;
// this class only asks, calls it and reports.
#include "views/app_context.h"
#include "views/prompts.h"

namespace pipora {

class MainWindow;

class FileCommands {
public:
  FileCommands(AppContext &ctx, MainWindow &frame);

  // Each returns whether it completed (a refused, cancelled or failed command: false).
  bool newSong();
  // `handedOver`: a file named on the command line, dropped or chosen from the recent files,
  // opened without the dialog; an SMD file that fails to open falls back to the dialog
  // unless `dialogOnFailure` is false (its failure is shown then).
  bool openSmd(const QString &handedOver = {}, bool dialogOnFailure = true);
  // A song without a file of its own runs Save As. `overwriteConfirmed`: the save dialog
  // chose the name and asked about replacing an existing file.
  bool saveSmd(bool overwriteConfirmed = false);
  bool saveSmdAs();
  bool openMidi(const QString &handedOver = {});
  // A MusicXML score, imported as a MIDI file is, with the same report.
  bool openMusicXml(const QString &path);
  // An item of "最近使ったファイル": opened as its kind (SongFileKindAt); a file that is gone
  // is said so and taken off the list.
  bool openRecent(const QString &path);
  // Opens or imports the file as its content and name say (SongFileKindAt); a file of no kind
  // the editor reads is refused with the reason. `dialogOnFailure` as for openSmd.
  bool openSongFile(const QString &path, bool dialogOnFailure);
  // `overwriteConfirmed`: the save dialog already asked about replacing an existing file.
  bool saveMidi(bool overwriteConfirmed = false);
  bool saveMidiAs();
  void dumpEventList();
  // エクスポート ▸ MusicXML: the song as a MusicXML score (.musicxml, or .mxl compressed),
  // its parts named by their tones.
  bool exportMusicXml();

  // A file named on the command line or dropped on an editor, opened as its kind.
  void openHandOver(const QString &path);

  // The dialogs' filter lists.
  static QStringList SmdFilters();
  // Open's: SMD, and MusicXML scores to import.
  static QStringList OpenFilters();
  static QStringList MidiFilters();
  static QStringList MusicXmlExportFilters();

private:
  bool askToSaveChanges();
  // The MusicXML import once the changes were answered for.
  bool importMusicXml(const QString &path);
  // After an import: the recent files, the report, and the damage that stopped the reading.
  bool showImport(const QString &path, const Result<MidiImportReport> &imported,
                  const ImportReport &report);
  // The save dialog, then the overwrite question for an existing file; empty when either
  // was declined.
  QString askSavePath(FileDialogRequest request);
  void showCheckFailure(int part, int element, const QString &message);
  QWidget *parentWidget() const;
  void rememberRecent(const QString &path);
  bool confirmReplacing(const QString &path);

  AppContext &ctx_;
  MainWindow &frame_;
};

} // namespace pipora
