#pragma once
// Fitting a song for SMD: mends every problem the save check would refuse, with the least
// change to the music, and says what it changed. A pure function: the caller takes the
// undo snapshot and puts the result in place, so the whole fitting is one undo step.
//
// The rules, in the order they are applied to each of the user's parts:
//  1. A length outside the sixteen codes becomes the length the note plays for (as plain
//     pieces tied together when no single code has it); a negative note number becomes a rest.
//  2. A whole triplet group (three notes of one triplet length) stays a triplet group. A tie
//     on its first or second note is removed: the phone cannot tie inside a group.
//  3. A whole group whose pitches fit none of the three octave windows has its notes moved
//     by octaves into the window that needs the fewest octave moves (middle, low, high on a
//     tie).
//  4. Triplet notes that form no whole group are completed with triplet rests when one or
//     two of one length are followed by rests long enough to give the missing notes and
//     leave whole sixteenths; later notes then keep their exact times.
//  5. Otherwise those notes get plain lengths: each of their start and end times moves to the
//     nearest sixteenth of its time before fitting, so each beat keeps its duration; every
//     note keeps at least a sixteenth. A length no single code has is written as tied pieces
//     of the same pitch.
//  6. A single note outside the SMD range is folded by octaves into the range.
// Time is kept throughout: no note starts more than half a sixteenth from where it started
// before, and a part ends where it ended (on the nearest sixteenth when it ended off it).
// When a rule has lengthened a note, the elements after it end on their own nearest
// sixteenths again: a rest gives the time back (and goes when it has none left), a note
// is shortened. A note that has no sixteenth of its own and no rest after it to take one
// from is dropped.
#include "model/save_checks.h"
#include "model/song.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace pipora {

enum class FitChangeKind {
  LengthMended,     // rule 1: a length outside the codes
  NegativeToRest,   // rule 1: a note number below zero
  TieRemoved,       // rule 2
  MovedIntoWindow,  // rule 3: octaves = how far this note moved
  TripletCompleted, // rule 4
  TripletToPlain,   // rule 5: shift = how much later notes moved (ticks, later positive)
  Folded,           // rule 6: octaves = how far the note moved
  TimeGivenBack,    // an element shortened (or a rest left out) to end on time again
  NoteDropped,      // a note with no sixteenth of its own
};

// English words for listings and the command line.
std::string_view FitChangeName(FitChangeKind kind);

struct FitChange {
  int part = 0;
  int element = 0;       // first element concerned in the song before fitting
  int count = 1;         // elements of the song before fitting it concerns
  int newElement = 0;    // first element it gave in the fitted song
  int newCount = 0;      // elements it gave in the fitted song
  std::int32_t tick = 0; // start tick of `element` before fitting
  FitChangeKind kind = FitChangeKind::Folded;
  int octaves = 0;
  std::int32_t shift = 0;
};

// How far the fitting moved note starts in each part: the largest move (ticks, either way).
using FitMoves = std::array<std::int32_t, kUserParts + 1>; // index = part, 0 unused

struct FitResult {
  Song song;
  std::vector<FitChange> changes;
  FitMoves moves{};
};

// The song with every user part fitted; clipboard and backup slot are left as they are.
// Start ticks are recomputed and the score lists rebuilt.
FitResult FitForSmd(const Song &song);

// The same on the song itself, for a caller that has no use for the song as it was (a
// batch conversion): spares copying a long song. The score lists are left to the caller.
std::vector<FitChange> FitForSmdInPlace(Song &song, FitMoves *moves = nullptr);

// Mends only the problem the save check finds at `element` of user part `partNumber` (as
// FindSaveProblems reports it), by the same rules, within ProblemStretch. Every other
// problem stays as it was. The song comes back unchanged, with no changes, when there is no
// problem there.
FitResult FitProblemForSmd(const Song &song, int partNumber, int element);

// The elements [first, second) a fitting of one problem of `part` (start ticks current) may
// change: a single note alone; for a problem of a triplet group the smallest stretch that
// holds the group, every run of triplet notes it touches and every group the save check
// forms in it, and the plain rests after it (which may complete a group). The check walks
// the elements before and after the stretch as it did before the fitting, so their problems
// stay.
std::pair<int, int> ProblemStretch(const Part &part, const SaveProblem &problem);

// A change that moved no note's start: a triplet group completed with rests, or triplet notes
// given plain lengths with every later note where it was. A report counts these.
bool MovesNoNote(const FitChange &change);

// One line per change: "part<TAB>element<TAB>measure:beat:tick<TAB>what".
std::string FitChangesText(const std::vector<FitChange> &changes, int ticksPerBeat,
                           int beatsPerMeasure);

// "パート 1: 最大 40 ティック移動" for each part the fitting changed.
std::string FitMovesText(const FitMoves &moves);

} // namespace pipora
