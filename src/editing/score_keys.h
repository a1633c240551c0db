#pragma once
// The score editor's keyboard: every key pressed on the score surface changes the score
// lists (cursor, selection, notes) here, and tells the window what else to do (redraw,
// snapshot, preview, run a menu command, scroll).
#include "editing/score_geometry.h"
#include "model/song.h"
#include "model/virtual_keys.h"

#include <optional>
#include <string>
#include <string_view>

namespace pipora {

// How a typed letter finds its octave and accidental. Off, the octave is the previous note's
// and the accidental that of the last note of the same syllable, wherever it stands.
struct LetterEntry {
  // The octave that puts the note nearest the previous note (B after D5 is B4).
  bool nearestOctave = false;
  // The key's accidental, unless an earlier note of the same letter in the bar altered it.
  bool keyAndBarAccidentals = false;
  int keyFifths = 0;
  // The labels spelled in the song's key: the letter each earlier note is written on.
  StaffLabelTable keyLabels = DefaultStaffLabels();
};

struct ScoreKeyOptions {
  ShortCutTable shortCuts = kDefaultShortCutTable;
  LetterEntry letters;
  bool isManyUndo = true;
  bool isNoCheck = false;
  bool playing = false;
};

// Menu commands of the main window that a key runs.
enum class ScoreCommand { None, Longer, Shorter, Tie, PlayAll, SoloPlay, MeasurePlay, StopPlay };

enum class VerticalScroll { None, ToMinimum, ToMaximum };

struct ScoreKeyOutcome {
  ScoreCommand command = ScoreCommand::None;
  bool changed = false;  // the score lists changed: relayout and full redraw
  bool snapshot = false; // take an undo snapshot
  bool dirty = false;
  int preview = 0; // a note number to sound, 0 for none
  VerticalScroll scroll = VerticalScroll::None;
  bool feedback = true; // refresh the time label and the caption
  // The note lists already hold the change (the snapshot need not rebuild them).
  bool noteListsCurrent = false;
};

// Handles one key. `keyCode` and `shift` as the shortcut table reads them. The window removes
// the cursor line or selection box before the call and draws the new one after it.
ScoreKeyOutcome HandleScoreKey(Song &song, int keyCode, int shift, const ScoreKeyOptions &options,
                               const StaffLabelTable &table);

// Ctrl with plus ("=", keypad +), minus or 0: the whole score larger (+1), smaller (-1) or at
// its own size (0). None for other keys, and for a key the shortcut table gives an action.
std::optional<int> ScoreZoomKey(int keyCode, int shift, const ShortCutTable &shortCuts);

// The parts of the handler, usable on their own.
void MoveScoreCursor(Song &song, int keyCode, int shift, VerticalScroll &scroll);
// Types a letter A-G at the cursor: octave and accidental as `rules` say, length from the
// note before. Returns the note number entered.
int EnterNoteLetter(Song &song, char letter, const StaffLabelTable &table,
                    const LetterEntry &rules = {});
void EnterRest(Song &song);
// The length a digit key gives the note before the cursor: 2, 4, 8 and 6 (for "16"), on the
// main keys or the keypad; "" for other keys.
std::string_view LengthOfDigitKey(int keyCode);
// Replaces the length of the note before the cursor ("2", "4", "8", "16").
void SetLengthBeforeCursor(Song &song, const std::string &code);
// Adds or removes the triplet mark of the note before the cursor.
void ToggleTripletBeforeCursor(Song &song);
// Adds `delta` to the selected notes, or to the note before the cursor. Returns the note
// before the cursor (for the preview) or 0.
int ChangePitch(Song &song, int delta, bool isNoCheck);
// Deletes the selection or the note before the cursor, keeping a backup in part 18.
void DeleteBackward(Song &song);

// "1:05:20" (minutes, seconds, hundredths) or, with `isTick`, "03:2:24" (bar, beat, ticks/10)
// for the current part's cursor.
std::string CursorTimeText(const Song &song, bool isTick);
// The same for any start tick.
std::string TickTimeText(const Song &song, int tick, bool isTick);

} // namespace pipora
