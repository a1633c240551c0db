#pragma once
// Finding notes by pitch, length or both, in the current part or in all parts, forwards,
// backwards or from the beginning. The score editor searches its score lists (lengths by
// ticks); the source editor searches the note lists (lengths by code text).
#include "editing/edit_outcome.h"
#include "model/song.h"

#include <optional>
#include <string>
#include <string_view>

namespace pipora {

inline constexpr std::string_view kFindNoCriterionMessage = "検索する音符を設定して下さい。";
inline constexpr std::string_view kFindNotFoundMessage = "指定された音符は見つかりませんでした。";

enum class FindDirection { Backward, Forward, FromTop };
enum class FindScope { AllParts, CurrentPart };
// Which lists are searched: the score editor's or the source editor's.
enum class FindTarget { Score, Source };

struct FindCriteria {
  bool usePitch = false;
  std::string pitchText; // "ド#", "c#", "r", "60" ...
  bool useLength = false;
  std::string lengthText; // "4", a number of ticks, "163" ...
  FindDirection direction = FindDirection::Forward;
  FindScope scope = FindScope::AllParts;
};

// The pitch a text asks for: a pitch class 0..11, -1 for a rest, or a note number above 11
// when the text is a number ("60"). Japanese and letter names, sharps and flats in half or
// full width; anything else searches for C.
int PitchTargetOf(std::string_view text);

// The length a text asks for, as ticks and as a code (the ticks of a quarter and "4" both give a
// quarter); 0 and "" for a number outside the table.
struct LengthTarget {
  int ticks = 0;
  std::string code;
};
LengthTarget LengthTargetOf(std::string_view text);

struct FindHit {
  int part = 0;  // 1..16
  int index = 0; // element index in that part's list
};

// The search itself: no message, nothing moves. Starts at the current part and its cursor
// (the score cursor or the note-list cursor, by target). No criterion ticked finds nothing.
std::optional<FindHit> FindNote(const Song &song, const FindCriteria &criteria, FindTarget target);

// The find command: searches, and on a hit makes the hit's part current and puts it under
// the cursor (score: selected alone; source: the note-list cursor). Without a criterion or
// without a hit the message to show is returned and nothing moves.
struct FindOutcome {
  std::optional<FindHit> hit;
  std::string message;
};
FindOutcome RunFind(Song &song, const FindCriteria &criteria, FindTarget target);

} // namespace pipora
