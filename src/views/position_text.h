#pragma once
// The position of a note as the player panel shows it: minutes:seconds:hundredths from
// the start of the song, or measure:beat:tick.
#include "model/song.h"

#include <QString>

namespace pipora {

enum class MinutesForm {
  FromSongStart, // elapsed from part 1's first element: "0:03:25"
  AbsoluteSigned // from tick 0, the minutes with a blank for the sign: " 0:03:25"
};

// 01:1:00 for the first tick of a 4/4 song (measure and tick two digits).
QString MeasureText(const Song &song, int tick);
// minutes ":" seconds ":" hundredths for a duration in milliseconds.
QString MinutesText(double milliseconds, bool signBlank);
// The text for element `index` of `part` in the present display mode.
QString PositionText(const Song &song, int part, int index, bool tickMode, MinutesForm form);

} // namespace pipora
