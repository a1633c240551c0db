#include "editing/import_speed.h"

#include "editing/transforms.h"
#include "model/vocabulary.h"

namespace pipora {
namespace {

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

ImportSpeed FitSpeed(Song &song, double fileRate, LengthScale readAt) {
  if (readAt == LengthScale::Double) {
    // Read at twice the file's times: only the step is left to choose.
    ImportSpeed speed = ChooseSpeed(2 * fileRate, false, false);
    speed.fileRate = fileRate;
    speed.scale = LengthScale::Double;
    if (speed.chosen)
      song.setTempo(speed.tempo);
    return speed;
  }
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
