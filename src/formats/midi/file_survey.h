#pragma once
// What a quick first reading of a MIDI file tells before its notes are fitted: where its beat
// falls, how loud each channel plays and its meter. Files recorded against audio start their
// first beat anywhere, and their loudness lives in velocities and controllers a part has not.
#include "formats/midi/midi_import.h"

#include <array>
#include <cstdint>

namespace pipora {

// One channel's loudness as the file sets it before and at its notes.
struct ChannelLoudness {
  double velocitySum = 0;
  std::int64_t notes = 0;
  std::int64_t firstOn = -1;
  // Controllers 7 and 11 in force at the first note (the standard's 100 and 127 without them).
  int volume = 100;
  int expression = 127;
  std::int64_t volumeAt = -1;
  std::int64_t expressionAt = -1;

  // Mean velocity × volume × expression, each out of 127; 0 without notes.
  double level() const;
};

class FileSurvey final : public NoteEventSink {
public:
  void ImportNoteEvent(int channel, int key, int velocity, std::int64_t time) override;
  void StartTrack() override {}
  void ImportController(int channel, int controller, int value, std::int64_t time) override;
  void ImportTimeSignature(int numerator, int denominator, std::int64_t time) override;

  // Note-ons by their place within the beat (time modulo kTicksPerQuarter).
  std::array<std::int64_t, kTicksPerQuarter> onsetPhases{};
  // Note-ons by beat modulo 12 (three bars of 4/4, four of 3/4) and twelfth of the beat, so
  // that bars can be looked for once the beat is found.
  static constexpr int kBeatCycle = 12;
  static constexpr int kPhaseBins = 12;
  std::array<std::array<std::int64_t, kPhaseBins>, kBeatCycle> beatOnsets{};
  std::int64_t firstOnset = -1;
  std::array<ChannelLoudness, kUserParts + 1> channels{}; // index = channel, 0 unused
  // The earliest time signature of the file; 0 without one.
  int numerator = 0;
  int denominator = 0;

private:
  std::int64_t meterAt_ = -1;
};

// The meter the song takes: the file's first time signature as beats per bar and ticks per
// beat. A signature of one beat (1/4, 1/8), as files recorded against audio write, is no
// meter: 3/4 when enough note-ons fall clearly more on every third beat than on every fourth,
// else 4/4. A file without a signature is in 4/4, as the standard says.
inline constexpr int kMostBeatsPerMeasure = 16;
struct SongMeter {
  int beatsPerMeasure = 4;
  int ticksPerBeat = kTicksPerQuarter;
};
SongMeter MeterOf(const FileSurvey &survey, std::int64_t shift);

// How far to move every note so that most note-ons fall on the sixteenth grid, beats before
// the offbeats: later (a lead-in rest) or earlier by less than a beat, never before time 0.
// 0 when the file already sits on its grid.
std::int64_t BeatShift(const FileSurvey &survey);

} // namespace pipora
