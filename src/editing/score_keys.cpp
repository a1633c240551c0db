#include "editing/score_keys.h"

#include "editing/key_inference.h"

#include "model/keymap.h"
#include "model/position_text.h"
#include "model/vocabulary.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace pipora {
namespace {

Part &CurrentScorePart(Song &song) {
  return song.part(ScoreCurrentPart(song));
}

void SetScorePart(Song &song, int part) {
  song.part(1).scoreHeader.partNumber = static_cast<std::int16_t>(part);
  song.currentPart = part;
}

int CursorOf(const Part &part) {
  return std::clamp(part.scoreHeader.cursor, 0, part.scoreHeader.count);
}

int StartAt(const Part &part, int index) {
  return part.score[static_cast<std::size_t>(index)].start;
}

int LastElementAtOrBefore(const Part &part, int tick, int last) {
  int found = 0;
  for (int i = 0; i <= last; ++i)
    if (StartAt(part, i) <= tick)
      found = i;
    else
      break;
  return found;
}

bool HasSelection(const Part &part) {
  return part.scoreHeader.selLength > 0;
}

bool EndsWithSharp(std::string_view label) {
  return label.ends_with("#") || label.ends_with("＃");
}

bool EndsWithFlat(std::string_view label) {
  return label.ends_with("b") || label.ends_with("ｂ");
}

// The staff label row of an element; rests read the first row.
int LabelRowOf(int noteNumber) {
  return noteNumber <= 0 ? 0 : PitchClassOf(noteNumber);
}

// Semitone steps need the note itself in range; octave steps only the result.
bool PitchChangeAllowed(int n, int delta) {
  const bool semitone = delta == 1 || delta == -1;
  return (!semitone || InSmdRange(n)) && InSmdRange(n + delta);
}

// Makes the note lists current and returns the current part with the backup taken.
Part &PrepareNoteListEdit(Song &song) {
  SetScorePart(song, ScoreCurrentPart(song));
  BackupPart(song, true);
  BuildNoteList(song);
  return song.part(song.currentPart);
}

std::string LengthBefore(const Part &part, int noteCursor) {
  if (noteCursor <= 0)
    return "4";
  return std::string(part.notes[static_cast<std::size_t>(noteCursor - 1)].length);
}

void InsertAtScoreCursor(Song &song, Part &part, int noteNumber, const std::string &length,
                         const std::string &pitch) {
  const int at = std::clamp(part.scoreHeader.cursor, 0, part.count);
  InsertNote(song, song.currentPart, at, noteNumber, length, pitch);
  part.cursor = at + 1;
  RecalcTimes(song);
  BuildScoreList(song);
}

template <typename Change> void ChangeLengthBeforeCursor(Song &song, Change change) {
  SetScorePart(song, ScoreCurrentPart(song));
  BackupPart(song, true);
  Part &part = song.part(song.currentPart);
  part.scoreHeader.cursor = CursorOf(part) - 1;
  BuildNoteList(song);
  if (part.cursor >= 0 && part.cursor < part.count) {
    NoteLength &code = part.notes[static_cast<std::size_t>(part.cursor)].length;
    code = change(std::string(code));
  }
  RecalcTimes(song);
  BuildScoreList(song);
  part.scoreHeader.cursor = std::min(part.scoreHeader.cursor + 1, part.scoreHeader.count);
}

} // namespace

namespace {

// Left or Right without Shift: a selection collapses to the edge in that direction; else the
// cursor steps one element, staying within the part.
int StepCursor(ScoreHeader &h, int c, int direction, int count) {
  if (h.selLength > 0) {
    const int edge = direction < 0 ? h.selStart : h.selStart + h.selLength;
    h.selLength = 0;
    return edge;
  }
  return std::clamp(c + direction, 0, count);
}

// Shift+Left or Shift+Right: starts a selection of one element, grows the selection at the
// edge the cursor is on, or shrinks it from the other edge. The cursor moves with it.
int ExtendSelection(ScoreHeader &h, int c, int direction, int count) {
  const int to = c + direction;
  if (h.selLength <= 0) {
    if (to < 0 || to > count)
      return c;
    h.selStart = std::min(c, to);
    h.selLength = 1;
    return to;
  }
  const int movingEdge = direction < 0 ? h.selStart : h.selStart + h.selLength;
  if (c == movingEdge) {
    if (to < 0 || to > count)
      return c;
    if (direction < 0)
      --h.selStart;
    ++h.selLength;
    return to;
  }
  if (direction > 0)
    ++h.selStart;
  --h.selLength;
  return to;
}

// Ctrl+Left or Ctrl+Right: a bar earlier or later, when nothing is selected.
int JumpBar(const Song &song, const Part &part, int c, int direction) {
  const int bar = song.beatsPerMeasure * song.ticksPerBeat;
  const int count = part.scoreHeader.count;
  if (HasSelection(part))
    return c;
  if (direction < 0)
    return FirstElementAtOrAfter(part, StartAt(part, c) - bar);
  if (count <= 0)
    return c;
  return LastElementAtOrBefore(part, StartAt(part, c) + bar, count - 1);
}

int MoveAlongPart(const Song &song, Part &part, int c, int direction, int shift) {
  ScoreHeader &h = part.scoreHeader;
  if (shift == 0)
    return StepCursor(h, c, direction, h.count);
  if (shift == vk::kShift)
    return ExtendSelection(h, c, direction, h.count);
  if (shift == vk::kCtrl)
    return JumpBar(song, part, c, direction);
  return c;
}

// Home: to the first element; with Shift the selection reaches back to it.
int MoveHome(ScoreHeader &h, int c, int shift) {
  if (shift != 0 && h.selLength > 0) {
    h.selLength += h.selStart;
    h.selStart = 0;
  } else if (shift != 0 && c > 0) {
    h.selStart = 0;
    h.selLength = c;
  } else if (shift == 0) {
    h.selLength = 0;
  }
  return 0;
}

// End: to the end marker; with Shift the selection reaches on to it.
int MoveEnd(ScoreHeader &h, int c, int shift) {
  if ((shift & vk::kShift) != 0) {
    const int from = h.selLength > 0 ? h.selStart : c;
    h.selStart = from;
    h.selLength = h.count - from;
  } else {
    h.selLength = 0;
  }
  return h.count;
}

// Up or Down: the same time in the part above or below, or a scroll at the first or last part.
void MoveToNeighbourPart(Song &song, int c, int direction, VerticalScroll &scroll) {
  Part &part = CurrentScorePart(song);
  part.scoreHeader.selLength = 0;
  const int p = ScoreCurrentPart(song);
  if (direction > 0 && p == kUserParts) {
    scroll = VerticalScroll::ToMaximum;
  } else if (direction < 0 && p == 1) {
    scroll = VerticalScroll::ToMinimum;
  } else {
    const int tick = StartAt(part, c);
    part.scoreHeader.cursor = c;
    const int next = p + direction;
    SetScorePart(song, next);
    Part &to = song.part(next);
    to.scoreHeader.cursor = direction > 0 ? FirstElementAtOrAfter(to, tick)
                                          : LastElementAtOrBefore(to, tick, to.scoreHeader.count);
    return;
  }
  part.scoreHeader.cursor = c;
}

} // namespace

void MoveScoreCursor(Song &song, int keyCode, int shift, VerticalScroll &scroll) {
  Part &part = CurrentScorePart(song);
  ScoreHeader &h = part.scoreHeader;
  const int c = CursorOf(part);
  switch (keyCode) {
  case vk::Left:
  case vk::Right:
    h.cursor = MoveAlongPart(song, part, c, keyCode == vk::Left ? -1 : 1, shift);
    return;
  case vk::Home:
    h.cursor = MoveHome(h, c, shift);
    return;
  case vk::End:
    h.cursor = MoveEnd(h, c, shift);
    return;
  case vk::Up:
  case vk::Down:
    if (shift == 0 || shift == vk::kCtrl)
      MoveToNeighbourPart(song, c, keyCode == vk::Up ? -1 : 1, scroll);
    else
      h.cursor = c;
    return;
  default:
    return;
  }
}

namespace {

constexpr std::array<int, 7> kNaturalPitchClass = {0, 2, 4, 5, 7, 9, 11};

// The step (0 = C ... 6 = B) a letter names.
int StepOfLetter(char letter) {
  return (letter - 'C' + 7) % 7;
}

// The accidental an earlier note of the same letter set in the bar of the cursor, else the
// key's.
int KeyAndBarAlteration(const Song &song, const Part &part, int cursor, int step,
                        const LetterEntry &rules) {
  const int measure = std::max(1, song.measureTicks());
  const int tick = part.notes[static_cast<std::size_t>(cursor)].start;
  const int barStart = (tick >= 0 ? tick / measure : -((-tick + measure - 1) / measure)) * measure;
  for (int i = cursor - 1; i >= 0; --i) {
    const NoteEntry &e = part.notes[static_cast<std::size_t>(i)];
    if (e.start < barStart)
      break;
    if (e.noteNumber <= 0)
      continue;
    const int pc = e.noteNumber % 12;
    const int position =
        static_cast<int>(std::lround(rules.keyLabels[static_cast<std::size_t>(pc)].position));
    const int writtenStep = ((position / 6) % 7 + 7) % 7;
    if (writtenStep == step)
      return (pc - kNaturalPitchClass[static_cast<std::size_t>(step)] + 18) % 12 - 6;
  }
  return KeyAlteration(rules.keyFifths, step);
}

} // namespace

int EnterNoteLetter(Song &song, char letter, const StaffLabelTable &table,
                    const LetterEntry &rules) {
  Part &part = PrepareNoteListEdit(song);
  const int nc = std::clamp(part.cursor, 0, part.count);
  auto octaveOf = [&](int i) {
    return part.notes[static_cast<std::size_t>(i)].noteNumber / 12 - 1;
  };
  int octave = 4;
  int previous = 0; // the note the octave was taken from
  if (nc > 0) {
    octave = octaveOf(nc - 1);
    previous = part.notes[static_cast<std::size_t>(nc - 1)].noteNumber;
    // After a rest (or a very low note) the octave comes from an earlier note.
    for (int i = nc - 2; octave < 2 && i >= 0; --i)
      if (octaveOf(i) > 2) {
        octave = octaveOf(i);
        previous = part.notes[static_cast<std::size_t>(i)].noteNumber;
      }
    if (octave < 2) {
      octave = 4;
      previous = 0;
    }
  }
  octave = std::min(octave, 9);
  int n = NoteNumberFromText(std::string(1, letter) + std::to_string(octave));
  if (rules.keyAndBarAccidentals) {
    n += KeyAndBarAlteration(song, part, nc, StepOfLetter(letter), rules);
  } else {
    const std::string_view syllable = SyllableOf(table[static_cast<std::size_t>(n % 12)].label);
    for (int i = nc - 1; i >= 0; --i) {
      const std::string &label = table[static_cast<std::size_t>(LabelRowOf(
                                           part.notes[static_cast<std::size_t>(i)].noteNumber))]
                                     .label;
      if (!std::string_view(label).starts_with(syllable))
        continue;
      if (EndsWithSharp(label))
        ++n;
      else if (EndsWithFlat(label))
        --n;
      break;
    }
  }
  if (rules.nearestOctave && previous > 0) {
    // The octave below or above when it lies nearer; a tritone either way goes up.
    if (n - previous > 6 && octave > 0) {
      n -= 12;
      --octave;
    } else if (previous - n >= 6 && octave < 9) {
      n += 12;
      ++octave;
    }
  }
  InsertAtScoreCursor(song, part, n, LengthBefore(part, nc),
                      std::string(1, letter) + std::to_string(octave));
  return n;
}

void EnterRest(Song &song) {
  Part &part = PrepareNoteListEdit(song);
  InsertAtScoreCursor(song, part, 0, LengthBefore(part, std::clamp(part.cursor, 0, part.count)),
                      "R0");
}

void SetLengthBeforeCursor(Song &song, const std::string &code) {
  ChangeLengthBeforeCursor(song, [&](const std::string &) { return code; });
}

void ToggleTripletBeforeCursor(Song &song) {
  ChangeLengthBeforeCursor(song, [](std::string code) {
    const std::size_t three = code.find('3');
    if (three != std::string::npos) {
      code.erase(three, 1);
      return code;
    }
    // The tie mark stays last.
    if (!code.empty() && code.back() == '_')
      code.insert(code.size() - 1, "3");
    else
      code += "3";
    return code;
  });
}

int ChangePitch(Song &song, int delta, bool isNoCheck) {
  SetScorePart(song, ScoreCurrentPart(song));
  BackupPart(song, true);
  Part &part = song.part(song.currentPart);
  const ScoreHeader &h = part.scoreHeader;
  auto change = [&](int i) {
    ScoreNote &note = part.score[static_cast<std::size_t>(i)];
    if (note.noteNumber >= 1 && (isNoCheck || PitchChangeAllowed(note.noteNumber, delta)))
      note.noteNumber = static_cast<std::int16_t>(note.noteNumber + delta);
  };
  if (HasSelection(part)) {
    const int first = std::max(h.selStart, 0);
    const int last = std::min(h.selStart + h.selLength, h.count);
    for (int i = first; i < last; ++i)
      change(i);
    return 0;
  }
  const int c = CursorOf(part);
  if (c < 1)
    return 0;
  change(c - 1);
  return std::max<int>(part.score[static_cast<std::size_t>(c - 1)].noteNumber, 0);
}

void DeleteBackward(Song &song) {
  SetScorePart(song, ScoreCurrentPart(song));
  Part &part = song.part(song.currentPart);
  ScoreHeader &h = part.scoreHeader;
  if (HasSelection(part)) {
    BackupPart(song, true);
    h.cursor = std::clamp(h.selStart, 0, h.count);
    for (int i = 0, n = h.selLength; i < n; ++i)
      ScoreDelete(song, song.currentPart, h.cursor);
    h.selLength = 0;
    BuildNoteList(song);
    return;
  }
  const int c = CursorOf(part);
  if (c < 1)
    return;
  h.cursor = c - 1;
  BackupPart(song, true);
  ScoreDelete(song, song.currentPart, h.cursor);
  BuildNoteList(song);
  // Undoing by exchange puts the cursor back after the restored note.
  song.part(kBackupPart).scoreHeader.cursor += 1;
}

namespace {

// What the keys outside the shortcut table do on the score surface.
enum class FixedKey {
  None,
  MoveCursor,     // arrows, Home, End
  DeleteBackward, // Backspace
  Rest,           // R
  Letter,         // A to G
  Sharp,          // Shift+3, the "#" key: a semitone up
  Triplet,        // 3 or keypad 3, alone or with Alt
  Length,         // 2, 4, 8, 6 (for 16), on the main keys or the keypad
};

FixedKey FixedKeyOf(int keyCode, int shift) {
  switch (keyCode) {
  case vk::End:
  case vk::Home:
  case vk::Left:
  case vk::Right:
  case vk::Up:
  case vk::Down:
    return FixedKey::MoveCursor;
  case vk::Back:
    return FixedKey::DeleteBackward;
  case 'R':
    return FixedKey::Rest;
  default:
    break;
  }
  if (keyCode >= 'A' && keyCode <= 'G')
    return FixedKey::Letter;
  if (keyCode == '3' && shift == vk::kShift)
    return FixedKey::Sharp;
  if ((keyCode == '3' || keyCode == vk::NumpadDigit(3)) && (shift == 0 || shift == vk::kAlt))
    return FixedKey::Triplet;
  if (!LengthOfDigitKey(keyCode).empty())
    return FixedKey::Length;
  return FixedKey::None;
}

// The score changed: redraw, take a snapshot, mark the song dirty.
void MarkEdited(ScoreKeyOutcome &out, bool noteListsCurrent) {
  out.changed = out.snapshot = out.dirty = true;
  if (noteListsCurrent)
    out.noteListsCurrent = true;
}

void ChangePitchByKey(Song &song, int delta, const ScoreKeyOptions &options, ScoreKeyOutcome &out) {
  const Part &part = CurrentScorePart(song);
  if (!HasSelection(part) && CursorOf(part) < 1)
    return;
  out.preview = ChangePitch(song, delta, options.isNoCheck);
  MarkEdited(out, false);
}

void RunShortCut(Song &song, ShortCutAction action, const ScoreKeyOptions &options,
                 ScoreKeyOutcome &out) {
  switch (action) {
  case ShortCutAction::SemitoneUp:
    return ChangePitchByKey(song, 1, options, out);
  case ShortCutAction::SemitoneDown:
    return ChangePitchByKey(song, -1, options, out);
  case ShortCutAction::OctaveUp:
    return ChangePitchByKey(song, 12, options, out);
  case ShortCutAction::OctaveDown:
    return ChangePitchByKey(song, -12, options, out);
  case ShortCutAction::Longer:
    out.command = ScoreCommand::Longer;
    return;
  case ShortCutAction::Shorter:
    out.command = ScoreCommand::Shorter;
    return;
  case ShortCutAction::Tie:
    out.command = ScoreCommand::Tie;
    return;
  case ShortCutAction::PlayAll:
    BuildNoteList(song);
    out.command = ScoreCommand::PlayAll;
    return;
  case ShortCutAction::SoloPlay:
    BuildNoteList(song);
    out.command = ScoreCommand::SoloPlay;
    return;
  case ShortCutAction::MeasurePlay:
    BuildNoteList(song);
    out.command = ScoreCommand::MeasurePlay;
    return;
  case ShortCutAction::StopPlay:
    return;
  }
}

void RunFixedKey(Song &song, FixedKey key, int keyCode, int shift, const ScoreKeyOptions &options,
                 const StaffLabelTable &table, ScoreKeyOutcome &out) {
  const Part &part = CurrentScorePart(song);
  const bool sel = HasSelection(part);
  const bool noteBefore = CursorOf(part) >= 1;
  switch (key) {
  case FixedKey::None:
    return;
  case FixedKey::MoveCursor:
    return MoveScoreCursor(song, keyCode, shift, out.scroll);
  case FixedKey::DeleteBackward:
    if (sel || noteBefore) {
      DeleteBackward(song);
      MarkEdited(out, true);
    }
    return;
  case FixedKey::Rest:
    if (!sel && shift == 0) {
      EnterRest(song);
      MarkEdited(out, true);
    }
    return;
  case FixedKey::Letter:
    if (!sel && shift == 0) {
      out.preview = EnterNoteLetter(song, static_cast<char>(keyCode), table, options.letters);
      MarkEdited(out, true);
      out.snapshot = options.isManyUndo;
    }
    return;
  case FixedKey::Sharp:
    return ChangePitchByKey(song, 1, options, out);
  case FixedKey::Triplet:
    if (!sel && noteBefore) {
      // Marking a triplet takes no snapshot of its own.
      ToggleTripletBeforeCursor(song);
      out.changed = out.dirty = out.noteListsCurrent = true;
    }
    return;
  case FixedKey::Length:
    if (!sel && noteBefore) {
      SetLengthBeforeCursor(song, std::string(LengthOfDigitKey(keyCode)));
      MarkEdited(out, true);
    }
    return;
  }
}

} // namespace

std::string_view LengthOfDigitKey(int keyCode) {
  for (const auto &[digit, code] : {std::pair{2, "2"}, {4, "4"}, {8, "8"}, {6, "16"}})
    if (keyCode == vk::Digit(digit) || keyCode == vk::NumpadDigit(digit))
      return code;
  return {};
}

ScoreKeyOutcome HandleScoreKey(Song &song, int keyCode, int shift, const ScoreKeyOptions &options,
                               const StaffLabelTable &table) {
  ScoreKeyOutcome out;
  if (options.playing) {
    // While playing only stop counts, and only its key: the modifiers are not compared.
    if (keyCode == (ShortCutOf(options.shortCuts, ShortCutAction::StopPlay) & 0xFF))
      out.command = ScoreCommand::StopPlay;
    out.feedback = false;
    return out;
  }
  // A modifier pressed alone counts as no key.
  if (keyCode == vk::ShiftKey || keyCode == vk::ControlKey || keyCode == vk::Menu)
    keyCode = 0;
  if (const auto action =
          ResolveShortCut(CombinedKeyCode(keyCode, shift), options.shortCuts, kScoreEditorActions))
    RunShortCut(song, *action, options, out);
  RunFixedKey(song, FixedKeyOf(keyCode, shift), keyCode, shift, options, table, out);
  return out;
}

std::optional<int> ScoreZoomKey(int keyCode, int shift, const ShortCutTable &shortCuts) {
  constexpr int kOemPlus = 0xBB, kOemMinus = 0xBD, kKeypadPlus = 0x6B, kKeypadMinus = 0x6D;
  if ((shift & ~vk::kShift) != vk::kCtrl)
    return std::nullopt;
  if (ResolveShortCut(CombinedKeyCode(keyCode, shift), shortCuts, kScoreEditorActions))
    return std::nullopt;
  if (keyCode == kOemPlus || keyCode == kKeypadPlus)
    return 1;
  if (keyCode == kOemMinus || keyCode == kKeypadMinus)
    return -1;
  if (keyCode == vk::Digit(0) || keyCode == vk::NumpadDigit(0))
    return 0;
  return std::nullopt;
}

std::string TickTimeText(const Song &song, int tick, bool isTick) {
  const int t = tick - song.part(1).score[0].start;
  if (!isTick)
    return TimeText(StoppedCentiseconds(t, song.msPerTick));
  if (song.ticksPerBeat <= 0)
    return {};
  return MeasureText(t, song.ticksPerBeat, song.beatsPerMeasure);
}

std::string CursorTimeText(const Song &song, bool isTick) {
  const Part &part = song.part(ScoreCurrentPart(song));
  return TickTimeText(song, StartAt(part, CursorOf(part)), isTick);
}

} // namespace pipora
