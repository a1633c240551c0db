#pragma once
// Which clef a part's staff takes, and where that puts its notes: the treble clef has middle
// C one ledger line below the staff, the bass clef one above it.
#include "model/score_display.h"
#include "model/song.h"

#include <vector>

namespace pipora {

// The clef a part is drawn with: the user's choice, else the one whose staff needs fewer
// ledger lines for the part's notes (bass only when it needs strictly fewer).
Clef ClefOf(const Song &song, int part);
Clef AutomaticClef(const Part &part);

// Offset below the part's top of middle C's line (160 treble, 88 bass).
int MiddleCLineOf(Clef clef);
// Offset below the part's top of a note's head centre.
int HeadCentreOf(double staffPosition, Clef clef);
// Offsets below the part's top of the ledger lines a note at this staff position needs.
std::vector<int> LedgerLines(double staffPosition, Clef clef);

} // namespace pipora
