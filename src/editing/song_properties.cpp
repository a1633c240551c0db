#include "editing/song_properties.h"

namespace pipora {

EditOutcome SetTitleAndTempo(Song &song, const std::string &title, int tempo) {
  const bool tempoMoves = tempo >= 0 && tempo != static_cast<int>(song.tempo);
  if (title == song.title && !tempoMoves)
    return EditOutcome::Unchanged();
  song.title = title;
  if (tempoMoves)
    song.setTempo(static_cast<TempoChoice>(tempo));
  return EditOutcome::Changed();
}

EditOutcome ChangeVolume(Song &song, int part, int change) {
  if (part < 1 || part > kUserParts)
    return EditOutcome::Unchanged();
  int &volume = song.part(part).volume;
  const bool moves = (change > 0 && volume < kMaxPartVolume) || (change < 0 && volume > 0);
  if (moves)
    volume += change;
  return EditOutcome{.changed = true, .snapshot = moves, .message = {}};
}

} // namespace pipora
