#include "session/undo_history.h"

#include "model/new_song.h"
#include "session/smd_files.h"

#include <QDir>
#include <QFile>
#include <QLockFile>

#include <algorithm>
#include <utility>

namespace pipora {

namespace {

const QString kFolderPrefix = QStringLiteral("pipora-undo-");
const QString kOwnerLock = QStringLiteral("owner.lock");

} // namespace

UndoHistory::UndoHistory(const QString &programDirectory)
    : folder_(QDir(programDirectory).filePath(kFolderPrefix + QStringLiteral("XXXXXX"))) {
  folder_.setAutoRemove(true);
  if (folder_.isValid()) {
    owner_ = std::make_unique<QLockFile>(folder_.filePath(kOwnerLock));
    owner_->setStaleLockTime(0); // only a dead owner makes the lock stale
    owner_->tryLock(0);
  }
}

int RemoveAbandonedSnapshotFolders(const QString &programDirectory) {
  const QDir dir(programDirectory);
  int removed = 0;
  for (const QString &name : dir.entryList({kFolderPrefix + QStringLiteral("*")}, QDir::Dirs)) {
    QDir folder(dir.filePath(name));
    QLockFile owner(folder.filePath(kOwnerLock));
    owner.setStaleLockTime(0);
    // Taking the lock succeeds only when no running editor holds it.
    if (!owner.tryLock(0))
      continue;
    owner.unlock();
    if (folder.removeRecursively())
      ++removed;
  }
  return removed;
}

QString UndoHistory::folder() const {
  return folder_.isValid() ? folder_.path() : QString();
}

QString UndoHistory::snapshotPath(int index) const {
  return folder_.filePath(QStringLiteral("pipora%1.tmp").arg(index));
}

void UndoHistory::discard() {
  if (owner_)
    owner_->unlock();
  folder_.remove();
}

bool UndoHistory::canRedo() const {
  return folder_.isValid() && QFile::exists(snapshotPath(undoIndex_ + 1));
}

void UndoHistory::takeSnapshot(Song &song, bool scoreEditorActive, bool isSaveTone) {
  if (scoreEditorActive)
    BuildNoteList(song);
  ++undoIndex_;
  if (!folder_.isValid() || !WriteSmdSnapshot(song, snapshotPath(undoIndex_), isSaveTone))
    --undoIndex_;
  if (undoIndex_ < 0)
    return;
  const auto at = static_cast<std::size_t>(undoIndex_);
  if (parts_.size() < at + 1) {
    parts_.resize(at + 1);
    cursors_.resize(at + 1);
  }
  parts_[at] = static_cast<std::int16_t>(song.currentPart);
  cursors_[at] = song.part(song.currentPart).scoreHeader.cursor;
  QFile::remove(snapshotPath(undoIndex_ + 1));
}

Status UndoHistory::load(Song &song, int index) {
  OpenOptions options;
  options.snapshotMode = true;
  auto opened = OpenSmdFile(song, snapshotPath(index), options);
  if (!opened)
    return opened.failure();
  // A song with no title and no notes is written as an empty line, which the open routine
  // reads as "nothing to load"; for a snapshot it means the empty song.
  if (*opened == OpenOutcome::EmptyFile)
    NewSong(song, true);
  const auto at = static_cast<std::size_t>(index);
  if (at < parts_.size()) {
    const int part = std::clamp<int>(parts_[at], 1, kUserParts);
    song.currentPart = part;
    song.part(1).scoreHeader.partNumber = static_cast<std::int16_t>(part);
    Part &p = song.part(part);
    p.scoreHeader.cursor = std::clamp(cursors_[at], 0, p.scoreHeader.count);
    p.scoreHeader.selLength = 0;
    p.cursor = std::clamp(cursors_[at], 0, p.count);
  }
  return Ok{};
}

Status UndoHistory::undo(Song &song) {
  if (undoIndex_ <= 0)
    return Ok{};
  Status loaded = load(song, undoIndex_ - 1);
  if (loaded)
    --undoIndex_;
  return loaded;
}

Status UndoHistory::redo(Song &song) {
  if (!canRedo())
    return Ok{};
  Status loaded = load(song, undoIndex_ + 1);
  if (loaded)
    ++undoIndex_;
  return loaded;
}

} // namespace pipora
