#include "model/smd_rules.h"

#include <algorithm>

namespace pipora {
namespace {

constexpr int kHalfGroup = 3;

} // namespace

bool SingleNoteSavable(int noteNumber, NoteLength length) {
  return IsKnownLength(length) && noteNumber >= 0 && (noteNumber == 0 || InSmdRange(noteNumber));
}

bool NoteEncodable(int noteNumber, NoteLength length) {
  const LengthCode *row = length.row();
  if (row == nullptr || noteNumber < 0)
    return false;
  return noteNumber == 0 || InSmdRange(noteNumber) || noteNumber == kSmdLowestNote - 1 ||
         (noteNumber == kSmdLowestNote - 2 && row->group == kHalfGroup);
}

TripletSpan SpanOfTriplet(int first, int second, int third) {
  TripletSpan span;
  for (const int n : {first, second, third}) {
    if (n > 0)
      span.lowest = std::min(span.lowest, n);
    span.highest = std::max(span.highest, n);
  }
  return span;
}

} // namespace pipora
