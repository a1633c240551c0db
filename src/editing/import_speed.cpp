#include "editing/import_speed.h"

#include "editing/transforms.h"
#include "model/vocabulary.h"

namespace pipora {
namespace {

bool Holds(const Song &song, bool (*match)(NoteLength)) {
  for (int n = 1; n <= kUserParts; ++n) {
    const Part &p = song.part(n);
    for (std::int32_t i = 0; i < p.count; ++i)
      if (match(p.notes[static_cast<std::size_t>(i)].length))
        return true;
  }
  return false;
}

} // namespace

ImportSpeed FitSpeed(Song &song, double fileRate, LengthScale readAt, std::int32_t maxElements) {
  if (readAt == LengthScale::Double) {
    // Read at twice the file's times: only the step is left to choose.
    ImportSpeed speed = ChooseSpeed(2 * fileRate, false, false);
    speed.fileRate = fileRate;
    speed.scale = LengthScale::Double;
    if (speed.chosen)
      song.setTempo(speed.tempo);
    return speed;
  }
  // A half-note triplet has no double, a sixteenth (plain or triplet) no half.
  bool canDouble = !Holds(song, [](NoteLength code) { return code.row() == &kTripletLengths[0]; });
  bool canHalve = !Holds(song, [](NoteLength code) {
    return code.row() == &kPlainLengths[3] || code.row() == &kTripletLengths[3];
  });
  const int part = song.currentPart;
  for (;;) {
    const ImportSpeed speed = ChooseSpeed(fileRate, canDouble, canHalve);
    if (!speed.chosen)
      return speed;
    // A scaling the song refuses (a part would grow past `maxElements`) changes nothing and
    // is left out of a new choice.
    if (speed.scale == LengthScale::Double && DoubleAll(song, false, maxElements).refused()) {
      canDouble = false;
    } else if (speed.scale == LengthScale::Half && HalveAll(song, false).refused()) {
      canHalve = false;
    } else {
      song.currentPart = part;
      song.setTempo(speed.tempo);
      return speed;
    }
  }
}

} // namespace pipora
