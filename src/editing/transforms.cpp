#include "editing/transforms.h"

#include "editing/find_notes.h"
#include "editing/score_geometry.h"
#include "editing/score_keys.h"
#include "model/vocabulary.h"

#include <algorithm>
#include <array>
#include <vector>

namespace pipora {
namespace {

// The length of the same kind (plain or triplet) `step` rows along the vocabulary's table,
// longest first, wrapping round: the half becomes the sixteenth and back.
std::optional<int> LengthStepTicks(int ticks, int step) {
  for (const auto group : {kPlainLengths, kTripletLengths})
    for (int i = 0; i < 4; ++i)
      if (group[static_cast<std::size_t>(i)].ticks == ticks)
        return group[static_cast<std::size_t>((i + 4 + step) % 4)].ticks;
  return std::nullopt;
}

// "2" -> "4", "4" -> "8", "8" -> "16" and back; triplet and tie marks stay, so the new length
// is the row with half or twice the ticks. Sixteenths have no half, halves no double.
bool HalveInPlace(NoteLength &length) {
  const NoteLength halved = NoteLength::FromTicks(length.ticks() / 2, length.tied());
  if (!length.row() || !halved.row())
    return false;
  length = halved;
  return true;
}

bool DoubleInPlace(NoteLength &length) {
  const NoteLength doubled = NoteLength::FromTicks(length.ticks() * 2, length.tied());
  if (!length.row() || !doubled.row())
    return false;
  length = doubled;
  return true;
}

void ToScorePart(Song &song) {
  const int part = ScoreCurrentPart(song);
  song.currentPart = part;
  song.part(1).scoreHeader.partNumber = static_cast<std::int16_t>(part);
}

// The note before the score cursor, when the score editor may change it (no selection).
ScoreNote *NoteBeforeCursor(Song &song) {
  ToScorePart(song);
  Part &part = song.part(song.currentPart);
  const ScoreHeader &h = part.scoreHeader;
  const int c = std::clamp(h.cursor, 0, h.count);
  if (h.selLength > 0 || c < 1)
    return nullptr;
  return &part.score[static_cast<std::size_t>(c - 1)];
}

// A length found by the silent search: that note is put under its part's cursor.
std::optional<FindHit> FindLength(Song &song, std::string_view length) {
  FindCriteria criteria;
  criteria.useLength = true;
  criteria.lengthText = std::string(length);
  criteria.direction = FindDirection::FromTop;
  criteria.scope = FindScope::AllParts;
  return FindNote(song, criteria, FindTarget::Source);
}

EditOutcome RefuseAt(Song &song, const FindHit &hit, std::string_view message,
                     bool scoreEditorActive) {
  song.currentPart = hit.part;
  song.part(hit.part).cursor = hit.index;
  if (scoreEditorActive) {
    song.part(hit.part).scoreHeader.selLength = 0;
    BuildScoreList(song);
  }
  return EditOutcome::Refused(std::string(message));
}

// The end of every transform over the whole song.
EditOutcome Finish(Song &song, int part, std::int32_t cursor) {
  song.currentPart = part;
  Part &p = song.part(part);
  p.cursor = std::clamp(cursor, 0, p.count);
  RecalcTimes(song);
  BuildScoreList(song);
  return EditOutcome::Changed();
}

} // namespace

EditOutcome TransposeSourceRows(Song &song, std::span<const int> rows, int k) {
  Part &part = song.part(song.currentPart);
  for (const int r : rows) {
    if (r < 0 || r >= part.count)
      continue;
    NoteEntry &e = part.notes[static_cast<std::size_t>(r)];
    if (e.noteNumber == 0)
      continue;
    e.noteNumber = static_cast<std::int16_t>(e.noteNumber + k);
    e.pitch = PitchNameOf(e.noteNumber);
  }
  BuildScoreList(song);
  return EditOutcome::Changed();
}

EditOutcome TransposeScoreSelection(Song &song, int k, bool isNoCheck) {
  ToScorePart(song);
  if (song.part(song.currentPart).scoreHeader.selLength <= 0)
    return EditOutcome::SnapshotOnly();
  ChangePitch(song, k, isNoCheck);
  // Pitches change in place: when the part's two lists are in step only the selected notes
  // need writing back, not the whole song.
  Part &part = song.part(song.currentPart);
  const ScoreHeader &h = part.scoreHeader;
  if (part.count != h.count) {
    BuildNoteList(song);
    return EditOutcome::Changed();
  }
  const int first = std::clamp(h.selStart, 0, h.count);
  const int last = std::clamp(h.selStart + h.selLength, first, h.count);
  for (int i = first; i < last; ++i) {
    const ScoreNote &s = part.score[static_cast<std::size_t>(i)];
    NoteEntry &e = part.notes[static_cast<std::size_t>(i)];
    if (e.noteNumber != s.noteNumber) {
      e.noteNumber = s.noteNumber;
      e.pitch = PitchNameOf(s.noteNumber);
    }
  }
  return EditOutcome::Changed();
}

std::optional<int> LongerTicks(int ticks) {
  return LengthStepTicks(ticks, -1);
}

std::optional<int> ShorterTicks(int ticks) {
  return LengthStepTicks(ticks, 1);
}

EditOutcome ChangeLengthBeforeCursor(Song &song, bool longer) {
  const ScoreNote *note = NoteBeforeCursor(song);
  if (!note)
    return EditOutcome::Unchanged();
  const std::optional<int> next =
      longer ? LongerTicks(note->duration) : ShorterTicks(note->duration);
  if (!next)
    return EditOutcome::Unchanged();
  BackupPart(song, true);
  Part &part = song.part(song.currentPart);
  const auto at =
      static_cast<std::size_t>(std::clamp(part.scoreHeader.cursor, 1, part.scoreHeader.count) - 1);
  const int delta = *next - part.score[at].duration;
  part.score[at].duration = static_cast<std::int16_t>(*next);
  for (std::size_t i = at + 1; i <= static_cast<std::size_t>(part.scoreHeader.count); ++i)
    part.score[i].start += delta;
  BuildNoteList(song);
  return EditOutcome::Changed();
}

EditOutcome ToggleTieBeforeCursor(Song &song) {
  ScoreNote *note = NoteBeforeCursor(song);
  if (!note)
    return EditOutcome::Unchanged();
  BackupPart(song, true);
  note->tie = note->tie != 0 ? 0 : -1;
  BuildNoteList(song);
  return EditOutcome::Changed();
}

std::optional<std::string> HalvedCode(std::string_view code) {
  NoteLength changed(code);
  return HalveInPlace(changed) ? std::optional(std::string(changed)) : std::nullopt;
}

std::optional<std::string> DoubledCode(std::string_view code) {
  NoteLength changed(code);
  return DoubleInPlace(changed) ? std::optional(std::string(changed)) : std::nullopt;
}

EditOutcome HalveAll(Song &song, bool scoreEditorActive) {
  if (scoreEditorActive)
    BuildNoteList(song);
  const int part = song.currentPart;
  const std::int32_t cursor = song.part(part).cursor;
  // The search for "16" also finds "163"; the message names the note it found.
  if (const auto hit = FindLength(song, "16")) {
    const NoteLength length =
        song.part(hit->part).notes[static_cast<std::size_t>(hit->index)].length;
    return RefuseAt(song, *hit,
                    IsTriplet(length) ? kHalveSixteenthTripletMessage : kHalveSixteenthMessage,
                    scoreEditorActive);
  }
  for (int n = 1; n <= kClipboardPart; ++n) {
    Part &p = song.part(n);
    for (std::int32_t i = 0; i < p.count; ++i)
      HalveInPlace(p.notes[static_cast<std::size_t>(i)].length);
  }
  return Finish(song, part, cursor);
}

EditOutcome DoubleAll(Song &song, bool scoreEditorActive, std::int32_t maxElements) {
  if (scoreEditorActive)
    BuildNoteList(song);
  const int part = song.currentPart;
  const std::int32_t cursor = song.part(part).cursor;
  if (const auto hit = FindLength(song, "23"))
    return RefuseAt(song, *hit, kDoubleHalfTripletMessage, scoreEditorActive);
  auto isHalf = [](const NoteEntry &e) { return e.length == "2" || e.length == "2_"; };
  for (int n = 1; n <= kClipboardPart; ++n) {
    const Part &p = song.part(n);
    const auto halves = std::count_if(p.notes.begin(), p.notes.begin() + p.count, isHalf);
    if (p.count + halves > maxElements)
      return EditOutcome::Refused(std::string(kDoubleTooLongMessage));
  }
  for (int n = 1; n <= kClipboardPart; ++n) {
    Part &p = song.part(n);
    const auto halves = std::count_if(p.notes.begin(), p.notes.begin() + p.count, isHalf);
    if (halves == 0) {
      for (std::int32_t i = 0; i < p.count; ++i)
        DoubleInPlace(p.notes[static_cast<std::size_t>(i)].length);
      continue;
    }
    std::vector<NoteEntry> doubled;
    doubled.reserve(static_cast<std::size_t>(p.count + halves) + 1);
    for (std::int32_t i = 0; i < p.count; ++i) {
      NoteEntry &e = p.notes[static_cast<std::size_t>(i)];
      if (isHalf(e)) {
        // A whole note does not exist: a tied pair of halves lasts as long.
        const bool tiedOn = e.length == "2_";
        e.length = "2_";
        doubled.push_back(e);
        doubled.push_back(std::move(e));
        doubled.back().length = tiedOn ? "2_" : "2";
      } else {
        DoubleInPlace(e.length);
        doubled.push_back(std::move(e));
      }
    }
    doubled.push_back(std::move(p.notes[static_cast<std::size_t>(p.count)]));
    p.notes = std::move(doubled);
    p.count = static_cast<std::int32_t>(p.notes.size()) - 1;
  }
  std::int32_t longest = 0;
  for (int n = 1; n <= kClipboardPart; ++n)
    longest = std::max(longest, song.part(n).count);
  while (longest + 3 >= song.capacity)
    song.capacity += kCapacityStep;
  return Finish(song, part, cursor);
}

} // namespace pipora
