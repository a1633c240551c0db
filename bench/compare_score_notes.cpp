// Not a benchmark: compares the notes a MusicXML score holds with those of a Standard MIDI
// File of the same music, both as our imports read them before fitting (pitch and start in
// ticks of 480 per quarter). Prints the notes found in one and not the other and a summary;
// exits 1 when any differ. bench/musescore_demos.sh runs it on MuseScore's demo scores.
#include "formats/midi/import_report.h"
#include "session/midi_files.h"
#include "session/musicxml_files.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>

namespace {

using Notes = std::map<std::pair<std::int64_t, int>, int>; // (start, key) -> count

Notes OriginalNotes(const pipora::ImportReport &report) {
  Notes notes;
  for (const pipora::OriginalNote &n : report.original)
    ++notes[{n.on, n.key}];
  return notes;
}

QByteArray ReadAll(const char *path) {
  QFile file(QString::fromLocal8Bit(path));
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cannot read %s\n", path);
    std::exit(2);
  }
  return file.readAll();
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: compare_score_notes SCORE.musicxml|.mxl FILE.mid\n");
    return 2;
  }
  pipora::MidiImportOptions options;
  options.writeEventLog = false;
  options.chords = pipora::ChordHandling::Spread;
  pipora::ImportReport scoreReport, midiReport;
  options.report = &scoreReport;
  const auto score = pipora::ImportMusicXmlBytes(ReadAll(argv[1]), options);
  if (!score) {
    std::fprintf(stderr, "%s: %s\n", argv[1], score.error().c_str());
    return 2;
  }
  options.report = &midiReport;
  (void)pipora::ImportMidiBytes(ReadAll(argv[2]), options);
  const Notes written = OriginalNotes(scoreReport);
  const Notes played = OriginalNotes(midiReport);
  int same = 0, onlyScore = 0, onlyMidi = 0, shown = 0;
  for (const auto &[note, count] : written) {
    const auto other = played.find(note);
    const int both = other == played.end() ? 0 : std::min(count, other->second);
    same += both;
    if (count > both) {
      onlyScore += count - both;
      if (shown++ < 10)
        std::printf("only in the score: key %d at tick %lld\n", note.second,
                    static_cast<long long>(note.first));
    }
  }
  for (const auto &[note, count] : played) {
    const auto other = written.find(note);
    const int both = other == written.end() ? 0 : std::min(count, other->second);
    if (count > both) {
      onlyMidi += count - both;
      if (shown++ < 20)
        std::printf("only in the MIDI file: key %d at tick %lld\n", note.second,
                    static_cast<long long>(note.first));
    }
  }
  // Of the rest, those a played feel moved (swing, a grace note taking time): the same key
  // within a sixteenth.
  Notes leftScore, leftMidi;
  for (const auto &[note, count] : written) {
    const auto other = played.find(note);
    const int rest = count - (other == played.end() ? 0 : std::min(count, other->second));
    if (rest > 0)
      leftScore[note] = rest;
  }
  for (const auto &[note, count] : played) {
    const auto other = written.find(note);
    const int rest = count - (other == written.end() ? 0 : std::min(count, other->second));
    if (rest > 0)
      leftMidi[note] = rest;
  }
  int near = 0;
  for (auto &[note, count] : leftScore)
    for (auto &[other, otherCount] : leftMidi)
      while (count > 0 && otherCount > 0 && other.second == note.second &&
             std::llabs(other.first - note.first) <= 120) {
        --count;
        --otherCount;
        ++near;
      }
  std::printf("%s: %d notes at the same pitch and start, %d more within a sixteenth, %d only in "
              "the score, %d only in the MIDI file; %d grace notes left out of the score\n",
              argv[1], same, near, onlyScore - near, onlyMidi - near,
              scoreReport.graceNotesLeftOut);
  return onlyScore + onlyMidi == 0 ? 0 : 1;
}
