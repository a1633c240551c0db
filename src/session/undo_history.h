#pragma once
// Undo and redo. With many-level undo every change writes the whole song as a numbered SMD
// snapshot file; undo and redo read those files back. Each running editor keeps its snapshot
// files in a folder of its own inside the program's directory, so two editors never load or
// delete each other's snapshots. The folder's lock tells other editors it is in use; the
// folder goes when the history is discarded, and is kept (with its lock let go) when it still
// holds unsaved work, to be offered for recovery at the next start.
#include "model/result.h"
#include "model/song.h"

#include <QLockFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pipora {

// Undo at the oldest snapshot kept, when older ones were dropped for the disk cap.
inline constexpr std::string_view kOldestUndoGoneMessage =
    "これより前の状態は、取り消し履歴のディスク使用量の上限を超えたため削除されました。";

class UndoHistory {
public:
  explicit UndoHistory(const QString &programDirectory);
  UndoHistory(const UndoHistory &) = delete;
  UndoHistory &operator=(const UndoHistory &) = delete;

  // The folder holding this history's "pipora<k>.tmp" files; empty when it could not be made.
  QString folder() const;
  QString snapshotPath(int index) const;
  // The recovery record beside the snapshots (see session/recovery_record.h).
  QString recoveryPath() const;
  // The number of the newest snapshot the song corresponds to; -1 before the first.
  int undoIndex() const { return undoIndex_; }
  // True also at the oldest snapshot kept when older ones were dropped: undo then says so.
  bool canUndo() const { return undoIndex_ > oldest_ || (undoIndex_ == oldest_ && oldest_ > 0); }
  bool canRedo() const;

  // The most disk the snapshots may take together; the oldest go first when a new one passes
  // it (the newest always stays). 0: no limit.
  void setDiskCap(qint64 bytes) { diskCap_ = bytes; }

  // New starts the history again; the next snapshot is number 0, of an untitled song.
  void restart();
  // Each snapshot belongs to a document: the song of one New, Open or import, under the
  // file name it has now. Open and import start another document with its file name; a
  // Save As names the current one.
  void beginDocument(const std::string &fileName);
  void nameDocument(const std::string &fileName);
  int document() const { return document_; }
  // Goes back to an earlier snapshot without loading it, for a caller that put the song of
  // that moment back itself; the snapshots after it stay for redo.
  void stepBackTo(int index) {
    if (index >= 0 && index < undoIndex_)
      undoIndex_ = index;
  }
  // Deletes the folder and every snapshot in it (at exit); the history is unusable after.
  void discard();
  // Leaves the folder in place and lets its lock go (at an exit with unsaved work): the next
  // editor to start offers it for recovery. The history is unusable after.
  void keep();

  // Writes the next snapshot and forgets the ones after it. A song that fails the SMD checks
  // writes nothing; its current part and cursor are still recorded against the newest
  // snapshot. With the score editor active its lists are written back to the note lists first.
  // With `isSaveTone` the tones go to the tone store as after a save.
  void takeSnapshot(Song &song, bool scoreEditorActive, bool isSaveTone);
  // Why the last snapshot a savable song should have had could not be written (a full disk,
  // no folder); empty when it was. Cleared by the next snapshot written.
  const std::string &writeFault() const { return writeFault_; }
  // Why the last snapshot could not store the tones in the tone store; empty when it could.
  const std::string &toneStoreFault() const { return toneStoreFault_; }

  // Loads the previous (next) snapshot in place of the song and restores its current part and
  // score cursor. A snapshot of another document brings back that document's file name too,
  // and the song is unsaved, so that a save goes to the file the song came from and never
  // over the file opened since. Nothing happens at the ends of the history. A snapshot that cannot
  // be read leaves the song and the position in the history as they were and returns the message.
  Status undo(Song &song);
  Status redo(Song &song);

private:
  bool usable() const;
  Status load(Song &song, int index);

  std::unique_ptr<QTemporaryDir> folder_; // null when no folder could be made and locked
  // Held while this history lives: tells other editors the folder is in use.
  std::unique_ptr<QLockFile> owner_;
  // Drops the oldest snapshots until the rest fit the disk cap.
  void dropOldest();

  int undoIndex_ = -1;
  int oldest_ = 0; // the oldest snapshot still on disk
  std::string writeFault_;
  std::string toneStoreFault_;
  qint64 diskCap_ = 0;
  std::vector<qint64> sizes_; // per snapshot, bytes on disk
  std::vector<std::int16_t> parts_;
  std::vector<std::int32_t> cursors_;
  std::vector<int> snapshotDocuments_;         // per snapshot
  std::vector<std::string> documentNames_{""}; // per document
  int document_ = 0;
};

// The names of the snapshot folders ("pipora-undo-*") and the lock file inside one.
QString SnapshotFolderPattern();
QString SnapshotFolderLock(const QString &folder);
// Removes a snapshot folder whose lock `lock` holds, letting the lock go last.
bool RemoveSnapshotFolder(const QString &folder, QLockFile &lock);

} // namespace pipora
