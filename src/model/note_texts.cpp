#include "model/note_texts.h"

#include <array>
#include <string>

namespace pipora {
namespace {

constexpr std::string_view kEmpty;

// "？" and "？_" live here so that text() can hand out a view of them.
constexpr std::string_view kUnknownTied = "？_";

// Index of the untied row whose code is `code`, -1 when none is.
int RowOf(std::string_view code) {
  for (std::size_t i = 0; i < kLengthCodes.size(); ++i)
    if (kLengthCodes[i].code == code)
      return static_cast<int>(i);
  return -1;
}

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
  if (tied)
    text.remove_suffix(1);
  const int row = RowOf(text);
  if (row < 0)
    id_ = tied ? kUnknownTiedId : kUnknownId;
  else
    id_ = static_cast<std::uint8_t>(row | (tied ? kTiedBit : 0));
  return *this;
}

NoteLength NoteLength::FromTicks(int ticks, bool tied) {
  for (std::size_t i = 0; i < kLengthCodes.size(); ++i)
    if (kLengthCodes[i].ticks == ticks)
      return NoteLength(static_cast<std::uint8_t>(i | (tied ? kTiedBit : 0)));
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
  if (noteNumber == 0)
    return PitchText("R");
  return PitchText(kPitchNames[static_cast<std::size_t>(PitchClassOf(noteNumber))]);
}

} // namespace pipora
