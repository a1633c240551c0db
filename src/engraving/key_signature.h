#pragma once
// The key a song is written in (see key_inference.h), its signature's accidentals on the
// staff, and the spelling of each pitch class in that key.
#include "editing/key_inference.h"
#include "editing/score_geometry.h"
#include "model/score_display.h"
#include "model/song.h"

#include <string>
#include <vector>

namespace pipora {

// The key kept with the song, else the one its notes suggest (no signature while they are
// too few to tell).
KeySignature KeyOf(const Song &song);

// "ハ長調", "ニ短調", ...: the key's Japanese name.
std::string KeyName(KeySignature key);

// The labels spelled for the key: scale tones as the key writes them, the others as sharps in
// sharp keys and flats in flat keys, as the table has them without a signature (a minor
// key's leading tone raised). Syllables come from
// `table`'s natural notes.
StaffLabelTable SpelledLabels(const StaffLabelTable &table, KeySignature key);

// Staff positions (pixels above middle C) of the signature's accidentals in the order they
// are written, for the clef (the bass clef's are two octaves lower).
std::vector<double> KeySignaturePositions(int fifths, Clef clef);

} // namespace pipora
