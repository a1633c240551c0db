#pragma once
// The speed an imported song plays at: the tempo step and a scale of every length chosen
// together so that it is as near the file's tempo as the four steps allow.
#include "formats/midi/import_report.h"

namespace pipora {

// The step and scale nearest to `fileRate` (quarters per minute) among the scales allowed;
// ties go to the plain scale, then to the slower step.
ImportSpeed ChooseSpeed(double fileRate, bool canDouble, bool canHalve);

} // namespace pipora
