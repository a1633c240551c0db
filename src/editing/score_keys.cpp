#include "editing/score_keys.h"

#include "model/vocabulary.h"
#include "playback/position_text.h"

#include <algorithm>
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

int PitchClassOf(int noteNumber) {
  return noteNumber <= 0 ? 0 : noteNumber % 12;
}

// Semitone steps need the note itself in range; octave steps only the result.
bool PitchChangeAllowed(int n, int delta) {
  if (delta == 1)
    return n >= 45 && n <= 89;
  if (delta == -1)
    return n >= 46 && n <= 90;
  return n + delta >= 45 && n + delta <= 90;
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
  return part.notes[static_cast<std::size_t>(noteCursor - 1)].length;
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
    std::string &code = part.notes[static_cast<std::size_t>(part.cursor)].length;
    code = change(code);
  }
  RecalcTimes(song);
  BuildScoreList(song);
  part.scoreHeader.cursor = std::min(part.scoreHeader.cursor + 1, part.scoreHeader.count);
}

} // namespace

void MoveScoreCursor(Song &song, int keyCode, int shift, VerticalScroll &scroll) {
  Part &part = CurrentScorePart(song);
  ScoreHeader &h = part.scoreHeader;
  const int count = h.count;
  int c = CursorOf(part);
  const bool sel = HasSelection(part);
  const int bar = song.beatsPerMeasure * song.ticksPerBeat;
  switch (keyCode) {
  case vk::Left:
    if (shift == 0) {
      if (sel) {
        c = h.selStart;
        h.selLength = 0;
      } else if (c > 0) {
        --c;
      }
    } else if (shift == vk::kShift) {
      if (!sel) {
        if (c > 0) {
          h.selStart = c - 1;
          h.selLength = 1;
          --c;
        }
      } else if (c == h.selStart) {
        if (c > 0) {
          --h.selStart;
          ++h.selLength;
          --c;
        }
      } else {
        --h.selLength;
        --c;
      }
    } else if (shift == vk::kCtrl && !sel) {
      c = FirstElementAtOrAfter(part, StartAt(part, c) - bar);
    }
    break;
  case vk::Right:
    if (shift == 0) {
      if (sel) {
        c = h.selStart + h.selLength;
        h.selLength = 0;
      } else if (c < count) {
        ++c;
      }
    } else if (shift == vk::kShift) {
      if (!sel) {
        if (c < count) {
          h.selStart = c;
          h.selLength = 1;
          ++c;
        }
      } else if (c == h.selStart + h.selLength) {
        if (c < count) {
          ++h.selLength;
          ++c;
        }
      } else {
        ++h.selStart;
        --h.selLength;
        ++c;
      }
    } else if (shift == vk::kCtrl && !sel && count > 0) {
      c = LastElementAtOrBefore(part, StartAt(part, c) + bar, count - 1);
    }
    break;
  case vk::Home:
    if (shift == 0) {
      h.selLength = 0;
      c = 0;
    } else if (!sel) {
      if (c > 0) {
        h.selStart = 0;
        h.selLength = c;
        c = 0;
      }
    } else {
      h.selLength = h.selStart + h.selLength;
      h.selStart = 0;
      c = 0;
    }
    break;
  case vk::End:
    if ((shift & vk::kShift) != 0) {
      const int from = sel ? h.selStart : c;
      h.selStart = from;
      h.selLength = count - from;
      c = count;
    } else {
      h.selLength = 0;
      c = count;
    }
    break;
  case vk::Down:
  case vk::Up: {
    if (shift != 0 && shift != vk::kCtrl)
      break;
    h.selLength = 0;
    const int p = ScoreCurrentPart(song);
    const int tick = StartAt(part, c);
    if (keyCode == vk::Down && p == kUserParts) {
      scroll = VerticalScroll::ToMaximum;
    } else if (keyCode == vk::Up && p == 1) {
      scroll = VerticalScroll::ToMinimum;
    } else {
      h.cursor = c;
      const int next = keyCode == vk::Down ? p + 1 : p - 1;
      SetScorePart(song, next);
      Part &to = song.part(next);
      to.scoreHeader.cursor = keyCode == vk::Down
                                  ? FirstElementAtOrAfter(to, tick)
                                  : LastElementAtOrBefore(to, tick, to.scoreHeader.count);
      return;
    }
    break;
  }
  default:
    return;
  }
  h.cursor = c;
}

int EnterNoteLetter(Song &song, char letter, const StaffLabelTable &table) {
  Part &part = PrepareNoteListEdit(song);
  const int nc = std::clamp(part.cursor, 0, part.count);
  auto octaveOf = [&](int i) {
    return part.notes[static_cast<std::size_t>(i)].noteNumber / 12 - 1;
  };
  int octave = 4;
  if (nc > 0) {
    octave = octaveOf(nc - 1);
    // After a rest (or a very low note) the octave comes from an earlier note.
    for (int i = nc - 2; octave < 2 && i >= 0; --i)
      if (octaveOf(i) > 2)
        octave = octaveOf(i);
    if (octave < 2)
      octave = 4;
  }
  octave = std::min(octave, 9);
  const std::string pitch = std::string(1, letter) + std::to_string(octave);
  int n = NoteNumberFromText(pitch);
  const std::string_view syllable = SyllableOf(table[static_cast<std::size_t>(n % 12)].label);
  for (int i = nc - 1; i >= 0; --i) {
    const std::string &label = table[static_cast<std::size_t>(PitchClassOf(
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
  InsertAtScoreCursor(song, part, n, LengthBefore(part, nc), pitch);
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

ScoreKeyOutcome HandleScoreKey(Song &song, int keyCode, int shift, const ScoreKeyOptions &options,
                               const StaffLabelTable &table) {
  ScoreKeyOutcome out;
  if (options.playing) {
    if (keyCode == (options.shortCuts[static_cast<std::size_t>(ShortCutAction::StopPlay)] & 0xFF))
      out.command = ScoreCommand::StopPlay;
    out.feedback = false;
    return out;
  }
  if (keyCode == vk::ShiftKey || keyCode == vk::ControlKey || keyCode == vk::Menu)
    keyCode = 0;

  auto pitchChange = [&](int delta) {
    const Part &part = CurrentScorePart(song);
    if (!HasSelection(part) && CursorOf(part) < 1)
      return;
    out.preview = ChangePitch(song, delta, options.isNoCheck);
    out.changed = out.snapshot = out.dirty = true;
  };

  const int k = shift * 256 + keyCode;
  for (int i = 0; i < kShortCutTableSize; ++i) {
    const auto action = static_cast<ShortCutAction>(i);
    if (action == ShortCutAction::StopPlay || options.shortCuts[static_cast<std::size_t>(i)] != k)
      continue;
    switch (action) {
    case ShortCutAction::SemitoneUp:
      pitchChange(1);
      break;
    case ShortCutAction::SemitoneDown:
      pitchChange(-1);
      break;
    case ShortCutAction::OctaveUp:
      pitchChange(12);
      break;
    case ShortCutAction::OctaveDown:
      pitchChange(-12);
      break;
    case ShortCutAction::Longer:
      out.command = ScoreCommand::Longer;
      break;
    case ShortCutAction::Shorter:
      out.command = ScoreCommand::Shorter;
      break;
    case ShortCutAction::Tie:
      out.command = ScoreCommand::Tie;
      break;
    case ShortCutAction::PlayAll:
    case ShortCutAction::SoloPlay:
    case ShortCutAction::MeasurePlay:
      BuildNoteList(song);
      out.command = action == ShortCutAction::PlayAll    ? ScoreCommand::PlayAll
                    : action == ShortCutAction::SoloPlay ? ScoreCommand::SoloPlay
                                                         : ScoreCommand::MeasurePlay;
      break;
    case ShortCutAction::StopPlay:
      break;
    }
    break;
  }

  const Part &part = CurrentScorePart(song);
  const bool sel = HasSelection(part);
  const int cursor = CursorOf(part);
  switch (keyCode) {
  case vk::End:
  case vk::Home:
  case vk::Left:
  case vk::Right:
  case vk::Up:
  case vk::Down:
    MoveScoreCursor(song, keyCode, shift, out.scroll);
    return out;
  case vk::Back:
    if (sel || cursor >= 1) {
      DeleteBackward(song);
      out.changed = out.snapshot = out.dirty = out.noteListsCurrent = true;
    }
    return out;
  case 'R':
    if (!sel && shift == 0) {
      EnterRest(song);
      out.changed = out.snapshot = out.dirty = out.noteListsCurrent = true;
    }
    return out;
  default:
    break;
  }
  if (keyCode >= 'A' && keyCode <= 'G') {
    if (!sel && shift == 0) {
      out.preview = EnterNoteLetter(song, static_cast<char>(keyCode), table);
      out.changed = out.dirty = out.noteListsCurrent = true;
      out.snapshot = options.isManyUndo;
    }
    return out;
  }
  if (keyCode == '3' && shift == vk::kShift) {
    pitchChange(1); // the "#" key
    return out;
  }
  if ((keyCode == '3' || keyCode == vk::NumpadDigit(3)) && (shift == 0 || shift == vk::kAlt)) {
    if (!sel && cursor >= 1) {
      ToggleTripletBeforeCursor(song);
      out.changed = out.dirty = out.noteListsCurrent = true;
    }
    return out;
  }
  const char *code = nullptr;
  for (const auto &[digit, text] : {std::pair{2, "2"}, {4, "4"}, {8, "8"}, {6, "16"}})
    if (keyCode == vk::Digit(digit) || keyCode == vk::NumpadDigit(digit))
      code = text;
  if (code != nullptr && !sel && cursor >= 1) {
    SetLengthBeforeCursor(song, code);
    out.changed = out.snapshot = out.dirty = out.noteListsCurrent = true;
  }
  return out;
}

std::string CursorTimeText(const Song &song, bool isTick) {
  const Part &part = song.part(ScoreCurrentPart(song));
  const int t = StartAt(part, CursorOf(part)) - song.part(1).score[0].start;
  if (!isTick)
    return TimeText(StoppedCentiseconds(t, song.msPerTick));
  if (song.ticksPerBeat <= 0)
    return {};
  return MeasureText(t, song.ticksPerBeat, song.beatsPerMeasure);
}

} // namespace pipora
