#pragma once
// What the pointer does to the score lists: a click puts the cursor where the arrow keys
// would, a drag or Shift+click selects as Shift with the arrows does (the selection the Edit
// menu works on), and a head dragged up or down changes its pitch as one undo step.
// Each returns what the window does next, as a key does.
#include "editing/score_keys.h"
#include "model/song.h"

namespace pipora {

// The part becomes current, the cursor stands before `cursor`, no selection. Previews
// `element` when it is a note.
ScoreKeyOutcome PointScoreCursor(Song &song, int part, int cursor, int element);
// A song just opened is shown from its start: the first part with notes (else part 1) becomes
// current and is the score's top part, its cursors at 0, no selection.
void PointAtSongStart(Song &song);
// Selects the elements from `anchor` to `element` of the current part, both included; the
// cursor at the end `element` lies on.
ScoreKeyOutcome SelectScoreElements(Song &song, int anchor, int element);
// Shift+click at cursor position `cursor` of the current part: the selection reaches from its
// anchor (the end the cursor is not on, or the cursor) to it, the clicked element included.
ScoreKeyOutcome ExtendScoreSelection(Song &song, int cursor);

// A head being dragged: which note, its pitch before, and whether the backup of the part was
// taken (once, before the first change, for single-step undo).
struct ScorePitchDrag {
  int part = 1;
  int element = 0;
  int original = 0;
  int current = 0;
  bool backedUp = false;
};
// Sets the dragged note to `noteNumber` (already limited, see DraggedPitch); a change
// redraws and previews, the snapshot waits for the release.
ScoreKeyOutcome DragScorePitch(Song &song, ScorePitchDrag &drag, int noteNumber);
// The release: one snapshot and the dirty mark when the pitch differs from the original.
ScoreKeyOutcome FinishScorePitchDrag(const ScorePitchDrag &drag);
// Puts the cursor before `cursor` of `part` and plays from there as measure play does.
ScoreKeyOutcome PlayScoreFrom(Song &song, int part, int cursor);

// "C#4  4_  03:2:24": pitch with octave (R for a rest), length code and position of an element
// of a part, for the pointer's hover text; "" for the end element.
std::string ScoreElementText(const Song &song, int part, int element, bool isTick);

} // namespace pipora
