#pragma once
// The key a song is written in, found once from its notes (Krumhansl-Schmuckler profiles)
// and then kept: a key guessed again at every edit would respell the whole score under the
// user's hands.
#include "model/score_display.h"
#include "model/song.h"

#include <array>
#include <optional>

namespace pipora {

// Sounding time per pitch class (0 = C), in ticks.
struct PitchWeights {
  std::array<double, 12> weight{};
  double total = 0;
};

// From the note lists (files, source editor) or the score lists (score editor).
PitchWeights WeightsOfNoteLists(const Song &song);
PitchWeights WeightsOfScoreLists(const Song &song);

// The key whose profile correlates best with the weights, the one with fewer accidentals when
// two are close; no signature (C major) for a chromatic tune that no key holds; nothing while
// the notes fill less than two bars (`measureTicks` each), too few to tell a key.
std::optional<KeySignature> InferKey(const PitchWeights &weights, int measureTicks);
// The same for the song's score lists, no signature while there is nothing to tell.
KeySignature InferKey(const Song &song);

// The alteration the signature gives a diatonic step (0 = C ... 6 = B): +1, -1 or 0.
int KeyAlteration(int fifths, int step);

// A song without a key takes the inferred one once its notes are enough to tell it; a song
// with a key keeps it. True when the key was set.
bool KeepInferredKey(Song &song, bool fromScoreLists);

} // namespace pipora
