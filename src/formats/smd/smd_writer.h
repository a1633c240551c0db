#pragma once
// Encoding SMD melody files. Every note must fit SMD: numbers 45 to 90, the sixteen
// length codes, and triplets in complete groups of three that fit one octave window.
// A song that does not fit is refused with the part, the element and the message.
#include "model/song.h"

#include <QByteArray>
#include <optional>
#include <string>
#include <string_view>

namespace pipora {

inline constexpr std::string_view kCannotHandleNote = "この音符は扱えません。保存に失敗しました。";
inline constexpr std::string_view kTripletNotComplete =
    "3連符は3つセットになっていなければなりません。保存に失敗しました。";
inline constexpr std::string_view kTripletTooWide = "3連符の音域が広過ぎます。保存に失敗しました。";

// Where a song cannot be saved: the part (1..16), the element index in its note list
// (for a triplet, the element of the group that failed) and one of the three messages.
struct SmdCheckFailure {
  int part = 0;
  int element = 0;
  std::string message;
};

struct SmdEncoding {
  QByteArray text; // the whole file in CP932, CR LF included; empty on failure
  std::optional<SmdCheckFailure> failure;
  bool ok() const { return !failure.has_value(); }
};

// Builds the file text from the note lists, title, tempo and volumes, running the
// three checks. The song's note lists must be current (BuildNoteList first when the
// score editor is active). As the phone format cannot tie inside a triplet, a tie on
// the first note of a triplet group is removed from the song, even when a later check fails.
SmdEncoding EncodeSmd(Song &song);

} // namespace pipora
