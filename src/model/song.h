#pragma once
// The one open melody: 16 user parts, the clipboard (17) and the backup slot (18),
// each kept twice, as a note list with length codes and as a score list with ticks.
#include "model/note_texts.h"
#include "model/score_display.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pipora {

inline constexpr int kUserParts = 16;
inline constexpr int kClipboardPart = 17;
inline constexpr int kBackupPart = 18;
inline constexpr int kPartSlots = 18;
inline constexpr int kInitialCapacity = 10;
inline constexpr int kCapacityStep = 10;
inline constexpr int kDefaultVolume = 4;

enum class TempoChoice : int { Fast = 0, Normal = 1, SomewhatSlow = 2, Slow = 3 };

// Beats per minute of a tempo step: 146, 121.7, 104.2, 91.
double BeatsPerMinute(TempoChoice tempo);
// Milliseconds per tick at kTicksPerQuarter.
double MsPerTick(TempoChoice tempo);
// "146", "121.7", "104.2", "91".
std::string_view TempoText(TempoChoice tempo);

// 20 bytes: a song of a million notes holds its note lists in 20 MB.
struct NoteEntry {
  std::int32_t start = 0;
  std::int32_t prevGateEnd = 0;
  std::int16_t noteNumber = 0;
  NoteLength length;
  PitchText pitch;

  bool isEndMarker() const { return length.isEndOfTrack(); }
};
static_assert(sizeof(NoteEntry) == 20);

struct ScoreNote {
  std::int32_t start = 0;
  std::int16_t duration = 0;
  std::int16_t noteNumber = 0; // -1 marks the end element
  std::int16_t tie = 0;        // -1 when tied to the next note
};

struct ScoreHeader {
  std::int32_t cursor = 0;
  std::int32_t selStart = 0;
  std::int32_t selLength = 0;
  std::int32_t count = 0;
  // The first part's header carries the current part while the score editor is active;
  // part 18 carries the number of the part copied into it (0 = none).
  std::int16_t partNumber = 0;
};

struct Part {
  // notes.size() == count + 1; the last element is the EndMarker outside of SMD reading.
  std::vector<NoteEntry> notes;
  std::int32_t count = 0;
  std::int32_t cursor = 0;
  std::int32_t startTick = 0;

  std::vector<ScoreNote> score;
  ScoreHeader scoreHeader;

  int volume = kDefaultVolume; // 0..8, shown as volume - 4
  int tone = 0;                // MIDI program number
};

NoteEntry MakeEndMarker();

struct Song {
  Song();

  std::string title; // UTF-8
  TempoChoice tempo = TempoChoice::Normal;
  double msPerTick = 0;
  std::int16_t ticksPerBeat = kTicksPerQuarter;
  std::int16_t beatsPerMeasure = 4;
  int currentPart = 1;
  std::string fileName;
  bool dirty = false;
  // Highest usable index shared by every part's lists; grows by 10, never shrinks.
  int capacity = kInitialCapacity;
  ScoreDisplay display;

  Part &part(int n) { return parts[static_cast<std::size_t>(n)]; }
  const Part &part(int n) const { return parts[static_cast<std::size_t>(n)]; }
  int measureTicks() const { return beatsPerMeasure * ticksPerBeat; }
  void setTempo(TempoChoice t);

  // Index 0 is unused so that part numbers read as in the user interface.
  std::array<Part, kPartSlots + 1> parts;
};

// Empties the user's parts and the clipboard (start tick 0, EndMarker alone) and resets the time
// signature and the score's display choices. The backup slot is left alone.
void ResetParts(Song &song);

bool InsertNote(Song &song, int part, int position, int noteNumber, std::string_view length,
                std::string_view pitch);
bool AppendNote(Song &song, int part, int noteNumber, std::string_view length,
                std::string_view pitch);
bool DeleteNote(Song &song, int part, int position);
void EnsureCapacity(Song &song, int part);
// The capacity EnsureCapacity reaches when a part grows note by note to `count` elements.
void EnsureCapacityFor(Song &song, int count);
void EnsureScoreCapacity(Song &song, int part);
void RecalcTimes(Song &song);
void BuildScoreList(Song &song);
void BuildNoteList(Song &song);
void BackupPart(Song &song, bool scoreEditorActive);
void ScoreDelete(Song &song, int part, int position);

// Inserts one score element before position; later start ticks move by its duration.
void ScoreInsert(Song &song, int part, int position, const ScoreNote &note);

} // namespace pipora
