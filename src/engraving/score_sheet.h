#pragma once
// Where everything of the score goes, for the whole song at once: the x of every start tick
// (shared by all parts, so that notes sounding together stand over each other), the bar
// lines, the rows of the parts shown with the room their notes need, each part's clef, and
// the key with the spelling it gives.
//
// Engraved, the space after a start tick grows with the time to the next one (two
// increments for the most common short note, one more for each doubling, as printed music
// does) and never falls below what the heads, flags, accidentals and bar lines need.
// Classic, x follows the ticks (a quarter is quarterWidth pixels) and rows are staffDistance
// apart. Sheet coordinates: x = 0 at tick 0, y = 0 at the top of the first row; the
// surface shows them shifted by the scroll offsets.
#include "editing/score_geometry.h"
#include "engraving/beam_groups.h"
#include "engraving/clefs.h"
#include "engraving/engraving_metrics.h"
#include "engraving/staff_band.h"
#include "model/score_display.h"
#include "model/song.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pipora {

struct SheetOptions {
  int quarterWidth = kDefaultQuarterWidth;
  int staffDistance = kDefaultStaffDistance;
  bool proportional = false; // the classic drawing
  bool labels = true;        // the do-re-mi line takes room under each staff
  bool paper = false;        // printed: every part without notes is left off
};

// One row of the sheet; offsets relative to `top` as the drawing uses them (staff lines at
// top + 100 ... top + 148).
struct SheetRow {
  bool shown = true;
  int top = 0;
  StaffBand band;
  Clef clef = Clef::Treble;
  // The part's triplet groups of three (TripletGroupStarts): each one's first element,
  // ascending. Both drawings take their brackets from here.
  std::vector<int> tripletGroups;

  // Whether element j is the third of a triplet group, where the classic drawing puts its
  // bracket.
  bool closesTripletGroup(int j) const;
};

class ScoreSheet {
public:
  ScoreSheet() = default;
  ScoreSheet(const Song &song, const SheetOptions &options, const StaffLabelTable &table,
             const EngravingMetrics &metrics = {});

  // Sheet x of a tick (between start ticks, in proportion).
  double xOfTick(int tick) const;
  // Sheet x of the bar line at a measure's first tick: left of the accidentals of the notes
  // starting there.
  double barLineX(int tick) const;
  // The start tick nearest to a sheet x.
  int tickAtX(double x) const;
  // Width of the clef, key and time signature at each row's start.
  int headerWidth() const { return header_; }
  // x of the first element and of the song's end.
  double firstX() const { return firstX_; }
  double endX() const { return endX_; }

  const SheetRow &row(int part) const { return rows_[static_cast<std::size_t>(part)]; }
  // y of the first row not shown below all the shown ones (the sheet's height).
  int height() const { return height_; }
  // The shown part whose row holds sheet y, or 0.
  int partAtY(int y) const;

  KeySignature key() const { return key_; }
  // The do-re-mi table spelled for the key (positions and labels).
  const StaffLabelTable &labels() const { return labels_; }
  // Where the key signature's accidentals and the time signature start, right of the clef.
  int keyX() const { return keyX_; }
  int timeX() const { return timeX_; }
  bool proportional() const { return proportional_; }

private:
  struct Ink {
    int top = 0;
    int bottom = 0;
  };
  void layOutColumns(const Song &song, const SheetOptions &options, const EngravingMetrics &m);
  void layOutRows(const Song &song, const SheetOptions &options);
  void stackRows(const SheetOptions &options, const std::vector<Ink> &ink);
  Ink InkOf(std::span<const ScoreNote> score, const std::vector<BeamGroup> &groups,
            const std::vector<bool> &beamed, Clef clef, const EngravingMetrics &m) const;

  bool proportional_ = true;
  int quarterWidth_ = kDefaultQuarterWidth;
  std::vector<int> ticks_;      // start ticks of all parts and bar ticks, ascending
  std::vector<double> xs_;      // their x
  std::vector<double> barRoom_; // from a column's x back to its bar line
  std::vector<SheetRow> rows_ = std::vector<SheetRow>(kUserParts + 1);
  int height_ = 0;
  int header_ = kClefMargin;
  int keyX_ = 0;
  int timeX_ = 0;
  double firstX_ = 0;
  double endX_ = 0;
  KeySignature key_;
  StaffLabelTable labels_;
};

// A fingerprint of everything a sheet is laid out from: the parts' score lists, the time
// signature, the display choices, the current part and the options. Equal fingerprints give
// equal sheets, so a window lays out again only when one of them changed.
std::uint64_t SheetInputsFingerprint(const Song &song, const SheetOptions &options,
                                     const StaffLabelTable &table);

// Scrolling over the sheet: from the first element right of the row's start to the song's
// end at the surface's right edge (as the classic functions of score_geometry.h).
ScrollRange HorizontalScrollRange(const ScoreSheet &sheet, int surfaceWidth);
ScrollRange VerticalScrollRange(const ScoreSheet &sheet, int staffDistance, int surfaceHeight);
bool SongFitsWidth(const ScoreSheet &sheet, int surfaceWidth);
int FittedScrollOffset(const ScoreSheet &sheet);
std::optional<int> FollowCursorScroll(const ScoreSheet &sheet, int tick, int scrollX,
                                      int surfaceWidth, ScrollRange range);
// Surface y of a part's top (offsets such as kStaffTopLine count from it).
int PartTop(const ScoreSheet &sheet, int part, int scrollY);

// True when the part holds no notes and is not the current one: "空のパートを隠す" hides it.
bool IsEmptyPart(const Song &song, int part);
// True when the part holds at least one note (rests do not count).
bool HasNotes(const Song &song, int part);

} // namespace pipora
