#pragma once
// The source editor's list of notes: a line opened at the end, a line copied before itself,
// an unfinished line taken back, and a line's pitch and length replaced from the two boxes.
// Each changes the song here and tells the session what it did; the window lays itself out.
#include "editing/edit_outcome.h"
#include "model/song.h"

#include <string>

namespace pipora {

// Enter on the end line: a new line before it, a copy of the last note (an empty line in an
// empty part). The open line is no change yet: the entry makes it one, Escape takes it back.
EditOutcome OpenLineAtEnd(Song &song, int part);

// Insert on a note: a copy of it before itself, which becomes the cursor's line. The song
// counts as changed on the end line too, where the line opened after this is the new one.
EditOutcome CopyLineBefore(Song &song, int part, int row);

// Escape from an unfinished line: it goes again, as if never opened.
EditOutcome TakeBackLine(Song &song, int part, int row);

// What the pitch and length boxes hold when Enter is pressed in the length box.
struct SourceEntry {
  std::string pitch;  // "C#4", "R", or a name without octave ("D")
  std::string length; // a length code, or anything typed
};

// The note at the part's cursor takes the entry, and the cursor moves past it. A pitch
// without octave takes the note's own octave when above 1, else `rememberedOctave`; a length
// that is no code becomes the unknown mark; empty fields become a quarter rest.
EditOutcome ReplaceLine(Song &song, int part, const SourceEntry &entry, int rememberedOctave);

} // namespace pipora
