#include "views/position_text.h"

#include "model/position_text.h"
#include "model/rounding.h"

namespace pipora {

QString SourcePositionText(const Song &song, int part, int index, bool tickMode, MinutesForm form) {
  if (part < 1 || part > kPartSlots)
    return {};
  const Part &p = song.part(part);
  if (index < 0 || index >= static_cast<int>(p.notes.size()))
    return {};
  const int start = p.notes[static_cast<std::size_t>(index)].start;
  if (tickMode)
    return QString::fromStdString(MeasureText(start, song.ticksPerBeat, song.beatsPerMeasure));
  if (form == MinutesForm::AbsoluteSigned)
    return QString::fromStdString(TimeTextSignBlank(StoppedCentiseconds(start, song.msPerTick)));
  const int origin = song.part(1).notes.empty() ? 0 : song.part(1).notes.front().start;
  const int ms = RoundHalfEven((start - origin) * song.msPerTick);
  return QString::fromStdString(TimeText(ms / 10));
}

} // namespace pipora
