#pragma once
// What fitting a MIDI file to SMD parts did to its notes: every snap, fold, cut and drop,
// the original notes for a side-by-side picture, and the timing drift per part.
#include "model/song.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pipora {

enum class ImportChangeKind {
  Snapped,       // start moved to the grid: amount = ticks (later positive), amount2 = end shift
  Folded,        // moved into the SMD range: amount = octaves (negative = down)
  CutByOverlap,  // ended early by the next note: amount = ticks lost
  DroppedChord,  // started with a later note at the same time: only the last one stays
  SplitTied,     // written as tied pieces: amount = number of pieces
  DroppedShort,  // shorter than a sixteenth once snapped: amount = its ticks
  ShortenedTail, // a tail under a sixteenth was left off: amount = ticks left off
  MovedToPart,   // a voice of a chord or an overlap, listed with its channel's part:
                 // amount = the part it went to, element = its element there,
                 // amount2 = its channel
  NoPartLeft,    // an inner voice dropped: no free part was left for it
};

// English words for listings and the command line ("snapped", "folded" ...).
std::string_view ImportChangeName(ImportChangeKind kind);

struct ImportChange {
  int part = 0;
  int element = -1;      // first element written for the note; -1 when it was dropped
  std::int64_t tick = 0; // the note's start in the file (kTicksPerQuarter)
  int key = 0;           // the key in the file
  ImportChangeKind kind = ImportChangeKind::Snapped;
  std::int64_t amount = 0;
  std::int64_t amount2 = 0;
};

// One note as the file holds it (all notes, chord notes and overlaps included).
struct OriginalNote {
  int part = 0;
  int key = 0;
  std::int64_t on = 0;
  std::int64_t off = 0;
};

struct PartDrift {
  int notes = 0;             // notes written
  std::int64_t totalAbs = 0; // sum of |written start - file start|
  std::int64_t maxAbs = 0;   // the largest of them
  std::int64_t endShift = 0; // written end minus file end of the last note
};

// Every length of the imported song times this.
enum class LengthScale { Half, One, Double };

// "×½", "×1", "×2".
std::string_view LengthScaleText(LengthScale scale);

// The speed of an imported song against its file's: the one record the report's tempo text
// reads, whether the import chose the speed or the file's last tempo event did.
struct ImportSpeed {
  bool chosen = false; // chosen for the tempo held longest; else the last tempo event chose
  double fileRate = 0; // quarters per minute: the tempo that holds longest in the file
  TempoChoice tempo = TempoChoice::Normal;
  LengthScale scale = LengthScale::One;
  double difference = 0; // percent the song plays faster (+) or slower (-) than the file
};

// "ファイルのテンポ 84、テンポ 91 ×1、速さの差 +8.3%".
std::string ImportSpeedText(const ImportSpeed &speed);

struct ImportReport {
  ImportSpeed speed;
  std::vector<ImportChange> changes; // in the order the file gave the notes
  std::vector<OriginalNote> original;
  std::array<PartDrift, kUserParts + 1> drift{}; // index = part, 0 unused
  int drumsLeftOut = 0;                          // note-ons of channel 10 not read
  int graceNotesLeftOut = 0;                     // a score's grace notes, which take no time
  int unpitchedLeftOut = 0;                      // a score's percussion notes, without pitch
  int partsLeftOut = 0;                          // a score's parts past the sixteen channels
  // The file's tempo events in quarter notes per minute, in file order, and the tempo the
  // song has after reading them (before a speed is chosen).
  std::vector<double> fileTempos;
  TempoChoice tempo = TempoChoice::Normal;
  // Ticks every note was moved to sit on the beat (later positive), before any snapping.
  std::int64_t shift = 0;
  // The volume each part took from its channels' loudness; 0 where none was set.
  std::array<int, kUserParts + 1> volumes{};

  std::size_t count(ImportChangeKind kind) const;
};

// What a musician need not read note by note, counted in the summary instead: a snap that
// moves a note's start by less than a tenth of a sixteenth (its end by less than a sixteenth:
// a length is rounded to the grid), an overlap cut by less than a thirty-second (a player's
// legato), a note written as tied pieces (how its length is written, not a change) and a
// voice moved to another part (it sounds as in the file; the piano roll shows it).
inline constexpr std::int64_t kMinorSnapTicks = 12;
inline constexpr std::int64_t kMinorEndTicks = 120;
inline constexpr std::int64_t kMinorCutTicks = 60;
bool IsMinorChange(const ImportChange &change);

// The changes worth a row of their own, by part, then position in the file.
std::vector<ImportChange> ListedImportChanges(const ImportReport &report);

// The whole song's shift in one line ("曲全体を 186 ティック前へ移動して拍に合わせました"),
// one line per listed change: "part<TAB>element<TAB>measure:beat:tick<TAB>key<TAB>what", then
// one summary line per part with notes ("part 3: 120 notes, drift total 480 max 40 end 0").
std::string ImportReportText(const ImportReport &report, int ticksPerBeat, int beatsPerMeasure);
// The text of one change ("位置合わせ 始まり -10 終わり +10 ティック").
std::string ImportChangeText(const ImportChange &change);

// "1204 notes written, 35 snapped (30 of them under a tenth of a sixteenth, not listed), ...",
// then the tempo the song took and how much faster or slower than the file it plays.
std::string ImportReportSummary(const ImportReport &report);
// The speed record of an import that left the step to the file's last tempo event (120 per
// minute without one), the scale at ×1.
ImportSpeed LastTempoSpeed(const ImportReport &report);
// "曲全体を 186 ティック前へ移動して拍に合わせました", empty without a shift.
std::string ImportShiftText(std::int64_t shift);
// "音量 パート 1: 4、パート 2: 2", empty when no volume was set.
std::string ImportVolumesText(const ImportReport &report);
// "テンポ「遅い」：ファイルのテンポ 84、テンポ 91 ×1、速さの差 +8.3%。" from report.speed (or
// LastTempoSpeed when no speed was chosen), with how many tempo events the file holds.
std::string ImportTempoSummary(const ImportReport &report);

} // namespace pipora
