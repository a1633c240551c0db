#pragma once
// The check that an engraved staff is readable: the boxes of heads, accidentals, stems,
// flags, beams, rests, labels and bar lines of one part do not overlap, except where one
// symbol is made to touch another (a head and its own stem, stems and the beam they carry).
#include "engraving/engraving_layout.h"

#include <string>
#include <vector>

namespace pipora {

struct InkBox {
  enum class Kind { Head, Accidental, Stem, Flag, Beam, Rest, Label, BarLine };
  Kind kind = Kind::Head;
  int owner = -1; // note index in EngravedPart::notes (bar lines: -1)
  int group = -1; // beam group, or -1
  double left = 0, top = 0, right = 0, bottom = 0;
};

// The boxes of a laid-out part; bar lines at the given surface x.
std::vector<InkBox> InkBoxes(const EngravedPart &part, const EngravingMetrics &metrics,
                             const std::vector<double> &barLines);

// Pairs of overlapping boxes that should not touch, described for a test's message; empty
// when the staff is clean.
std::vector<std::string> Collisions(const std::vector<InkBox> &boxes);

} // namespace pipora
