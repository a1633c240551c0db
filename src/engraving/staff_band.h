#pragma once
// The vertical room of one part in the engraved score: the band its drawing is clipped to,
// the one line its do-re-mi labels sit on, and the time signature printed after the clef.
#include "model/song.h"

#include <optional>

namespace pipora {

// The bar-number ruler at the top of the surface; staves scroll underneath it.
inline constexpr int kRulerHeight = 14;
// A part's band starts just above its "CH n" label (part top + 70).
inline constexpr int kBandTopOffset = 64;
inline constexpr int kLabelLineHeight = 12;
// The labels never climb onto the staff (bottom line at part top + 148).
inline constexpr int kLowestLabelTop = 150;

// Offsets below the part's top edge. Bands of neighbouring parts touch but never overlap.
struct StaffBand {
  int top = 0;
  int bottom = 0; // exclusive
  int labelTop = 0;
};
StaffBand BandOf(int staffDistance);

struct TimeSignature {
  int beats = 4;
  int unit = 4; // the note value of a beat: 2, 4, 8, 16
};
// The song's time signature; none when it has no measures or an unusual beat length.
std::optional<TimeSignature> TimeSignatureOf(const Song &song);

// Ticks within which eighths and sixteenths share a beam: one beat of a quarter or longer,
// three beats of a compound eighth metre (6/8, 9/8, 12/8), otherwise a quarter note.
int BeamSpanTicks(const Song &song);

// The measure index of a tick; a pick-up before tick 0 is measure -1.
int MeasureOfTick(int tick, int measureTicks);

} // namespace pipora
