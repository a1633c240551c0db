#include "editing/clipboard.h"

#include "editing/score_geometry.h"
#include "model/vocabulary.h"

#include <algorithm>
#include <vector>

namespace pipora {
namespace {

// Marks of the selected rows before the EndMarker; out-of-range rows are ignored.
std::vector<char> RowMask(const Part &part, std::span<const int> rows) {
  std::vector<char> mask(static_cast<std::size_t>(std::max(part.count, 0)), 0);
  for (const int r : rows)
    if (r >= 0 && r < part.count)
      mask[static_cast<std::size_t>(r)] = 1;
  return mask;
}

// All parts share one capacity that grows in steps of ten; a bulk insert grows it once.
void GrowCapacityFor(Song &song, std::int32_t count) {
  while (count + 3 >= song.capacity)
    song.capacity += kCapacityStep;
}

void ScoreToCurrent(Song &song) {
  const int part = ScoreCurrentPart(song);
  song.currentPart = part;
  song.part(1).scoreHeader.partNumber = static_cast<std::int16_t>(part);
}

void EmptyClipboard(Song &song) {
  Part &clip = song.part(kClipboardPart);
  clip.notes.assign(1, MakeEndMarker());
  clip.count = 0;
  clip.cursor = 0;
  clip.startTick = 0;
}

// The clipboard's score list follows its note list, so whichever list the next paste reads
// holds the copy.
void ClipboardScoreFromNotes(Song &song) {
  Part &clip = song.part(kClipboardPart);
  clip.score.resize(static_cast<std::size_t>(clip.count) + 1);
  std::int32_t tick = 0;
  for (std::int32_t i = 0; i <= clip.count; ++i) {
    const NoteEntry &e = clip.notes[static_cast<std::size_t>(i)];
    ScoreNote &s = clip.score[static_cast<std::size_t>(i)];
    s = ScoreNote{};
    s.start = tick;
    s.noteNumber = i == clip.count ? -1 : e.noteNumber;
    s.duration = static_cast<std::int16_t>(i == clip.count ? 0 : LengthTicks(e.length));
    s.tie = IsTied(e.length) ? -1 : 0;
    tick += s.duration;
  }
  clip.scoreHeader = ScoreHeader{};
  clip.scoreHeader.count = clip.count;
}

} // namespace

// --- bulk primitives ---------------------------------------------------------------------

void ScoreDeleteRange(Song &song, int part, int position, int length) {
  Part &p = song.part(part);
  ScoreHeader &h = p.scoreHeader;
  position = std::clamp(position, 0, h.count);
  length = std::clamp(length, 0, h.count - position);
  if (length == 0)
    return;
  const auto at = static_cast<std::size_t>(position);
  const std::int32_t removed =
      p.score[at + static_cast<std::size_t>(length)].start - p.score[at].start;
  p.score.erase(p.score.begin() + position, p.score.begin() + position + length);
  h.count -= length;
  for (std::size_t i = at; i <= static_cast<std::size_t>(h.count); ++i)
    p.score[i].start -= removed;
}

void InsertNotes(Song &song, int part, int position, std::span<const NoteEntry> entries) {
  Part &p = song.part(part);
  if (entries.empty())
    return;
  GrowCapacityFor(song, p.count + static_cast<std::int32_t>(entries.size()));
  position = std::clamp(position, 0, p.count);
  p.notes.insert(p.notes.begin() + position, entries.begin(), entries.end());
  p.count += static_cast<std::int32_t>(entries.size());
}

// --- source editor -----------------------------------------------------------------------

void CopySourceRows(Song &song, std::span<const int> rows) {
  const Part &part = song.part(song.currentPart);
  const std::vector<char> mask = RowMask(part, rows);
  EmptyClipboard(song);
  Part &clip = song.part(kClipboardPart);
  std::vector<NoteEntry> copied;
  copied.reserve(static_cast<std::size_t>(std::count(mask.begin(), mask.end(), 1)) + 1);
  for (std::size_t i = 0; i < mask.size(); ++i)
    if (mask[i])
      copied.push_back(part.notes[i]);
  copied.push_back(MakeEndMarker());
  clip.notes = std::move(copied);
  clip.count = static_cast<std::int32_t>(clip.notes.size()) - 1;
  GrowCapacityFor(song, clip.count);
  RecalcTimes(song);
  ClipboardScoreFromNotes(song);
}

EditOutcome DeleteSourceRows(Song &song, std::span<const int> rows) {
  BackupPart(song, false);
  Part &part = song.part(song.currentPart);
  const std::vector<char> mask = RowMask(part, rows);
  const auto first = std::find(mask.begin(), mask.end(), 1);
  if (first != mask.end()) {
    const auto firstRow = static_cast<std::int32_t>(first - mask.begin());
    std::size_t kept = static_cast<std::size_t>(firstRow);
    for (std::size_t i = kept; i < part.notes.size(); ++i)
      if (i >= mask.size() || !mask[i])
        part.notes[kept++] = std::move(part.notes[i]);
    part.notes.resize(kept);
    part.count = static_cast<std::int32_t>(kept) - 1;
    part.cursor = firstRow;
    RecalcTimes(song);
    BuildScoreList(song);
  }
  return EditOutcome::Changed();
}

EditOutcome CutSourceRows(Song &song, std::span<const int> rows) {
  CopySourceRows(song, rows);
  return DeleteSourceRows(song, rows);
}

namespace {

// The source editor's paste on the note lists alone.
EditOutcome PasteIntoNoteList(Song &song, std::int32_t maxElements) {
  const Part &clip = song.part(kClipboardPart);
  Part &part = song.part(song.currentPart);
  if (static_cast<std::int64_t>(part.count) + clip.count > maxElements)
    return EditOutcome::Refused(std::string(kPasteTooLongMessage));
  const std::span<const NoteEntry> entries(clip.notes.data(),
                                           static_cast<std::size_t>(std::max(clip.count, 0)));
  // Copied first: pasting into the part the clipboard came from must not read moved elements.
  const std::vector<NoteEntry> copy(entries.begin(), entries.end());
  InsertNotes(song, song.currentPart, std::clamp(part.cursor, 0, part.count), copy);
  RecalcTimes(song);
  return EditOutcome::Changed();
}

} // namespace

EditOutcome PasteSource(Song &song, std::int32_t maxElements) {
  EditOutcome out = PasteIntoNoteList(song, maxElements);
  if (out.changed)
    BuildScoreList(song);
  return out;
}

// --- score editor ------------------------------------------------------------------------

void SelectAllScore(Song &song) {
  ScoreToCurrent(song);
  ScoreHeader &h = song.part(song.currentPart).scoreHeader;
  h.cursor = 0;
  h.selStart = 0;
  h.selLength = h.count;
}

void CopyScoreSelection(Song &song) {
  ScoreToCurrent(song);
  const Part &part = song.part(song.currentPart);
  const ScoreHeader &h = part.scoreHeader;
  const int start = std::clamp(h.selStart, 0, h.count);
  const int length = std::clamp(h.selLength, 0, h.count - start);
  if (length <= 0)
    return;
  Part &clip = song.part(kClipboardPart);
  const auto first = part.score.begin() + start;
  clip.score.assign(first, first + length + 1);
  const std::int32_t origin = part.score[static_cast<std::size_t>(start)].start;
  for (ScoreNote &s : clip.score)
    s.start -= origin;
  // What follows the copy is the clipboard's end element.
  ScoreNote &end = clip.score.back();
  const std::int32_t endTick = end.start;
  end = ScoreNote{};
  end.start = endTick;
  end.noteNumber = -1;
  clip.scoreHeader = ScoreHeader{};
  clip.scoreHeader.count = length;
  GrowCapacityFor(song, length);
}

EditOutcome DeleteScore(Song &song) {
  ScoreToCurrent(song);
  BackupPart(song, true);
  const int current = song.currentPart;
  ScoreHeader &h = song.part(current).scoreHeader;
  if (h.selLength > 0) {
    h.cursor = std::clamp(h.selStart, 0, h.count);
    ScoreDeleteRange(song, current, h.cursor, h.selLength);
    h.selLength = 0;
  } else {
    ScoreDelete(song, current, std::clamp(h.cursor, 0, h.count));
  }
  BuildNoteList(song);
  return EditOutcome::Changed();
}

EditOutcome CutScore(Song &song) {
  const ScoreHeader &h = song.part(ScoreCurrentPart(song)).scoreHeader;
  if (h.selLength <= 0)
    return EditOutcome::Unchanged();
  CopyScoreSelection(song);
  return DeleteScore(song);
}

EditOutcome PasteScore(Song &song, std::int32_t maxElements) {
  ScoreToCurrent(song);
  const int current = song.currentPart;
  const ScoreHeader &h = song.part(current).scoreHeader;
  const std::int32_t replaced = h.selLength > 0 ? std::min(h.selLength, h.count) : 0;
  const Part &clip = song.part(kClipboardPart);
  if (static_cast<std::int64_t>(h.count) - replaced + clip.scoreHeader.count > maxElements)
    return EditOutcome::Refused(std::string(kPasteTooLongMessage));
  if (replaced > 0)
    DeleteScore(song);
  else
    BuildNoteList(song);
  Part &part = song.part(current);
  const std::int32_t at = std::clamp(part.cursor, 0, part.count);
  const std::int32_t pasted = song.part(kClipboardPart).count;
  PasteIntoNoteList(song, maxElements);
  BuildScoreList(song);
  part.scoreHeader.cursor = std::min(at + pasted, part.scoreHeader.count);
  part.scoreHeader.selLength = 0;
  return EditOutcome::Changed();
}

} // namespace pipora
