#include "model/note_texts.h"

#include <array>
#include <string>

namespace pipora {
namespace {

constexpr std::string_view kEmpty;

// The tied unknown length lives here so that text() can hand out a view of it.
constexpr std::string_view kUnknownTied = "？_";

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
  if (const LengthCode *row = FindLengthByTicks(ticks))
    return NoteLength(
        static_cast<std::uint8_t>((row - kLengthCodes.data()) | (tied ? kTiedBit : 0)));
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
  // Called for every element a song is built from: the names are short and whole, so they
  // are copied without the cut at a character boundary.
  const std::string_view name =
      noteNumber == 0 ? "R" : kPitchNames[static_cast<std::size_t>(PitchClassOf(noteNumber))];
  PitchText text;
  for (const char c : name)
    text.bytes_[text.size_++] = c;
  return text;
}

} // namespace pipora
