#include "views/position_text.h"

#include <cmath>

namespace pipora {

QString MeasureText(const Song &song, int tick) {
  const int t = song.ticksPerBeat > 0 ? song.ticksPerBeat : 480;
  const int b = song.beatsPerMeasure > 0 ? song.beatsPerMeasure : 4;
  const int measure = tick / t / b + 1;
  const int beat = (tick / t) % b + 1;
  const int tick10 = (tick % t) / 10;
  return QStringLiteral("%1:%2:%3")
      .arg(measure, 2, 10, QChar('0'))
      .arg(beat)
      .arg(tick10, 2, 10, QChar('0'));
}

QString MinutesText(double milliseconds, bool signBlank) {
  const long long e = std::llround(std::nearbyint(milliseconds));
  const long long c = e / 10;
  const QString minutes = QString::number(c / 6000);
  return QStringLiteral("%1%2:%3:%4")
      .arg(signBlank && c >= 0 ? QStringLiteral(" ") : QString())
      .arg(minutes)
      .arg((c / 100) % 60, 2, 10, QChar('0'))
      .arg(c % 100, 2, 10, QChar('0'));
}

QString PositionText(const Song &song, int part, int index, bool tickMode, MinutesForm form) {
  if (part < 1 || part > kPartSlots)
    return {};
  const Part &p = song.part(part);
  if (index < 0 || index >= static_cast<int>(p.notes.size()))
    return {};
  const int start = p.notes[static_cast<std::size_t>(index)].start;
  if (tickMode)
    return MeasureText(song, start);
  if (form == MinutesForm::AbsoluteSigned)
    return MinutesText(start * song.msPerTick, true);
  const int origin = song.part(1).notes.empty() ? 0 : song.part(1).notes.front().start;
  return MinutesText((start - origin) * song.msPerTick, false);
}

} // namespace pipora
