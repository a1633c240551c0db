#pragma once
// What the property window changes: the title and tempo, and the volume of a part.
#include "editing/edit_outcome.h"
#include "model/song.h"

#include <string>

namespace pipora {

// The loudest volume step of a part (the default is kDefaultVolume, shown as 0).
inline constexpr int kMaxPartVolume = 8;

// The title and (`tempo` 0..3, or -1 to keep it) the tempo step; a change of either is an
// edit, one undo step.
EditOutcome SetTitleAndTempo(Song &song, const std::string &title, int tempo);

// A part's volume one step up (`change` 1) or down (-1), kept within 0..kMaxPartVolume. A click
// counts as a change even at either end; a volume that moved is a step of the history.
EditOutcome ChangeVolume(Song &song, int part, int change);

} // namespace pipora
