#include "formats/midi/smf_import.h"

#include "formats/midi/file_survey.h"
#include "formats/midi/smf_reader.h"
#include "formats/midi/speed_choice.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace pipora {
namespace {

// Passes the notes on moved by a constant number of ticks.
class ShiftedNotes final : public NoteEventSink {
public:
  ShiftedNotes(NoteEventSink &to, std::int64_t shift) : to_(to), shift_(shift) {}
  void ImportNoteEvent(int channel, int key, int velocity, std::int64_t time) override {
    // Only a stray note-off can lie before the first note-on the shift was measured from.
    to_.ImportNoteEvent(channel, key, velocity, std::max<std::int64_t>(time + shift_, 0));
  }
  void StartTrack() override { to_.StartTrack(); }
  bool full() const override { return to_.full(); }

private:
  NoteEventSink &to_;
  std::int64_t shift_;
};

// Reads the file once for what its notes alone do not tell: beat, loudness and meter.
FileSurvey SurveyFile(std::span<const std::uint8_t> bytes, const MidiImportOptions &options) {
  Song scratch;
  MidiImportOptions quiet = options;
  quiet.writeEventLog = false;
  quiet.report = nullptr;
  quiet.onProgramChange = nullptr;
  FileSurvey survey;
  (void)ReadSmf(bytes, scratch, survey, quiet);
  return survey;
}

// A beat needs a few notes to be heard: a handful of notes off the grid is left to the snapping.
constexpr std::int64_t kNotesForBeat = 16;

std::int64_t ShiftFor(const FileSurvey &survey) {
  std::int64_t notes = 0;
  for (const std::int64_t n : survey.onsetPhases)
    notes += n;
  return notes >= kNotesForBeat ? BeatShift(survey) : 0;
}

// How loud the player makes a part of volume `v` (1..8): it scales the note velocities by the
// volume and sends it as expression (64 + v * 63 / 8), so the two multiply.
double PlayedLoudness(int v) {
  return v * (v * 63.0 / 8.0 + 64.0);
}

// A channel this much quieter than the loudest is clearly quieter: the loudest part then goes
// to the top volume, leaving room below it.
constexpr double kClearlyQuieter = 1.6;
constexpr int kTopVolume = 8;

// Each part with notes gets the loudness of the channels its voices came from, weighted by
// their notes. Where all play about alike every part keeps the default volume; else the
// loudest part plays at the top volume and each other at the volume the player makes
// nearest (by ratio) to its share of the loudest, never silent.
void SetPartVolumes(Song &song, const FileSurvey &survey, const MidiImporter::VoiceSources &from,
                    ImportReport *report) {
  std::array<double, kUserParts + 1> level{};
  double loudest = 0;
  double quietest = 0;
  for (int p = 1; p <= kUserParts; ++p) {
    double sum = 0, notes = 0;
    for (int c = 1; c <= kUserParts; ++c) {
      const auto n =
          static_cast<double>(from[static_cast<std::size_t>(p)][static_cast<std::size_t>(c)]);
      sum += n * survey.channels[static_cast<std::size_t>(c)].level();
      notes += n;
    }
    const double l = notes > 0 ? sum / notes : -1;
    level[static_cast<std::size_t>(p)] = l;
    loudest = std::max(loudest, l);
    if (l > 0)
      quietest = quietest > 0 ? std::min(quietest, l) : l;
  }
  if (loudest <= 0)
    return;
  const int top = loudest >= kClearlyQuieter * quietest ? kTopVolume : kDefaultVolume;
  for (int p = 1; p <= kUserParts; ++p) {
    const double l = level[static_cast<std::size_t>(p)];
    if (l < 0)
      continue;
    const double wanted = PlayedLoudness(top) * std::max(l, 1e-6) / loudest;
    int volume = 1;
    for (int v = 2; v <= top; ++v)
      if (std::abs(std::log(PlayedLoudness(v) / wanted)) <
          std::abs(std::log(PlayedLoudness(volume) / wanted)))
        volume = v;
    song.part(p).volume = volume;
    if (report != nullptr)
      report->volumes[static_cast<std::size_t>(p)] = volume;
  }
}

// A long file appends hundreds of thousands of elements; growing the lists as they fill
// would copy each several times. The survey counted the notes per channel, and each part
// takes room for a note, a rest and a tied piece per note-on, so that fitting the song for SMD
// afterwards rarely needs more. Room never written to costs no memory.
void ReserveForNotes(Song &song, const FileSurvey &survey, std::size_t fileBytes,
                     const MidiImportOptions &options) {
  // With chords shared out, the importer holds every note until the end and reserves then.
  if (fileBytes < (std::size_t{64} << 10) || options.chords != ChordHandling::Last)
    return;
  for (int n = 1; n <= kUserParts; ++n)
    song.part(n).notes.reserve(
        3 * static_cast<std::size_t>(survey.channels[static_cast<std::size_t>(n)].notes) + 8);
}

// One reading of the file into a new song. With chords shared out every note waits for the
// file's end, so the scale is chosen after the reading: a file so slow that its speed wants
// every length doubled is read at twice its times (`mayDouble`), where a thirty-second keeps
// its place as a sixteenth and a half-note triplet, which has no doubled code, becomes tied
// pieces. `outgrew`: the voices, written after the reading, passed the element limit.
Report<Song> ReadOnce(const NoteSource &readNotes, std::size_t fileBytes,
                      const MidiImportOptions &options, const Song &kept, const FileSurvey *survey,
                      bool mayDouble, QByteArray *log, SmfTempoMap &map, bool &doubled,
                      bool &outgrew) {
  Report<Song> imported;
  Song &song = imported.value;
  song.capacity = kept.capacity;
  song.setTempo(kept.tempo);
  for (int n = 1; n <= kUserParts; ++n) {
    song.part(n).volume = kept.part(n).volume;
    song.part(n).tone = kept.part(n).tone;
  }
  song.part(kBackupPart) = kept.part(kBackupPart);
  EmptyPartsForImport(song);
  if (survey != nullptr)
    ReserveForNotes(song, *survey, fileBytes, options);
  MidiImporter importer(song, options);
  importer.expectFileBytes(fileBytes);
  // "最後の音" reads the file as it always has: on the file's own times, volumes kept, no meter.
  // A source without a survey (a score) knows its own beat, meter and loudness.
  const bool readsMusic = options.chords != ChordHandling::Last && survey != nullptr;
  const std::int64_t shift = readsMusic && options.findBeat ? ShiftFor(*survey) : 0;
  ShiftedNotes shifted(importer, shift);
  SmfRead read = readNotes(song, shifted, map);
  doubled = mayDouble && options.chooseSpeed && options.chords != ChordHandling::Last &&
            ChooseSpeed(LongestHeldRate(map), true, true).scale == LengthScale::Double;
  importer.finish(doubled ? 2 : 1);
  if (options.report != nullptr)
    options.report->shift = shift * (doubled ? 2 : 1);
  if (readsMusic && options.keepBalance)
    SetPartVolumes(song, *survey, importer.voiceSources(), options.report);
  const SongMeter meter = readsMusic ? MeterOf(*survey, shift) : SongMeter{};
  // At twice the file's times a beat is twice as long, or, past a half note, counted twice.
  const bool longerBeat = doubled && meter.ticksPerBeat < kTicksPerWhole / 2;
  song.beatsPerMeasure =
      static_cast<std::int16_t>(meter.beatsPerMeasure * (doubled && !longerBeat ? 2 : 1));
  song.ticksPerBeat = static_cast<std::int16_t>(meter.ticksPerBeat * (longerBeat ? 2 : 1));
  // Voices spread over free parts are written only now, after the reading: a song that
  // outgrows the element limit here is refused as the reader refuses it.
  outgrew = !read.error && importer.full();
  if (outgrew)
    read.error = Error{"音符が多すぎます"};
  if (log != nullptr)
    *log = std::move(read.value);
  imported.error = std::move(read.error);
  imported.warnings = std::move(read.warnings);
  AppendEndMarkers(song);
  RecalcTimes(song);
  if (options.buildScoreLists)
    BuildScoreList(song);
  return imported;
}

} // namespace

Report<Song> ImportSmf(std::span<const std::uint8_t> bytes, const MidiImportOptions &options,
                       const Song &kept, QByteArray *log, SmfTempoMap *tempos,
                       LengthScale *readAt) {
  const NoteSource read = [&](Song &song, NoteEventSink &sink, SmfTempoMap &map) {
    return ReadSmf(bytes, song, sink, options, &map);
  };
  const FileSurvey survey = SurveyFile(bytes, options);
  return ImportNotes(read, bytes.size(), options, kept, log, tempos, readAt, &survey);
}

Report<Song> ImportNotes(const NoteSource &read, std::size_t fileBytes,
                         const MidiImportOptions &options, const Song &kept, QByteArray *log,
                         SmfTempoMap *tempos, LengthScale *readAt, const FileSurvey *survey) {
  const ImportReport reportBefore = options.report != nullptr ? *options.report : ImportReport{};
  SmfTempoMap map;
  bool doubled = false, outgrew = false;
  Report<Song> imported =
      ReadOnce(read, fileBytes, options, kept, survey, true, log, map, doubled, outgrew);
  if (doubled && outgrew) {
    // Twice the times split long notes into more tied pieces than a part holds: a file that
    // fits at its own times is read at them, as it was before the scale was chosen here.
    if (options.report != nullptr)
      *options.report = reportBefore;
    map = {};
    imported = ReadOnce(read, fileBytes, options, kept, survey, false, log, map, doubled, outgrew);
  }
  if (readAt != nullptr)
    *readAt = doubled ? LengthScale::Double : LengthScale::One;
  if (tempos != nullptr)
    *tempos = std::move(map);
  return imported;
}

} // namespace pipora
