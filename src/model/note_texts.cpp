#include "model/note_texts.h"

#include <array>
#include <string>

namespace pipora {
namespace {

constexpr std::string_view kEmpty;

// The tied unknown length lives here so that text() can hand out a view of it.
constexpr std::string_view kUnknownTied = "？_";

// Every length of the table is a multiple of this many ticks.
constexpr int kTickStep = 40;
// The table's row of each multiple of kTickStep up to the longest length; -1 for none.
constexpr auto kRowByTicks = [] {
  std::array<int, kLengthCodes[0].ticks / kTickStep + 1> rows{};
  rows.fill(-1);
  for (std::size_t r = 0; r < kLengthCodes.size(); ++r)
    rows[static_cast<std::size_t>(kLengthCodes[r].ticks / kTickStep)] = static_cast<int>(r);
  return rows;
}();
static_assert([] {
  for (const LengthCode &row : kLengthCodes)
    if (row.ticks % kTickStep != 0 || row.ticks > kLengthCodes[0].ticks)
      return false;
  return true;
}());

} // namespace

NoteLength &NoteLength::operator=(std::string_view text) {
  if (text.empty()) {
    id_ = kEmptyId;
    return *this;
  }
  if (text == kEndOfTrack) {
    id_ = kEndId;
    return *this;
  }
  const bool tied = text.back() == '_';
  if (const LengthCode *row = FindLength(text))
    id_ = static_cast<std::uint8_t>((row - kLengthCodes.data()) | (tied ? kTiedBit : 0));
  else
    id_ = tied ? kUnknownTiedId : kUnknownId;
  return *this;
}

NoteLength NoteLength::FromTicks(int ticks, bool tied) {
  // Every imported and fitted note comes through here: one look in a table by ticks.
  if (ticks >= 0 && ticks % kTickStep == 0 &&
      static_cast<std::size_t>(ticks / kTickStep) < kRowByTicks.size())
    if (const int row = kRowByTicks[static_cast<std::size_t>(ticks / kTickStep)]; row >= 0)
      return NoteLength(static_cast<std::uint8_t>(row | (tied ? kTiedBit : 0)));
  return NoteLength(tied ? kUnknownTiedId : kUnknownId);
}

std::string_view NoteLength::text() const {
  if (id_ < kUnknownId) {
    const LengthCode &row = kLengthCodes[id_ & kRowMask];
    return (id_ & kTiedBit) ? row.tied : row.code;
  }
  switch (id_) {
  case kUnknownId:
    return kUnknownLength;
  case kUnknownTiedId:
    return kUnknownTied;
  case kEndId:
    return kEndOfTrack;
  default:
    return kEmpty;
  }
}

void NoteLength::setTied(bool tied) {
  if (id_ < kUnknownId)
    id_ = static_cast<std::uint8_t>(tied ? (id_ | kTiedBit) : (id_ & kRowMask));
  else if (id_ == kUnknownId || id_ == kUnknownTiedId)
    id_ = tied ? kUnknownTiedId : kUnknownId;
}

PitchText &PitchText::operator=(std::string_view text) {
  std::size_t size = std::min(text.size(), kCapacity);
  // Never keep half of a UTF-8 character: back up over continuation bytes.
  if (size < text.size())
    while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80)
      --size;
  text.copy(bytes_, size);
  size_ = static_cast<std::uint8_t>(size);
  return *this;
}

PitchText PitchText::Of(int noteNumber) {
  // Called for every element a song is built from: the thirteen texts are made once.
  static const std::array<PitchText, 13> kTexts = [] {
    std::array<PitchText, 13> texts;
    for (std::size_t i = 0; i < kPitchNames.size(); ++i)
      texts[i] = PitchText(kPitchNames[i]);
    texts[12] = PitchText("R");
    return texts;
  }();
  return kTexts[noteNumber == 0 ? 12 : static_cast<std::size_t>(PitchClassOf(noteNumber))];
}

} // namespace pipora
