#pragma once
// Fits one MIDI channel's note-ons and note-offs to a monophonic SMD part: times snap to
// the sixteenth (or triplet) grid, gaps become rests, long notes are cut into tied pieces.
#include "formats/midi/import_report.h"
#include "formats/midi/voice_split.h"
#include "model/save_checks.h"
#include "model/smd_rules.h"
#include "model/song.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace pipora {

struct MidiImportOptions {
  // `is3`: keep eighth/quarter/... triplet spacings instead of rounding them to sixteenths.
  bool triplets = true;
  // `isAuto`: fold keys outside the SMD range by octaves into it.
  bool foldOctaves = true;
  // At most this many elements in all parts together, so that a damaged file with absurd
  // gaps cannot exhaust memory: a note or rest whose pieces would reach the limit is not
  // appended, and the reader then reports the file as too long.
  std::int64_t maxElements = std::int64_t{kUserParts} * kMaxSmdPartNotes + 1;
  // At most this many elements in one part: what the SMD reader takes, so that an imported
  // song can be saved and opened again, and an export of any savable song imports.
  std::int64_t maxPartElements = kMaxSmdPartNotes;
  // Called for every program change read, so a window can let the synthesizer hear it.
  std::function<void(int channel, int program)> onProgramChange;
  // 和音の扱い: what becomes of chords and overlapping notes of one channel.
  ChordHandling chords = ChordHandling::Last;
  // Channel 10 (drums) read as an ordinary part; off, its notes are left out and counted.
  bool keepDrums = true;
  // Choose the tempo step and a scale of every length together for the file's own speed
  // (the tempo that holds longest); off, the last tempo event read chooses the step alone.
  bool chooseSpeed = true;
  // Filled with what fitting did to each note, when set.
  ImportReport *report = nullptr;
  // The event log "pipora.log" of the read; without it the reader skips the logging work,
  // as a batch conversion does.
  bool writeEventLog = true;
  // The score editor's lists of the new song. A program that only writes or lists the song
  // needs its note lists alone, and builds the score lists if it draws (BuildScoreList).
  bool buildScoreLists = true;
};

// The eight lengths a duration can be cut into; a non-final piece of a plain length is tied.
// A remainder below 120 ticks is dropped together with the tie that would lead into it, so
// 0 and negative durations give no piece and no piece is left tied to nothing.
std::vector<std::string_view> CutDuration(std::int64_t ticks);

// Snapped time of a MIDI event at `ticks` (kTicksPerQuarter): on the triplet grid when it is a
// whole triplet length after `lastOn`, else on the sixteenth grid.
std::int64_t SnapTime(std::int64_t ticks, std::int64_t lastOn, bool triplets);

// Key after octave folding: below the SMD range into its lowest twelve keys, above it into the
// twelve keys an octave below its highest.
int FoldKey(int key);

// Where the file reader sends note events, in file order.
class NoteEventSink {
public:
  virtual ~NoteEventSink() = default;
  // channel 1..16, key 0..127, velocity 0 = note-off, time in ticks (kTicksPerQuarter).
  virtual void ImportNoteEvent(int channel, int key, int velocity, std::int64_t time) = 0;
  // Every track chunk starts its times at 0 again.
  virtual void StartTrack() = 0;
  // True when no more notes can be taken; the reader then stops with an error.
  virtual bool full() const { return false; }
};

// The import's state for one read of a file: per channel the last note-on and note-off
// times (snapped), the current key and where the part's written elements end. Durations are
// measured from that end, so a tail dropped under a sixteenth does not pull later notes
// earlier: the next element absorbs it.
//
// Importing the import's own export gives the same notes again. For that, triplet spacing
// is measured only between what an export keeps: a note-off from where its note's first piece
// went, a note-on from the start of the last note written (or of the note it cuts); a note
// off the sixteenth grid must start exactly there; the rests between two notes are cut as
// one gap; and a later track on a channel is snapped in the part's own times.
class MidiImporter final : public NoteEventSink {
public:
  MidiImporter(Song &song, const MidiImportOptions &options);

  void ImportNoteEvent(int channel, int key, int velocity, std::int64_t time) override;

  // Times start at 0 again, at the part's end: a second track on a channel continues the part
  // after a rest.
  void StartTrack() override;

  // True once a note or rest would have reached options.maxElements elements in all or
  // gone past options.maxPartElements in its part; later events append nothing.
  bool full() const override {
    // The events held back are a note-on and a note-off an element (and a mark a track): the
    // export of a song at the element limit is read back whole.
    return refused_ || appended_ >= options_.maxElements ||
           static_cast<std::int64_t>(held_.size()) - heldTracks_ >=
               kMidiEventsPerElement * options_.maxElements;
  }

  // The size of the file to be read, so that the events held until finish() are not
  // copied as they grow.
  void expectFileBytes(std::size_t bytes);

  // After the last event: with chords shared out (Top, Spread), the notes held back until
  // every channel was known are now written, at `timeScale` times the file's times.
  void finish(int timeScale = 1);

private:
  // Eight bytes: a file of a million events holds them in 8 MB. The track of an event is
  // the count of track starts before it; the reader's times fit 32 bits.
  struct HeldEvent {
    std::int32_t time = 0;
    std::int8_t channel = 0; // 0: the start of a track
    std::int8_t key = 0;     // -1: outside 0..127, no key the import takes
    bool on = false;
  };
  static_assert(sizeof(HeldEvent) == 8);
  // `onGrid`: the event's time already on the grid, used as it is (-1: snapped); `slotFrom`:
  // where the sixteenth-triplet slots it lies in begin, so the rests before it are cut as such.
  void Feed(int channel, int key, int velocity, std::int64_t time, std::int64_t onGrid = -1,
            std::int64_t slotFrom = -1);
  void ReserveParts(const std::vector<SplitNote> &notes);
  void NextTrack();

  struct Channel {
    std::int64_t lastOn = 0;
    std::int64_t lastOff = 0;
    int currentKey = 0;
    std::int64_t written = 0;       // end of the elements appended
    std::int64_t trackStart = 0;    // where the current track's time 0 lies
    std::int64_t noteStart = 0;     // where the current note's pieces go
    std::int64_t soundingStart = 0; // where the last note written with pieces started
    std::int64_t restStart = 0;     // where the rests at the part's end begin
    std::int64_t restPieces = 0;    // how many rest elements end the part
    std::int64_t rawOn = 0;         // the current note's start in the file
    std::array<std::int64_t, 128> soundingSince{}; // file time of each sounding key, -1 none
    std::array<int, 128> pendingCut{};             // change waiting for the key's note-off
    std::array<int, 128> pendingMove{};            // a voice moved here, waiting for its element
  };

  struct Written {
    int firstElement = -1;
    int pieces = 0;
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::int64_t dropped = 0; // ticks under a sixteenth left off
    bool refused = false;     // its pieces would have reached the element limit
  };
  std::int64_t SnapNoteOn(const Channel &ch, std::int64_t time) const;
  Written AppendUntil(int part, std::int64_t end, int noteNumber, std::int64_t slotFrom = -1);
  void NoteOff(int channel, int key, std::int64_t s, std::int64_t rawTime);
  void RecordOriginal(int channel, int key, int velocity, std::int64_t rawTime);
  void RecordNote(int channel, int key, int noteNumber, std::int64_t rawOff, const Written &w);
  void RecordCut(int channel, std::int64_t rawTime, bool chord);
  void WriteHeldNotes(int timeScale);
  // Reported cuts whose note ended where the next began: nothing was lost, nothing to list.
  void DropLosslessCuts();

  Song &song_;
  MidiImportOptions options_;
  std::array<Channel, kUserParts> channels_{};
  std::int64_t appended_ = 0;
  bool refused_ = false;
  std::vector<HeldEvent> held_; // every event, with chords shared out
  std::size_t heldOns_ = 0;     // the note-ons among them
  std::int64_t heldTracks_ = 0; // the track marks among them
};

// Empties the user's parts and the clipboard for reading: no element at all (count -1), not even
// the EndMarker, so that AppendNote builds each part from element 0.
void EmptyPartsForImport(Song &song);

// Appends the EndMarker to the user's parts and the clipboard after reading.
void AppendEndMarkers(Song &song);

} // namespace pipora
