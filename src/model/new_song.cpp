#include "model/new_song.h"

namespace pipora {

void NewSong(Song &song, bool snapshotMode) {
  ResetParts(song);
  for (int n = 1; n <= kClipboardPart; ++n)
    song.part(n).scoreHeader.count = 0;
  for (int n = 1; n <= kUserParts; ++n)
    song.part(n).volume = kDefaultVolume;
  song.currentPart = 1;
  song.setTempo(TempoChoice::Normal);
  song.title.clear();
  if (!snapshotMode) {
    song.fileName.clear();
    song.dirty = false;
  }
  RecalcTimes(song);
  BuildScoreList(song);
}

} // namespace pipora
