#pragma once
// The key a song is written in: found from its notes with the Krumhansl-Schmuckler profiles
// (or chosen by the user), its signature's accidentals on the staff, and the spelling of
// each pitch class in that key.
#include "editing/score_geometry.h"
#include "model/score_display.h"
#include "model/song.h"

#include <string>
#include <vector>

namespace pipora {

// The key whose profile correlates best with the song's pitch classes weighted by duration;
// C major for a song without notes.
KeySignature InferKey(const Song &song);
// The user's key, else the inferred one.
KeySignature KeyOf(const Song &song);

// "ハ長調", "ニ短調", ...: the key's Japanese name.
std::string KeyName(KeySignature key);

// The alteration the signature gives a diatonic step (0 = C ... 6 = B): +1, -1 or 0.
int KeyAlteration(int fifths, int step);

// The labels spelled for the key: scale tones as the key writes them, the others as sharps in
// sharp keys and flats in flat keys, as the table has them without a signature (a minor
// key's leading tone raised). Syllables come from
// `table`'s natural notes.
StaffLabelTable SpelledLabels(const StaffLabelTable &table, KeySignature key);

// Staff positions (pixels above middle C) of the signature's accidentals in the order they
// are written, for the clef (the bass clef's are two octaves lower).
std::vector<double> KeySignaturePositions(int fifths, Clef clef);

} // namespace pipora
