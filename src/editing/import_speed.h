#pragma once
// The speed of an imported song: the tempo step and a scale of every length chosen together
// so that the song plays as near the file's tempo as the four steps allow.
#include "editing/edit_outcome.h"
#include "formats/midi/import_report.h"
#include "formats/midi/speed_choice.h"
#include "model/song.h"

namespace pipora {

// Chooses for the imported `song` (a length doubles where no half-note triplet is held,
// halves where no sixteenth is held), scales its lengths and sets its tempo. A song read at
// twice the file's times (`readAt`) keeps its lengths and takes the step alone. No part grows
// past `maxElements` by doubling: the choice is then made without doubling.
ImportSpeed FitSpeed(Song &song, double fileRate, LengthScale readAt = LengthScale::One,
                     std::int32_t maxElements = kMaxPartElements);

} // namespace pipora
