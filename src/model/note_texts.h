#pragma once
// The two texts of a note-list element, kept in place so that a list of a million notes is a
// flat array: the length code as one byte naming a row of the length table, and the pitch
// name as up to seven bytes. Both read as std::string_view, so they compare and print as the
// texts the list editor shows.
#include "model/vocabulary.h"

#include <cstdint>
#include <ostream>
#include <string_view>

namespace pipora {

class NoteLength {
public:
  NoteLength() = default;
  explicit NoteLength(std::string_view text) { *this = text; }

  // The sixteen codes keep their row; any other text reads back as "？" ("？_" when it ends in
  // a tie), except the end-of-track text. The empty text stays empty.
  NoteLength &operator=(std::string_view text);

  static NoteLength EndOfTrack() { return NoteLength(kEndId); }
  // The code of a tick count, "？" when no length has it, tied on request.
  static NoteLength FromTicks(int ticks, bool tied);
  // The length of a row of the length table, tied on request.
  static constexpr NoteLength OfRow(const LengthCode &row, bool tied) {
    return NoteLength(
        static_cast<std::uint8_t>((&row - kLengthCodes.data()) | (tied ? kTiedBit : 0)));
  }

  std::string_view text() const;
  operator std::string_view() const { return text(); }

  bool empty() const { return id_ == kEmptyId; }
  bool isEndOfTrack() const { return id_ == kEndId; }
  bool tied() const { return id_ < kUnknownId ? (id_ & kTiedBit) != 0 : id_ == kUnknownTiedId; }
  // The untied row of the length table; nullptr for "？", the end of track and empty.
  const LengthCode *row() const {
    return id_ < kUnknownId ? &kLengthCodes[id_ & kRowMask] : nullptr;
  }
  int ticks() const { return id_ < kUnknownId ? kLengthCodes[id_ & kRowMask].ticks : 0; }
  bool triplet() const { return id_ < kUnknownId && kLengthCodes[id_ & kRowMask].triplet; }

  void setTied(bool tied);
  // setTied(true) when `tie` holds, for a length with a row of the table; without a branch, for
  // the SMD reader's inner loop.
  void addTie(bool tie) { id_ |= static_cast<std::uint8_t>(tie ? kTiedBit : 0); }

  friend bool operator==(NoteLength a, NoteLength b) { return a.id_ == b.id_; }
  friend bool operator==(NoteLength a, std::string_view b) { return a.text() == b; }
  friend bool operator==(NoteLength a, const char *b) { return a.text() == b; }
  friend std::ostream &operator<<(std::ostream &out, NoteLength l) { return out << l.text(); }

private:
  // Rows 0..7 of the length table, the same with kTiedBit, then the unknown length (tied or
  // not), the end of track and empty.
  static constexpr std::uint8_t kRowMask = 7;
  static constexpr std::uint8_t kTiedBit = 8;
  static constexpr std::uint8_t kUnknownId = 16;
  static constexpr std::uint8_t kUnknownTiedId = 17;
  static constexpr std::uint8_t kEndId = 18;
  static constexpr std::uint8_t kEmptyId = 19;

  explicit constexpr NoteLength(std::uint8_t id) : id_(id) {}

  std::uint8_t id_ = kEmptyId;
};

// The fast forms of the vocabulary's length questions, for the lists' own lengths.
inline int LengthTicks(NoteLength length) {
  return length.ticks();
}
inline int GateTicks(NoteLength length) {
  return length.ticks() == 0 ? 0 : length.ticks() - kGateGap;
}
inline bool IsKnownLength(NoteLength length) {
  return length.row() != nullptr;
}
inline bool IsTied(NoteLength length) {
  return length.tied();
}
inline bool IsTriplet(NoteLength length) {
  return length.triplet();
}
inline int LengthIndex(NoteLength length) {
  return length.row() ? length.row()->group : -1;
}

// A pitch name ("C#", "R", or what was typed in the list editor) of at most seven bytes; a
// longer text is cut at a character boundary.
class PitchText {
public:
  PitchText() = default;
  explicit PitchText(std::string_view text) { *this = text; }
  PitchText &operator=(std::string_view text);

  // "C".."B" with sharps only, "R" for 0; as PitchNameOf, without building a string.
  static PitchText Of(int noteNumber);

  std::string_view text() const { return {bytes_, size_}; }
  operator std::string_view() const { return text(); }
  bool empty() const { return size_ == 0; }
  void clear() { size_ = 0; }

  friend bool operator==(const PitchText &a, const PitchText &b) { return a.text() == b.text(); }
  friend bool operator==(const PitchText &a, std::string_view b) { return a.text() == b; }
  friend bool operator==(const PitchText &a, const char *b) { return a.text() == b; }
  friend std::ostream &operator<<(std::ostream &out, const PitchText &p) { return out << p.text(); }

  static constexpr std::size_t kCapacity = 7;

private:
  char bytes_[kCapacity] = {};
  std::uint8_t size_ = 0;
};

} // namespace pipora
