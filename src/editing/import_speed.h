#pragma once
// The speed of an imported song: the tempo step and a scale of every length chosen together
// so that the song plays as near the file's tempo as the four steps allow.
#include "formats/midi/import_report.h"
#include "model/song.h"

namespace pipora {

// The step and scale nearest to `fileRate` (quarters per minute) among the scales allowed;
// ties go to the plain scale, then to the slower step.
ImportSpeed ChooseSpeed(double fileRate, bool canDouble, bool canHalve);

// Chooses for the imported `song` (a length doubles where no half-note triplet is held,
// halves where no sixteenth is held), scales its lengths and sets its tempo.
ImportSpeed FitSpeed(Song &song, double fileRate);

} // namespace pipora
