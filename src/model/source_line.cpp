#include "model/source_line.h"

namespace pipora {

std::string SourceLocation(std::int32_t tick, int ticksPerBeat, int beatsPerMeasure) {
  if (ticksPerBeat <= 0 || beatsPerMeasure <= 0)
    return "0:0:0";
  const std::int32_t beats = tick / ticksPerBeat;
  return std::to_string(beats / beatsPerMeasure + 1) + ":" +
         std::to_string(beats % beatsPerMeasure + 1) + ":" +
         std::to_string((tick % ticksPerBeat) / 10);
}

int SourceOctave(int noteNumber) {
  const int floorDiv = noteNumber >= 0 ? noteNumber / 12 : -((-noteNumber + 11) / 12);
  const int sign = (noteNumber > 0) - (noteNumber < 0);
  return (floorDiv - 1) * sign;
}

std::string SourceListLine(const NoteEntry &entry, int ticksPerBeat, int beatsPerMeasure) {
  std::string line = SourceLocation(entry.start, ticksPerBeat, beatsPerMeasure);
  line += '\t';
  line += entry.pitch;
  line += std::to_string(SourceOctave(entry.noteNumber));
  line += '\t';
  line += std::to_string(entry.noteNumber);
  line += '\t';
  line += entry.length;
  return line;
}

} // namespace pipora
