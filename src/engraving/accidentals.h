#pragma once
// Accidentals as printed music carries them: the key signature alters its lines for the whole
// piece, a sharp or flat holds for the rest of its measure on that staff line, a natural
// cancels either, and a note tied over from the previous measure repeats none.
#include "editing/score_geometry.h"
#include "model/song.h"

#include <cstdint>
#include <span>
#include <vector>

namespace pipora {

enum class Accidental : std::uint8_t { None, Sharp, Flat, Natural };

// The accidental printed before each of score[first..last] (rests and the end element get
// None). `score` is a part's elements 0..count; the scan goes back only to the start of the
// measure of element `first`. `keyFifths` is the signature's sharps (> 0) or flats (< 0).
std::vector<Accidental> PrintedAccidentals(std::span<const ScoreNote> score, int first, int last,
                                           int measureTicks, const StaffLabelTable &table,
                                           int keyFifths = 0);

// True when element j continues the same pitch tied from element j - 1.
bool IsTiedContinuation(std::span<const ScoreNote> score, int j);

} // namespace pipora
