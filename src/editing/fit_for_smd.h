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
//     nearest sixteenth of its time before fitting, so each beat keeps its duration and the
//     timing never drifts by more than half a sixteenth; every note keeps at least a sixteenth.
//     A length no single code has is written as tied pieces of the same pitch.
//  6. A single note outside the SMD range is folded by octaves into the range.
#include "model/save_checks.h"
#include "model/song.h"

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

struct FitResult {
  Song song;
  std::vector<FitChange> changes;
};

// The song with every user part fitted; clipboard and backup slot are left as they are.
// Start ticks are recomputed and the score lists rebuilt.
FitResult FitForSmd(const Song &song);

// The same on the song itself, for a caller that has no use for the song as it was (a
// batch conversion): spares copying a long song. The score lists are left to the caller.
std::vector<FitChange> FitForSmdInPlace(Song &song);

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

// One line per change: "part<TAB>element<TAB>measure:beat:tick<TAB>what".
std::string FitChangesText(const std::vector<FitChange> &changes, int ticksPerBeat,
                           int beatsPerMeasure);

} // namespace pipora
