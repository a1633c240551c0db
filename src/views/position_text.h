#pragma once
// The position of a source editor entry as the player panel shows it.
#include "model/song.h"

#include <QString>

namespace pipora {

enum class MinutesForm {
  FromSongStart, // elapsed from part 1's first element: "0:03:25" (a selected line)
  AbsoluteSigned // from tick 0, a blank where a sign would go: " 0:03:25" (View menu)
};

// The text for element `index` of `part`: measure:beat:tick in tick mode, else minutes.
QString SourcePositionText(const Song &song, int part, int index, bool tickMode, MinutesForm form);

} // namespace pipora
