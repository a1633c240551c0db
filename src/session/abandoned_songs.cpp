#include "session/abandoned_songs.h"

#include "formats/smd/smd_reader.h"
#include "platform/files/file_io.h"
#include "platform/files/private_folders.h"
#include "session/recovery_record.h"
#include "session/undo_history.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace pipora {
namespace {

QString TitleOf(const QByteArray &smdLine) {
  const Result<SmdDocument> doc = DecodeSmd(smdLine);
  return doc ? QString::fromStdString(doc->song.title) : QString();
}

// What a folder holds that was never saved, if anything.
std::optional<AbandonedSong> UnsavedSongIn(const QDir &folder) {
  const QString recordPath = folder.filePath(QString::fromLatin1(kRecoveryFileName));
  if (const Result<QByteArray> bytes = ReadWholeFile(recordPath)) {
    if (const Result<RecoveryRecord> record = ParseRecoveryRecord(*bytes)) {
      if (!record->dirty)
        return std::nullopt;
      AbandonedSong song;
      song.songFile = recordPath;
      song.title = TitleOf(record->smdLine);
      song.fileName = record->fileName;
      song.changed = record->changed;
      return song;
    }
  }
  // An editor that wrote snapshots but no readable record: its newest snapshot is the song;
  // whether it was saved is not known, so a song with anything in it is offered.
  QFileInfoList snapshots = folder.entryInfoList({QStringLiteral("pipora*.tmp")}, QDir::Files);
  if (snapshots.isEmpty())
    return std::nullopt;
  // Snapshots written in the same tick of the file system's clock: the later number is newer.
  const auto number = [](const QFileInfo &f) { return f.baseName().mid(6).toInt(); };
  const QFileInfo newest = *std::max_element(snapshots.begin(), snapshots.end(),
                                             [&](const QFileInfo &a, const QFileInfo &b) {
                                               if (a.lastModified() != b.lastModified())
                                                 return a.lastModified() < b.lastModified();
                                               return number(a) < number(b);
                                             });
  const Result<QByteArray> line = ReadFirstLine(newest.filePath(), kMaxSmdLineBytes);
  if (!line || line->isEmpty())
    return std::nullopt;
  AbandonedSong song;
  song.songFile = newest.filePath();
  song.title = TitleOf(*line);
  song.changed = newest.lastModified().toUTC();
  return song;
}

} // namespace

std::vector<AbandonedSong> ClaimAbandonedSongs(const QString &programDirectory) {
  const QDir dir(programDirectory);
  std::vector<AbandonedSong> songs;
  for (const QString &name : dir.entryList({SnapshotFolderPattern()}, QDir::Dirs)) {
    const QDir folder(dir.filePath(name));
    // Editors make real folders; a link of that name leads somewhere else, and neither its
    // lock nor its removal may reach there: the link alone goes.
    if (IsSymbolicLink(folder.path())) {
      RemoveSymbolicLink(folder.path());
      continue;
    }
    auto claim = std::make_unique<QLockFile>(SnapshotFolderLock(folder.path()));
    claim->setStaleLockTime(0); // only a dead owner makes the lock stale
    // Taking the lock succeeds only when no running editor holds it.
    if (!claim->tryLock(0))
      continue;
    std::optional<AbandonedSong> song = UnsavedSongIn(folder);
    if (!song) {
      RemoveSnapshotFolder(folder.path(), *claim); // nothing in it was left unsaved
      continue;
    }
    song->folder = folder.path();
    song->claim = std::move(claim);
    songs.push_back(std::move(*song));
  }
  std::stable_sort(songs.begin(), songs.end(), [](const AbandonedSong &a, const AbandonedSong &b) {
    return a.changed > b.changed;
  });
  return songs;
}

bool DiscardAbandonedSong(AbandonedSong &song) {
  if (!song.claim)
    return false; // released: another editor may have it now
  const bool removed = RemoveSnapshotFolder(song.folder, *song.claim);
  song.claim.reset();
  return removed;
}

void ReleaseAbandonedSong(AbandonedSong &song) {
  if (song.claim)
    song.claim->unlock();
  song.claim.reset();
}

} // namespace pipora
