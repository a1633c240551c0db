#include "session/undo_history.h"

#include "model/new_song.h"
#include "platform/files/private_folders.h"
#include "session/recovery_record.h"
#include "session/smd_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <algorithm>
#include <utility>

namespace pipora {

namespace {

const QString kFolderPrefix = QStringLiteral("pipora-undo-");
const QString kOwnerLock = QStringLiteral("owner.lock");

} // namespace

UndoHistory::UndoHistory(const QString &programDirectory) {
  const QString pattern = QDir(programDirectory).filePath(kFolderPrefix + QStringLiteral("XXXXXX"));
  // An editor starting at this moment may look at a new folder before its lock exists and
  // claim it as abandoned; the history then takes another folder.
  for (int attempt = 0; attempt < 3; ++attempt) {
    auto folder = std::make_unique<QTemporaryDir>(pattern);
    if (!folder->isValid())
      break;
    auto owner = std::make_unique<QLockFile>(SnapshotFolderLock(folder->path()));
    owner->setStaleLockTime(0); // only a dead owner makes the lock stale
    if (owner->tryLock(0)) {
      // The lock names this user's host and process: for this user alone, as the folder.
      QFile::setPermissions(SnapshotFolderLock(folder->path()),
                            QFileDevice::ReadOwner | QFileDevice::WriteOwner);
      folder_ = std::move(folder);
      owner_ = std::move(owner);
      return;
    }
    folder->setAutoRemove(false); // the other editor removes what it claimed
  }
}

QString SnapshotFolderPattern() {
  return kFolderPrefix + QStringLiteral("*");
}

QString SnapshotFolderLock(const QString &folder) {
  return QDir(folder).filePath(kOwnerLock);
}

bool RemoveSnapshotFolder(const QString &folder, QLockFile &lock) {
  // A link where the folder was: only the link goes, never what it leads to.
  if (IsSymbolicLink(folder)) {
    lock.unlock();
    return RemoveSymbolicLink(folder);
  }
  // Everything but the lock first, so that no other editor takes the folder for abandoned
  // while it is half gone; then the lock, then the empty folder. No link inside is followed.
  const bool removed = RemoveFolderContents(folder, kOwnerLock);
  lock.unlock();
  return QDir().rmdir(folder) && removed;
}

bool UndoHistory::usable() const {
  return folder_ && folder_->isValid();
}

QString UndoHistory::folder() const {
  return usable() ? folder_->path() : QString();
}

QString UndoHistory::snapshotPath(int index) const {
  return usable() ? folder_->filePath(QStringLiteral("pipora%1.tmp").arg(index)) : QString();
}

QString UndoHistory::recoveryPath() const {
  return usable() ? folder_->filePath(QString::fromLatin1(kRecoveryFileName)) : QString();
}

void UndoHistory::discard() {
  if (!folder_)
    return;
  folder_->setAutoRemove(false);
  if (owner_)
    RemoveSnapshotFolder(folder_->path(), *owner_);
  else
    folder_->remove();
  folder_.reset();
  owner_.reset();
}

void UndoHistory::keep() {
  if (!folder_)
    return;
  folder_->setAutoRemove(false);
  if (owner_)
    owner_->unlock();
  owner_.reset();
  folder_.reset();
}

void UndoHistory::restart() {
  // The song before is gone for good: its snapshots would only take disk.
  if (usable()) {
    QDir folder(folder_->path());
    for (const QString &name : folder.entryList({QStringLiteral("pipora*.tmp")}, QDir::Files))
      QFile::remove(folder.filePath(name));
  }
  undoIndex_ = -1;
  oldest_ = 0;
  cleanIndex_ = -1;
  newestText_.clear();
  sizes_.clear();
}

bool UndoHistory::newestHolds(const QByteArray &smdText) const {
  if (!usable() || undoIndex_ < 0)
    return false;
  if (!newestText_.isEmpty())
    return newestText_ == smdText;
  QFile snapshot(snapshotPath(undoIndex_));
  return snapshot.open(QIODevice::ReadOnly) && snapshot.readAll() == smdText;
}

bool UndoHistory::canRedo() const {
  return usable() && QFile::exists(snapshotPath(undoIndex_ + 1));
}

void UndoHistory::takeSnapshot(Song &song, bool scoreEditorActive) {
  if (scoreEditorActive)
    BuildNoteList(song);
  ++undoIndex_;
  Result<QByteArray> snapshot = usable() ? WriteSmdSnapshot(song, snapshotPath(undoIndex_))
                                         : Result<QByteArray>(Error{"no folder for snapshots"});
  const bool written = snapshot.ok();
  newestText_ = written ? std::move(*snapshot) : QByteArray();
  // A song the save checks refuse takes no snapshot by design (its error names a note).
  writeFault_ = written || snapshot.failure().place ? std::string() : snapshot.error();
  if (!written)
    --undoIndex_;
  if (undoIndex_ < 0)
    return;
  const auto at = static_cast<std::size_t>(undoIndex_);
  if (parts_.size() < at + 1) {
    parts_.resize(at + 1);
    cursors_.resize(at + 1);
  }
  if (sizes_.size() < at + 1)
    sizes_.resize(at + 1);
  if (written) {
    sizes_[at] = QFileInfo(snapshotPath(undoIndex_)).size();
    // The clean state's snapshot, or one that redo could have reached, is gone.
    if (cleanIndex_ >= undoIndex_)
      cleanIndex_ = -1;
  }
  parts_[at] = static_cast<std::int16_t>(song.currentPart);
  cursors_[at] = song.part(song.currentPart).scoreHeader.cursor;
  QFile::remove(snapshotPath(undoIndex_ + 1));
  if (written)
    dropOldest();
}

void UndoHistory::dropOldest() {
  if (diskCap_ <= 0)
    return;
  qint64 used = 0;
  for (int i = oldest_; i <= undoIndex_; ++i)
    used += sizes_[static_cast<std::size_t>(i)];
  while (used > diskCap_ && oldest_ < undoIndex_) {
    QFile::remove(snapshotPath(oldest_));
    used -= sizes_[static_cast<std::size_t>(oldest_)];
    ++oldest_;
  }
}

Status UndoHistory::load(Song &song, int index) {
  newestText_.clear();
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
  if (undoIndex_ == oldest_ && oldest_ > 0)
    return Error{std::string(kOldestUndoGoneMessage)};
  if (undoIndex_ <= oldest_)
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
