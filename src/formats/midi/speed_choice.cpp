#include "formats/midi/speed_choice.h"

#include "model/song.h"

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

} // namespace pipora
