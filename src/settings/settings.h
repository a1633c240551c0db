#pragma once
// Program-wide options, the window layout, the source editor's font, the tones and the
// shortcut keys: one record for the whole run, persisted in pipora.ini (settings_store.h).
#include "formats/midi/voice_split.h"
#include "model/virtual_keys.h"
#include "settings/recent_files.h"

#include <QString>

#include <array>
#include <optional>

namespace pipora {

// Window geometry is kept in device-independent pixels; the same unit goes to the file
// and comes back from it.
struct WindowLayout {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int state = -1; // 0 normal, 1 minimised, 2 maximised, -1 not stored
  bool visible = true;
};

// The child windows and the frame, in the order their keys are written.
// Their stored names are in stored_names.h.
enum class WindowId : int { Main = 0, SourceEditor, Player, Property, ScoreEditor };
inline constexpr int kWindowCount = 5;

struct SourceFont {
  double size = 10; // points; may be fractional (10.5)
  QString name = QStringLiteral("ＭＳ Ｐゴシック");
  bool bold = false;
  bool italic = false;
};

// Shortcut entries as model/virtual_keys.h stores them, one per ShortCutAction.
inline constexpr int kShortCutCount = kShortCutTableSize;
inline constexpr ShortCutTable kDefaultShortCuts = kDefaultShortCutTable;
inline constexpr int ShortCutIndex(ShortCutAction action) {
  return static_cast<int>(action);
}
inline constexpr int kShortCutPlayAll = ShortCutIndex(ShortCutAction::PlayAll);
inline constexpr int kShortCutSoloPlay = ShortCutIndex(ShortCutAction::SoloPlay);
inline constexpr int kShortCutStop = ShortCutIndex(ShortCutAction::StopPlay);
inline constexpr int kShortCutMeasurePlay = ShortCutIndex(ShortCutAction::MeasurePlay);
// The key that measure play falls back to when the file stores 0.
inline constexpr int kMeasurePlayFallbackKey = 77;

// One row per pitch class (0 = C): the do-re-mi label with its accidental and the staff
// offset of the written note. Not stored in the file: every run starts with the defaults.
struct DoReMiRow {
  QString name;
  int offset = 0;
};
using DoReMiTable = std::array<DoReMiRow, 12>;
DoReMiTable DefaultDoReMiTable();

struct Settings {
  // Layout, indexed by WindowId.
  std::array<WindowLayout, kWindowCount> windows{};
  WindowLayout &window(WindowId id) { return windows[static_cast<std::size_t>(id)]; }
  const WindowLayout &window(WindowId id) const { return windows[static_cast<std::size_t>(id)]; }

  SourceFont sourceFont;
  // The record's copy of every user part's program number (index 0 is part 1). The song's
  // parts hold the tones while the editor runs; these are only read into it at start-up and
  // written from it at exit.
  std::array<int, 16> tones{};

  bool isTick = false;
  bool is3 = true;
  bool isAuto = true;
  int quarterWidth = 50;   // width of a quarter note in the score editor, pixels
  int staffDistance = 120; // distance between two staves in the score editor, pixels
  bool isBar = true;
  bool isBarNum = true;
  bool isDoReMi = true;
  bool showCursor = true;
  bool isLongFile = false;
  bool isGrid = false;
  QString LastFileName;
  // "RecentFile(1)" to "RecentFile(8)": the File menu's recent files.
  RecentFiles recentFiles;
  ShortCutTable shortcuts = kDefaultShortCuts;
  bool isPreview = true;
  // A typed letter takes the octave nearest the previous note ("isNearestOctave"), and the
  // key's accidental unless an earlier note of the bar altered it ("isKeyAccidentals"); off,
  // the previous note's octave and the last accidental of the same syllable.
  bool isNearestOctave = false;
  bool isKeyAccidentals = false;
  bool isManyUndo = true;
  // "UndoDiskMB": the most disk the undo snapshots take; the oldest go first. 0: no limit.
  int undoDiskMB = 100;
  bool isSaveTone = true;
  // The child window that was active last; none before any was.
  std::optional<WindowId> activeWindow;
  bool isNoCheck = false;
  // The score editor draws each note as its own glyph instead of engraving beams,
  // accidentals per measure and one label line.
  bool isClassicScore = false;
  // The score editor's scale in percent (staff size and all).
  int scoreZoom = 100;
  // 和音の扱い of a MIDI import ("MidiChords") and whether channel 10 (drums) is read into
  // part 10 ("MidiKeepDrums"): a saved song plays every part as pitched notes.
  ChordHandling midiChords = ChordHandling::Spread;
  bool midiKeepDrums = false;

  // The sound output: a system MIDI port's name (empty: the built-in synthesizer) and the
  // SoundFont of the built-in synthesizer (empty: the system's General MIDI SoundFont).
  QString midiOutput;
  QString soundFont;

  DoReMiTable doReMi = DefaultDoReMiTable();

  // Longest file name the open dialogs accept.
  int maxFileNameLength() const { return isLongFile ? 1000 : 260; }
};

} // namespace pipora
