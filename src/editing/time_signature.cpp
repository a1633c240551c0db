#include "editing/time_signature.h"

namespace pipora {

EditOutcome ApplyTimeSignatureEntry(Song &song, const TimeSignatureEntry &entry) {
  const int beats = entry.beatsPerMeasure.value_or(song.beatsPerMeasure);
  const bool changed = beats != song.beatsPerMeasure || entry.ticksPerBeat != song.ticksPerBeat ||
                       entry.anacrusis != AnacrusisOf(song);
  song.beatsPerMeasure = static_cast<std::int16_t>(beats);
  song.ticksPerBeat = static_cast<std::int16_t>(entry.ticksPerBeat);
  for (int n = 1; n <= kUserParts; ++n) {
    Part &p = song.part(n);
    if (!p.notes.empty())
      p.notes.front().start = -entry.anacrusis;
  }
  RecalcTimes(song);
  BuildScoreList(song);
  return changed ? EditOutcome::Changed() : EditOutcome::Unchanged();
}

int AnacrusisOf(const Song &song) {
  const Part &p = song.part(1);
  return p.notes.empty() ? 0 : -p.notes.front().start;
}

} // namespace pipora
