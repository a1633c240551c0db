#pragma once
// What an SMD file cannot hold, found in the whole song at once: notes outside the SMD range or
// with a length outside the sixteen codes, triplet groups that are not three of one length, and
// triplet groups whose pitches fit none of the phone's three octave windows. The SMD writer
// refuses a save on the first of these; the problem list shows all of them. Both use this one
// checker, so they cannot disagree.
#include "model/smd_rules.h"
#include "model/song.h"

#include <cstddef>
#include <limits>
#include <string_view>
#include <vector>

namespace pipora {

inline constexpr std::string_view kCannotHandleNote = "この音符は扱えません。保存に失敗しました。";
inline constexpr std::string_view kTripletNotComplete =
    "3連符は3つセットになっていなければなりません。保存に失敗しました。";
inline constexpr std::string_view kTripletTooWide = "3連符の音域が広過ぎます。保存に失敗しました。";

// A part beyond kMaxSmdPartNotes (smd_rules.h) is refused on saving, so that every file
// written can be opened again.
inline constexpr std::string_view kPartTooLong =
    "パートの音符が多すぎます（100000 個まで）。保存に失敗しました。";

enum class SaveProblemKind {
  NoteNotSavable,     // outside the SMD range, a negative number, or a length SMD has no code for
  TripletNotComplete, // the group's lengths differ, or its second note is tied
  TripletTooWide,     // the group's pitches fit no octave window
  PartTooLong,        // the part's notes from kMaxSmdPartNotes on, which no reader takes
};

struct SaveProblem {
  int part = 0;          // 1..16
  int element = 0;       // index in the part's note list (the failing note of a group)
  int groupStart = -1;   // first element of the triplet group, -1 for a single note
  std::int32_t tick = 0; // start tick of the element (as RecalcTimes left it)
  int noteNumber = 0;
  SaveProblemKind kind = SaveProblemKind::NoteNotSavable;

  // The save check's own message.
  std::string_view message() const;
  // What is wrong, as a list of problems shows it: the message without its closing
  // "保存に失敗しました。", since nothing was being saved.
  std::string_view listMessage() const;
};

// The elements a problem is about, in order and never the end marker: the note, or for a
// triplet group that is incomplete or too wide the notes of the group up to the failing one.
std::vector<int> ProblemElements(const Part &part, const SaveProblem &problem);

inline constexpr std::size_t kAllProblems = std::numeric_limits<std::size_t>::max();

// The problems of one part, in element order, appended to `out` until it holds `limit`.
// Parts without elements have none. Each single note and each triplet group gives at most
// one problem: the one the save check reports for it.
void FindPartSaveProblems(const Part &part, int partNumber, std::vector<SaveProblem> &out,
                          std::size_t limit = kAllProblems);

// The problems of the user's parts 1..16 in part and element order.
std::vector<SaveProblem> FindSaveProblems(const Song &song, std::size_t limit = kAllProblems);

// The phone cannot tie inside a triplet: the ties of triplet groups' first notes are dropped
// from the song, as far as the first problem the save check finds (which still loses its own).
// The editor does this whenever it writes the song, so that the score shows what the file holds.
void DropTripletTies(Song &song);

// True for the sixteen length codes ("2" ... "163_").
bool IsSmdLength(std::string_view code);
inline bool IsSmdLength(NoteLength length) {
  return IsKnownLength(length);
}

} // namespace pipora
