#include "formats/midi/smf_import.h"

#include "formats/midi/smf_reader.h"
#include "formats/midi/speed_choice.h"

#include <array>

namespace pipora {
namespace {

// Counts the note-ons of each channel.
class NoteOnCounter final : public NoteEventSink {
public:
  void ImportNoteEvent(int channel, int, int velocity, std::int64_t) override {
    if (velocity > 0 && channel >= 1 && channel <= kUserParts)
      ++counts[static_cast<std::size_t>(channel - 1)];
  }
  void StartTrack() override {}
  std::array<std::size_t, kUserParts> counts{};
};

// A long file appends hundreds of thousands of elements; growing the lists as they fill
// would copy each several times. A quick first read counts the notes per channel, and each
// part takes room for a note, a rest and a tied piece per note-on, so that fitting the song
// for SMD afterwards rarely needs more. Room never written to costs no memory.
void ReserveForNotes(Song &song, std::span<const std::uint8_t> bytes,
                     const MidiImportOptions &options) {
  // With chords shared out, the importer holds every note until the end and reserves then.
  if (bytes.size() < (std::size_t{64} << 10) || options.chords != ChordHandling::Last)
    return;
  Song scratch;
  MidiImportOptions quiet = options;
  quiet.writeEventLog = false;
  quiet.report = nullptr;
  quiet.onProgramChange = nullptr;
  NoteOnCounter counter;
  (void)ReadSmf(bytes, scratch, counter, quiet);
  for (int n = 1; n <= kUserParts; ++n)
    song.part(n).notes.reserve(3 * counter.counts[static_cast<std::size_t>(n - 1)] + 8);
}

// One reading of the file into a new song. With chords shared out every note waits for the
// file's end, so the scale is chosen after the reading: a file so slow that its speed wants
// every length doubled is read at twice its times (`mayDouble`), where a thirty-second keeps
// its place as a sixteenth and a half-note triplet, which has no doubled code, becomes tied
// pieces. `outgrew`: the voices, written after the reading, passed the element limit.
Report<Song> ReadOnce(const NoteSource &readNotes, std::size_t fileBytes,
                      const MidiImportOptions &options, const Song &kept, bool mayDouble,
                      QByteArray *log, SmfTempoMap &map, bool &doubled, bool &outgrew) {
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
  MidiImporter importer(song, options);
  importer.expectFileBytes(fileBytes);
  SmfRead read = readNotes(song, importer, map);
  doubled = mayDouble && options.chooseSpeed && options.chords != ChordHandling::Last &&
            ChooseSpeed(LongestHeldRate(map), true, true).scale == LengthScale::Double;
  importer.finish(doubled ? 2 : 1);
  // Voices spread over free parts are written only now, after the reading: a song that
  // outgrows the element limit here is refused as the reader refuses it.
  outgrew = !read.error && importer.full();
  if (outgrew)
    read.error = Error{"音符が多すぎます"};
  if (log != nullptr)
    *log = std::move(read.value);
  imported.error = std::move(read.error);
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
    ReserveForNotes(song, bytes, options);
    return ReadSmf(bytes, song, sink, options, &map);
  };
  return ImportNotes(read, bytes.size(), options, kept, log, tempos, readAt);
}

Report<Song> ImportNotes(const NoteSource &read, std::size_t fileBytes,
                         const MidiImportOptions &options, const Song &kept, QByteArray *log,
                         SmfTempoMap *tempos, LengthScale *readAt) {
  const ImportReport reportBefore = options.report != nullptr ? *options.report : ImportReport{};
  SmfTempoMap map;
  bool doubled = false, outgrew = false;
  Report<Song> imported =
      ReadOnce(read, fileBytes, options, kept, true, log, map, doubled, outgrew);
  if (doubled && outgrew) {
    // Twice the times split long notes into more tied pieces than a part holds: a file that
    // fits at its own times is read at them, as it was before the scale was chosen here.
    if (options.report != nullptr)
      *options.report = reportBefore;
    map = {};
    imported = ReadOnce(read, fileBytes, options, kept, false, log, map, doubled, outgrew);
  }
  if (readAt != nullptr)
    *readAt = doubled ? LengthScale::Double : LengthScale::One;
  if (tempos != nullptr)
    *tempos = std::move(map);
  return imported;
}

} // namespace pipora
