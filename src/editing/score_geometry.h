#pragma once
// Where the score editor puts things: ticks to pixels, pitches to staff positions,
// which cell of the glyph sheet a note takes, ledger lines, ties and triplet groups.
// Pure arithmetic on the score lists, shared by the window, its tests and the benchmark.
#include "model/rounding.h"
#include "model/song.h"
#include "model/vocabulary.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pipora {

// The glyph sheet: 14 columns of 48 by 5 rows of 96 pixels.
inline constexpr int kCellWidth = 48;
inline constexpr int kCellHeight = 96;
inline constexpr int kSheetWidth = 14 * kCellWidth;
inline constexpr int kSheetHeight = 5 * kCellHeight;
inline constexpr int kHeadCentreBelowCellTop = 47;
inline constexpr int kClefCellX = 576;
inline constexpr int kClefCellY = 0;
inline constexpr int kRestColumn = 288;
inline constexpr int kTripletColumn = 336;
// Glyphs start right of the clef; tick 0 lands here when the song fits.
inline constexpr int kClefMargin = 48;

inline constexpr int kDefaultQuarterWidth = 50;   // quarterWidth
inline constexpr int kDefaultStaffDistance = 120; // staffDistance
inline constexpr int kMinQuarterWidth = 50;
inline constexpr int kMinStaffDistance = 100;
inline constexpr int kZoomStep = 10;
// A scroll bar holds an int: the limit leaves room for the surface's width on top of it. (A
// 16-bit limit would stop the view of a long song a few dozen bars in.)
inline constexpr int kScrollLimit = 1 << 30;

// Offsets below a part's top edge.
inline constexpr int kStaffTopLine = 100;
inline constexpr int kStaffLineGap = 12;
// The staff's middle line, where stems turn.
inline constexpr int kMiddleLine = kStaffTopLine + 2 * kStaffLineGap;
inline constexpr int kMiddleCLine = 160;
inline constexpr int kCellTopAtMiddleC = 113;
inline constexpr int kRestCellTop = 76;
inline constexpr int kClefTop = 85;
inline constexpr int kPartLabelTop = 70;
inline constexpr int kCursorTop = 52;
inline constexpr int kCursorBottom = 196;

// The do-re-mi table as the staff reads it: one row per pitch class, pixels above middle C
// (6 per diatonic step) and the syllable label with its accidental.
struct StaffLabelRow {
  float position = 0;
  std::string label;
};
using StaffLabelTable = std::array<StaffLabelRow, 12>;

StaffLabelTable DefaultStaffLabels();
// Staff position of a label by its first syllable (ド 0 ... シ 36); -1 when it has none.
int PositionOfSyllable(std::string_view label);
// The label without its accidental mark ("ﾌｧ#" -> "ﾌｧ").
std::string_view SyllableOf(std::string_view label);
bool LabelIsSharp(std::string_view label);
bool LabelIsFlat(std::string_view label);

// Surface x of a start tick: near(t * quarterWidth / kTicksPerQuarter - scrollX).
int XOfTick(int tick, int quarterWidth, int scrollX);
// Top edge of part p's band.
int PartTop(int part, int staffDistance, int scrollY);
// Pixels above middle C of a note number > 0.
inline double StaffPosition(int noteNumber, const StaffLabelTable &table) {
  const int octaveOffset = noteNumber / 12 - 5;
  return octaveOffset * 42 + table[static_cast<std::size_t>(PitchClassOf(noteNumber))].position;
}
bool IsStemDown(double staffPosition);

// Sheet row of a duration; -1 for durations without a glyph.
int GlyphRow(int duration);
// Width used by ledger lines and triplet brackets.
int SpacingWidth(int duration);
bool IsTripletDuration(int duration);

struct GlyphChoice {
  int column = -1;
  int row = -1;
  int spacing = 0;
  bool isNote = false;
  bool stemDown = false;
  double staffPosition = 0;
  bool drawable() const { return row >= 0; }
};
GlyphChoice ChooseGlyph(const ScoreNote &note, const StaffLabelTable &table);
// Top edge of the glyph cell relative to the part's top.
int CellTopOffset(const ScoreNote &note, const StaffLabelTable &table);

// Offsets below the part's top of the ledger lines a note needs (through or beside the head).
std::vector<int> LedgerLineOffsets(int noteNumber, double staffPosition);

struct TieArc {
  int centreX = 0; // relative to the glyph cell's left edge
  int centreY = 0; // relative to the glyph cell's top edge
  int radiusX = 0;
  double radiusY = 0;
  double startRadians = 0;
  double spanRadians = 0;
};
TieArc TieArcFor(int duration, int quarterWidth, bool stemDown);

// First element index whose start tick is at least `tick` (count when none is).
int FirstElementAtOrAfter(const Part &part, int tick);

struct ScrollRange {
  int minimum = 0;
  int maximum = 0;
};
ScrollRange HorizontalScrollRange(const Song &song, int quarterWidth, int surfaceWidth);
ScrollRange VerticalScrollRange(int staffDistance, int surfaceHeight);
// True when every part ends within the surface, so that the whole song is shown from x = 48.
bool SongFitsWidth(const Song &song, int quarterWidth, int surfaceWidth);
// The horizontal offset of a song that fits: tick 0 at x = 48, or, with a pick-up before
// tick 0, the first element at x = 48 (the scroll bar's minimum).
int FittedScrollOffset(const Song &song, int quarterWidth);

int ZoomedQuarterWidth(int quarterWidth, bool wider);
// The scale of the whole score (staff size and all), in percent of its own size.
inline constexpr int kDefaultScorePercent = 100;
int ClampedScorePercent(int percent);
// The next step of the scale up or down (50 to 300 percent).
int ZoomedScorePercent(int percent, bool larger);
int ZoomedStaffDistance(int staffDistance, bool wider);
// Scroll value kept in proportion to a zoom, limited to the new range.
int ScaledScrollValue(int value, int oldUnit, int newUnit, ScrollRange range);

// The new horizontal scroll value that keeps the cursor tick in view, if it must move.
std::optional<int> FollowCursorScroll(int tick, int quarterWidth, int scrollX, int surfaceWidth,
                                      ScrollRange range);
// The same for a cursor at `along` pixels from tick 0, right of a row start `margin` wide.
std::optional<int> FollowCursorScrollAt(double along, int margin, int scrollX, int surfaceWidth,
                                        ScrollRange range);

// The current part as the score editor carries it in part 1's header (0 reads as 1).
int ScoreCurrentPart(const Song &song);

// "ScoreEditor 15ms 4/4拍子 [3/27]" from the caption's text before the first "ms".
std::string ScoreCaption(std::string_view previousCaption, const Song &song);
std::string ScoreCaptionAfterRedraw(int elapsedMs, const Song &song);

} // namespace pipora
