#include "engraving/staff_band.h"

#include <algorithm>

namespace pipora {

StaffBand BandOf(int staffDistance) {
  StaffBand band;
  band.top = kBandTopOffset;
  band.bottom = kBandTopOffset + staffDistance;
  band.labelTop = std::max(kLowestLabelTop, band.bottom - kLabelLineHeight);
  return band;
}

std::optional<TimeSignature> TimeSignatureOf(const Song &song) {
  if (song.beatsPerMeasure <= 0 || song.ticksPerBeat <= 0 ||
      kTicksPerWhole % song.ticksPerBeat != 0)
    return std::nullopt;
  return TimeSignature{song.beatsPerMeasure, kTicksPerWhole / song.ticksPerBeat};
}

int BeamSpanTicks(const Song &song) {
  const int beat = song.ticksPerBeat;
  if (beat >= kTicksPerQuarter)
    return beat;
  if (beat > 0 && song.beatsPerMeasure > 3 && song.beatsPerMeasure % 3 == 0)
    return 3 * beat;
  return kTicksPerQuarter;
}

int MeasureOfTick(int tick, int measureTicks) {
  if (measureTicks <= 0)
    return 0;
  return tick >= 0 ? tick / measureTicks : -((-tick + measureTicks - 1) / measureTicks);
}

} // namespace pipora
