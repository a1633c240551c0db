#include "editing/source_list_edits.h"

#include "model/vocabulary.h"

#include <algorithm>
#include <cmath>

namespace pipora {
namespace {

// Marks the song dirty without an undo step: the source editor's lines are no history steps.
EditOutcome ChangedWithoutStep() {
  return EditOutcome{.changed = true, .snapshot = false, .message = {}};
}

// The text without its last character (the octave digit), counting UTF-8 sequences whole.
std::string WithoutLastCharacter(const std::string &text) {
  std::size_t end = text.size();
  if (end == 0)
    return text;
  --end;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
    --end;
  return text.substr(0, end);
}

} // namespace

EditOutcome OpenLineAtEnd(Song &song, int part) {
  const Part &p = song.part(part);
  if (p.count > 0) {
    const NoteEntry before = p.notes[static_cast<std::size_t>(p.count - 1)];
    InsertNote(song, part, p.count, before.noteNumber, before.length, before.pitch);
  } else {
    InsertNote(song, part, p.count, 0, "", "");
  }
  return EditOutcome::Unchanged();
}

EditOutcome CopyLineBefore(Song &song, int part, int row) {
  Part &p = song.part(part);
  if (row >= 0 && row < p.count) {
    const NoteEntry copy = p.notes[static_cast<std::size_t>(row)];
    InsertNote(song, part, row, copy.noteNumber, copy.length, copy.pitch);
    p.cursor = row;
  }
  return ChangedWithoutStep();
}

EditOutcome TakeBackLine(Song &song, int part, int row) {
  DeleteNote(song, part, row);
  return EditOutcome::Unchanged();
}

EditOutcome ReplaceLine(Song &song, int part, const SourceEntry &entry, int rememberedOctave) {
  Part &p = song.part(part);
  const int at = std::clamp(p.cursor, 0, p.count);
  NoteEntry &e = p.notes[static_cast<std::size_t>(at)];

  std::string pitchText = entry.pitch;
  int noteNumber = NoteNumberFromText(pitchText);
  if (noteNumber == -1) {
    const int octave = static_cast<int>(std::floor(e.noteNumber / 12.0)) - 1;
    pitchText += std::to_string(octave > 1 ? octave : rememberedOctave);
    noteNumber = NoteNumberFromText(pitchText);
  }
  if (!pitchText.empty()) {
    e.pitch = WithoutLastCharacter(pitchText);
    e.noteNumber = static_cast<std::int16_t>(std::max(noteNumber, 0));
  }
  if (IsKnownLength(entry.length))
    e.length = entry.length;
  else if (!entry.length.empty())
    e.length = std::string(kUnknownLength);
  if (e.length.empty())
    e.length = "4";
  if (e.pitch.empty())
    e.pitch = "R";

  p.cursor = at + 1;
  EnsureScoreCapacity(song, part);
  return ChangedWithoutStep();
}

} // namespace pipora
