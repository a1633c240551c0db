#include "model/song.h"

#include "model/vocabulary.h"

#include <algorithm>
#include <limits>

namespace pipora {
namespace {

struct TempoRow {
  double bpm;
  std::string_view text;
};
constexpr std::array<TempoRow, 4> kTempos = {
    {{146.0, "146"}, {121.7, "121.7"}, {104.2, "104.2"}, {91.0, "91"}}};

const TempoRow &RowOf(TempoChoice t) {
  const int i = std::clamp(static_cast<int>(t), 0, 3);
  return kTempos[static_cast<std::size_t>(i)];
}

// Start ticks stop at the largest 32-bit count instead of wrapping round to negative ones;
// the readers refuse songs that long, so only a song built by hand can get here.
std::int32_t SaturatedTick(std::int64_t tick) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      tick, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void ResetPart(Part &p) {
  p.notes.assign(1, MakeEndMarker());
  p.count = 0;
  p.cursor = 0;
  p.startTick = 0;
}

// First element whose start tick is at or after `tick`; the last index when none is.
template <typename List, typename StartOf>
std::int32_t FirstAtOrAfter(const List &list, std::int32_t last, std::int32_t tick,
                            StartOf startOf) {
  for (std::int32_t i = 0; i <= last && i < static_cast<std::int32_t>(list.size()); ++i)
    if (startOf(list[static_cast<std::size_t>(i)]) >= tick)
      return i;
  return std::max<std::int32_t>(last, 0);
}

} // namespace

double BeatsPerMinute(TempoChoice tempo) {
  return RowOf(tempo).bpm;
}
double MsPerTick(TempoChoice tempo) {
  return 60000.0 / RowOf(tempo).bpm / double{kTicksPerQuarter};
}
std::string_view TempoText(TempoChoice tempo) {
  return RowOf(tempo).text;
}

NoteEntry MakeEndMarker() {
  NoteEntry e;
  e.length = NoteLength::EndOfTrack();
  return e;
}

Song::Song() {
  setTempo(TempoChoice::Normal);
  for (int n = 1; n <= kPartSlots; ++n)
    ResetPart(part(n));
  BuildScoreList(*this);
}

void Song::setTempo(TempoChoice t) {
  tempo = t;
  msPerTick = MsPerTick(t);
}

void ResetParts(Song &song) {
  for (int n = 1; n <= kClipboardPart; ++n)
    ResetPart(song.part(n));
  song.ticksPerBeat = kTicksPerQuarter;
  song.beatsPerMeasure = 4;
  song.display = ScoreDisplay{};
}

void EnsureCapacity(Song &song, int part) {
  if (part <= 0)
    return;
  if (song.part(part).count + 3 < song.capacity)
    return;
  song.capacity += kCapacityStep;
}

void EnsureCapacityFor(Song &song, int count) {
  if (count + 3 >= song.capacity)
    song.capacity += (count + 3 - song.capacity) / kCapacityStep * kCapacityStep + kCapacityStep;
}

void EnsureScoreCapacity(Song &song, int part) {
  if (part <= 0)
    return;
  if (song.part(part).scoreHeader.count + 3 < song.capacity)
    return;
  song.capacity += kCapacityStep;
}

bool InsertNote(Song &song, int part, int position, int noteNumber, std::string_view length,
                std::string_view pitch) {
  EnsureCapacity(song, part);
  Part &p = song.part(part);
  position = std::clamp(position, 0, p.count + 1);
  const auto at = static_cast<std::size_t>(position);
  if (at >= p.notes.size()) {
    // Appending, as reading a file does for every element: nothing to move up.
    NoteEntry &entry = p.notes.emplace_back();
    entry.noteNumber = static_cast<std::int16_t>(noteNumber);
    entry.length = length;
    entry.pitch = pitch;
    ++p.count;
    return true;
  }
  // The new element keeps the start ticks of the one it pushes up until RecalcTimes.
  NoteEntry entry = at < p.notes.size() ? p.notes[at] : NoteEntry{};
  entry.noteNumber = static_cast<std::int16_t>(noteNumber);
  entry.length = length;
  entry.pitch = pitch;
  p.notes.insert(p.notes.begin() + position, std::move(entry));
  ++p.count;
  return true;
}

bool AppendNote(Song &song, int part, int noteNumber, std::string_view length,
                std::string_view pitch) {
  return InsertNote(song, part, song.part(part).count + 1, noteNumber, length, pitch);
}

bool DeleteNote(Song &song, int part, int position) {
  Part &p = song.part(part);
  if (position < 0 || position >= p.count)
    return false;
  // The element moving up takes the place in time of the one removed. RecalcTimes sets every
  // later start again, but never the first one: deleting element 0 must leave the part's
  // start (0, or before it for a pick-up) where it was.
  const std::int32_t start = p.notes[static_cast<std::size_t>(position)].start;
  p.notes.erase(p.notes.begin() + position);
  p.notes[static_cast<std::size_t>(position)].start = start;
  --p.count;
  return true;
}

void RecalcTimes(Song &song) {
  // An unknown code reuses the last recognised duration of this run.
  int d = 0;
  int g = 0;
  for (int n = 1; n <= kPartSlots; ++n) {
    Part &p = song.part(n);
    for (std::int32_t i = 1; i <= p.count; ++i) {
      const NoteEntry &prev = p.notes[static_cast<std::size_t>(i - 1)];
      if (const int ticks = LengthTicks(prev.length); ticks != 0) {
        d = ticks;
        g = ticks - kGateGap;
      }
      NoteEntry &e = p.notes[static_cast<std::size_t>(i)];
      e.start = SaturatedTick(std::int64_t{prev.start} + d);
      e.prevGateEnd = SaturatedTick(std::int64_t{prev.start} + g);
    }
  }
}

void BuildScoreList(Song &song) {
  song.part(1).scoreHeader.partNumber = static_cast<std::int16_t>(song.currentPart);
  for (int n = 1; n <= kPartSlots; ++n) {
    Part &p = song.part(n);
    p.score.resize(static_cast<std::size_t>(p.count) + 1);
    for (std::int32_t i = 0; i <= p.count; ++i) {
      const NoteEntry &e = p.notes[static_cast<std::size_t>(i)];
      ScoreNote &s = p.score[static_cast<std::size_t>(i)];
      s.start = e.start;
      s.noteNumber = i == p.count ? -1 : e.noteNumber;
      s.duration = static_cast<std::int16_t>(LengthTicks(e.length));
      s.tie = IsTied(e.length) ? -1 : 0;
    }
    p.scoreHeader.count = p.count;
    const std::int32_t cursor = std::clamp(p.cursor, 0, p.count);
    const std::int32_t tick = p.notes[static_cast<std::size_t>(cursor)].start;
    p.scoreHeader.cursor =
        FirstAtOrAfter(p.score, p.count, tick, [](const ScoreNote &s) { return s.start; });
  }
}

void BuildNoteList(Song &song) {
  for (int n = 1; n <= kPartSlots; ++n) {
    Part &p = song.part(n);
    const ScoreHeader &h = p.scoreHeader;
    const std::size_t oldSize = p.notes.size();
    p.notes.resize(static_cast<std::size_t>(h.count) + 1);
    for (std::int32_t i = 0; i <= h.count; ++i) {
      const ScoreNote &s = p.score[static_cast<std::size_t>(i)];
      NoteEntry &e = p.notes[static_cast<std::size_t>(i)];
      if (static_cast<std::size_t>(i) >= oldSize)
        e.start = s.start;
      if (s.noteNumber == -1) {
        e.noteNumber = 0;
        e.length = NoteLength::EndOfTrack();
        e.pitch.clear();
      } else {
        e.noteNumber = s.noteNumber;
        e.length = NoteLength::FromTicks(s.duration, s.tie != 0);
        e.pitch = PitchText::Of(s.noteNumber);
      }
    }
    p.count = h.count;
    const std::int32_t scoreCursor = std::clamp(h.cursor, 0, h.count);
    const std::int32_t tick = p.score[static_cast<std::size_t>(scoreCursor)].start;
    p.cursor = FirstAtOrAfter(p.notes, p.count, tick, [](const NoteEntry &e) { return e.start; });
  }
  const int current = song.part(1).scoreHeader.partNumber;
  if (current >= 1 && current <= kUserParts)
    song.currentPart = current;
  RecalcTimes(song);
}

void BackupPart(Song &song, bool scoreEditorActive) {
  Part &src = song.part(song.currentPart);
  Part &dst = song.part(kBackupPart);
  if (scoreEditorActive) {
    dst.score.assign(src.score.begin(), src.score.begin() + src.scoreHeader.count + 1);
    dst.scoreHeader.count = src.scoreHeader.count;
    dst.scoreHeader.cursor = src.scoreHeader.cursor;
  } else {
    dst.notes.assign(src.notes.begin(), src.notes.begin() + src.count + 1);
    dst.count = src.count;
    dst.cursor = src.cursor;
  }
  dst.scoreHeader.partNumber = static_cast<std::int16_t>(song.currentPart);
}

void ScoreDelete(Song &song, int part, int position) {
  Part &p = song.part(part);
  ScoreHeader &h = p.scoreHeader;
  if (position < 0 || position >= h.count)
    return;
  const auto at = static_cast<std::size_t>(position);
  const std::int32_t removed = p.score[at + 1].start - p.score[at].start;
  p.score.erase(p.score.begin() + position);
  for (std::size_t i = at; i <= static_cast<std::size_t>(h.count - 1); ++i)
    p.score[i].start -= removed;
  --h.count;
}

void ScoreInsert(Song &song, int part, int position, const ScoreNote &note) {
  EnsureScoreCapacity(song, part);
  Part &p = song.part(part);
  ScoreHeader &h = p.scoreHeader;
  position = std::clamp(position, 0, h.count);
  const auto at = static_cast<std::size_t>(position);
  ScoreNote inserted = note;
  inserted.start = p.score[at].start;
  p.score.insert(p.score.begin() + position, inserted);
  for (std::size_t i = at + 1; i <= static_cast<std::size_t>(h.count + 1); ++i)
    p.score[i].start += note.duration;
  ++h.count;
}

} // namespace pipora
