#include "editing/import_speed.h"

#include "editing/transforms.h"
#include "model/vocabulary.h"

#include <cmath>

namespace pipora {
namespace {

double Factor(LengthScale scale) {
  switch (scale) {
  case LengthScale::Half:
    return 0.5;
  case LengthScale::Double:
    return 2.0;
  case LengthScale::One:
    break;
  }
  return 1.0;
}

bool Holds(const Song &song, bool (*match)(std::string_view)) {
  for (int n = 1; n <= kUserParts; ++n) {
    const Part &p = song.part(n);
    for (std::int32_t i = 0; i < p.count; ++i)
      if (match(p.notes[static_cast<std::size_t>(i)].length))
        return true;
  }
  return false;
}

std::string_view Untied(std::string_view code) {
  while (!code.empty() && code.back() == '_')
    code.remove_suffix(1);
  return code;
}

} // namespace

ImportSpeed ChooseSpeed(double fileRate, bool canDouble, bool canHalve) {
  ImportSpeed best;
  best.fileRate = fileRate;
  if (!(fileRate > 0))
    return best;
  bool first = true;
  for (const LengthScale scale : {LengthScale::One, LengthScale::Double, LengthScale::Half}) {
    if ((scale == LengthScale::Double && !canDouble) || (scale == LengthScale::Half && !canHalve))
      continue;
    for (const TempoChoice tempo :
         {TempoChoice::Slow, TempoChoice::SomewhatSlow, TempoChoice::Normal, TempoChoice::Fast}) {
      // Lengths scaled by f play f times as long: the song's quarter is the file's 1/f.
      const double difference = (BeatsPerMinute(tempo) / (Factor(scale) * fileRate) - 1.0) * 100.0;
      // Only a clearly nearer speed replaces one found before (a rate half way between two
      // steps belongs to the slower, as the reader's thresholds say).
      if (first || std::abs(difference) < std::abs(best.difference) - 1e-9) {
        best.tempo = tempo;
        best.scale = scale;
        best.difference = difference;
        first = false;
      }
    }
  }
  best.chosen = true;
  return best;
}

ImportSpeed FitSpeed(Song &song, double fileRate) {
  const bool canDouble = !Holds(song, [](std::string_view code) { return Untied(code) == "23"; });
  const bool canHalve = !Holds(
      song, [](std::string_view code) { return Untied(code) == "16" || Untied(code) == "163"; });
  const ImportSpeed speed = ChooseSpeed(fileRate, canDouble, canHalve);
  if (!speed.chosen)
    return speed;
  const int part = song.currentPart;
  if (speed.scale == LengthScale::Double)
    (void)DoubleAll(song, false);
  else if (speed.scale == LengthScale::Half)
    (void)HalveAll(song, false);
  song.currentPart = part;
  song.setTempo(speed.tempo);
  return speed;
}

} // namespace pipora
