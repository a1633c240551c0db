#pragma once
// Unsaved songs left behind by editors that are no longer running. Each running editor
// holds the lock of its own snapshot folder; a folder whose lock is free belongs to an
// editor that crashed, was killed or was ended by a signal with unsaved work. Such a song is
// offered to the user, who brings it back or lets it go; a running editor's folder is never
// touched.
#include <QDateTime>
#include <QLockFile>
#include <QString>

#include <memory>
#include <vector>

namespace pipora {

struct AbandonedSong {
  QString folder;
  // The file whose first line is the song: the recovery record, or in a folder written
  // before there were records, the newest snapshot.
  QString songFile;
  QString title;     // UTF-8 title from the song, empty when it has none
  QString fileName;  // the file the song belongs to; empty when it was never saved
  QDateTime changed; // the last change
  // Held while the song is offered, so that an editor starting meanwhile leaves it alone.
  std::unique_ptr<QLockFile> claim;
};

// Looks at every snapshot folder in the program's directory whose editor is gone. Folders
// that hold nothing unsaved (the song was saved, or never changed) are removed; the others
// are returned, newest change first, each claimed until it is discarded or released.
std::vector<AbandonedSong> ClaimAbandonedSongs(const QString &programDirectory);

// Removes the song's folder (the user declined it, or it now lives in this editor).
bool DiscardAbandonedSong(AbandonedSong &song);

// Lets the claim go: the song is offered again at the next start.
void ReleaseAbandonedSong(AbandonedSong &song);

} // namespace pipora
