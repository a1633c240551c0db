#include "editing/score_pointer.h"

#include "model/vocabulary.h"

#include <algorithm>

namespace pipora {
namespace {

void MakeCurrent(Song &song, int part) {
  song.part(1).scoreHeader.partNumber = static_cast<std::int16_t>(part);
  song.currentPart = part;
}

ScoreHeader &CurrentHeader(Song &song) {
  return song.part(ScoreCurrentPart(song)).scoreHeader;
}

int NoteAt(const Part &part, int element) {
  if (element < 0 || element >= part.scoreHeader.count)
    return 0;
  return std::max<int>(part.score[static_cast<std::size_t>(element)].noteNumber, 0);
}

} // namespace

void PointAtSongStart(Song &song) {
  int first = 1;
  for (int p = kUserParts; p >= 1; --p)
    if (song.part(p).count > 0)
      first = p;
  song.part(1).scoreHeader.partNumber = static_cast<std::int16_t>(first);
  song.currentPart = first;
  Part &part = song.part(first);
  part.cursor = 0;
  part.scoreHeader.cursor = 0;
  part.scoreHeader.selLength = 0;
}

ScoreKeyOutcome PointScoreCursor(Song &song, int part, int cursor, int element) {
  CurrentHeader(song).selLength = 0;
  MakeCurrent(song, part);
  Part &pt = song.part(part);
  pt.scoreHeader.selLength = 0;
  pt.scoreHeader.cursor = std::clamp(cursor, 0, pt.scoreHeader.count);
  ScoreKeyOutcome out;
  out.preview = NoteAt(pt, element);
  return out;
}

ScoreKeyOutcome SelectScoreElements(Song &song, int anchor, int element) {
  ScoreHeader &h = CurrentHeader(song);
  ScoreKeyOutcome out;
  if (h.count <= 0)
    return out;
  const int from = std::clamp(anchor, 0, h.count - 1);
  const int to = std::clamp(element, 0, h.count - 1);
  h.selStart = std::min(from, to);
  h.selLength = std::abs(to - from) + 1;
  h.cursor = to >= from ? h.selStart + h.selLength : h.selStart;
  return out;
}

ScoreKeyOutcome ExtendScoreSelection(Song &song, int cursor) {
  ScoreHeader &h = CurrentHeader(song);
  const int at = std::clamp(cursor, 0, h.count);
  int anchor = std::clamp(h.cursor, 0, h.count);
  if (h.selLength > 0)
    anchor = h.cursor == h.selStart ? h.selStart + h.selLength : h.selStart;
  const int first = std::min(anchor, at);
  // Clicked right of the anchor, the clicked element is taken too.
  const int end = at >= anchor ? std::min(at + 1, h.count) : anchor;
  h.selStart = first;
  h.selLength = end - first;
  h.cursor = at >= anchor ? end : first;
  return {};
}

ScoreKeyOutcome DragScorePitch(Song &song, ScorePitchDrag &drag, int noteNumber) {
  ScoreKeyOutcome out;
  out.feedback = false;
  if (noteNumber == drag.current)
    return out;
  MakeCurrent(song, drag.part);
  if (!drag.backedUp) {
    BackupPart(song, true);
    drag.backedUp = true;
  }
  Part &pt = song.part(drag.part);
  if (drag.element < 0 || drag.element >= pt.scoreHeader.count)
    return out;
  pt.score[static_cast<std::size_t>(drag.element)].noteNumber =
      static_cast<std::int16_t>(noteNumber);
  drag.current = noteNumber;
  out.changed = true;
  out.preview = noteNumber;
  return out;
}

ScoreKeyOutcome FinishScorePitchDrag(const ScorePitchDrag &drag) {
  ScoreKeyOutcome out;
  if (drag.current != drag.original)
    out.snapshot = out.dirty = true;
  return out;
}

std::string ScoreElementText(const Song &song, int part, int element, bool isTick) {
  const Part &pt = song.part(part);
  if (element < 0 || element >= pt.scoreHeader.count)
    return {};
  const ScoreNote &s = pt.score[static_cast<std::size_t>(element)];
  const std::string pitch =
      s.noteNumber > 0 ? PitchNameOf(s.noteNumber) + std::to_string(OctaveOf(s.noteNumber)) : "R";
  return pitch + "  " + LengthCodeFromTicks(s.duration, s.tie != 0) + "  " +
         TickTimeText(song, s.start, isTick);
}

ScoreKeyOutcome PlayScoreFrom(Song &song, int part, int cursor) {
  ScoreKeyOutcome out = PointScoreCursor(song, part, cursor, -1);
  out.command = ScoreCommand::MeasurePlay;
  return out;
}

} // namespace pipora
