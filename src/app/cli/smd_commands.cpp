// dump, check and convert: a song file as text, whether it can be saved as SMD, and saving
// it in another format.
#include "app/cli/batch_outputs.h"
#include "app/cli/byte_files.h"
#include "app/cli/cli_command.h"
#include "app/cli/progress_line.h"
#include "app/cli/song_files.h"
#include "app/cli/standard_streams.h"
#include "editing/fit_for_smd.h"
#include "formats/midi/import_report.h"

#include "formats/smd/smd_writer.h"
#include "model/source_line.h"
#include "model/terminal_text.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <set>

namespace pipora::cli {
namespace {

// Reads the song or prints why it cannot be read.
std::optional<Song> Load(const Invocation &invocation, const QByteArray &name) {
  Result<Song> loaded = ReadSong(name, {invocation.import, false});
  if (!loaded) {
    PrintErr(loaded.error() + "\n");
    return std::nullopt;
  }
  return std::move(*loaded);
}

std::string DumpText(const Song &song) {
  std::string out = "title\t" + TerminalText(song.title) + "\n";
  out += "tempo\t" + std::string(TempoText(song.tempo)) + "\n";
  // The signature the score shows: sharps positive, flats negative, and the mode.
  const KeySignature key = song.display.key.value_or(KeySignature{});
  out += "key\t" + std::to_string(key.fifths) + (key.minor ? "\tminor\n" : "\tmajor\n");
  // Locations below count this meter's bars and beats.
  if (song.beatsPerMeasure != 4 || song.ticksPerBeat != kTicksPerQuarter)
    out += "time\t" + std::to_string(song.beatsPerMeasure) + "/" +
           std::to_string(kTicksPerWhole / std::max<int>(song.ticksPerBeat, 1)) + "\n";
  for (int n = 1; n <= kClipboardPart; ++n) {
    const Part &p = song.part(n);
    if (p.count <= 0)
      continue;
    out += "part\t" + std::to_string(n) + "\tvolume\t" + std::to_string(p.volume) + "\n";
    for (std::int32_t i = 0; i <= p.count; ++i) {
      out += SourceListLine(p.notes[static_cast<std::size_t>(i)], song.ticksPerBeat,
                            song.beatsPerMeasure);
      out += '\n';
    }
  }
  return out;
}

int RunDump(const Invocation &invocation) {
  const std::optional<Song> song = Load(invocation, invocation.operands[0]);
  if (!song)
    return kExitBadInput;
  PrintOut(DumpText(*song));
  return kExitOk;
}

// One line per file; with several files each line starts with the file's name.
int RunCheck(const Invocation &invocation) {
  const bool named = invocation.operands.size() > 1;
  int worst = kExitOk;
  for (const QByteArray &name : invocation.operands) {
    const std::optional<Song> song = Load(invocation, name);
    if (!song) {
      worst = std::max(worst, kExitBadInput);
      continue;
    }
    const std::string prefix = named ? TerminalText(name.toStdString()) + ": " : std::string();
    const Result<QByteArray> encoded = EncodeSmd(*song);
    if (encoded) {
      PrintOut(prefix + "OK\n");
      continue;
    }
    PrintOut(prefix + RefusalText(encoded.failure()) + "\n");
    worst = std::max(worst, kExitRefused);
  }
  return worst;
}

struct ConvertPlan {
  FileFormat format{};
  bool intoFolder = false;
};

// The output format and whether the outputs go into a folder; nothing (after saying why)
// when the line does not tell.
std::optional<ConvertPlan> PlanConvert(const Invocation &invocation) {
  const QByteArray &target = invocation.operands.back();
  const std::size_t inputs = invocation.operands.size() - 1;
  ConvertPlan plan;
  plan.intoFolder = inputs > 1 || (!IsStandardStream(target) && IsDirectory(target));
  if (inputs > 1 && !IsDirectory(target)) {
    PrintErr("piporapad-cli: convert: target '" + TerminalText(target.toStdString()) +
             "' is not a folder (several inputs need one)\n");
    return std::nullopt;
  }
  if (const auto to = invocation.value("--to")) {
    const auto format = FormatNamed(*to);
    if (!format) {
      PrintErr("piporapad-cli: convert: unknown format '" + *to +
               "' (smd, mid, wav or musicxml)\n");
      return std::nullopt;
    }
    plan.format = *format;
    return plan;
  }
  if (plan.intoFolder) {
    PrintErr(
        "piporapad-cli: convert: converting into a folder needs --to smd, mid, wav or musicxml\n");
    return std::nullopt;
  }
  if (IsStandardStream(target)) {
    PrintErr("piporapad-cli: convert: standard output needs --to smd, mid, wav or musicxml\n");
    return std::nullopt;
  }
  const auto format = FormatOfName(target);
  if (!format) {
    PrintErr("piporapad-cli: convert: cannot tell the format of '" +
             TerminalText(target.toStdString()) +
             "': use a name ending in .smd, .smz, .mid, .wav, .musicxml or .mxl, or --to\n");
    return std::nullopt;
  }
  plan.format = *format;
  return plan;
}

// The exit code, after printing why when it is not kExitOk.
int ConvertOne(const Invocation &invocation, const QByteArray &input, const QByteArray &output,
               FileFormat format, const WriteOptions &options) {
  ReadOptions read{invocation.import, false};
  ImportReport report;
  const bool reporting = invocation.has("--report");
  if (reporting)
    read.import.report = &report;
  Result<Song> loaded = ReadSong(input, read);
  if (!loaded) {
    if (options.progress != nullptr)
      options.progress->clear();
    PrintErr(loaded.error() + "\n");
    return kExitBadInput;
  }
  Song &song = *loaded;
  if (reporting)
    PrintOut(ImportReportText(report, song.ticksPerBeat, song.beatsPerMeasure) +
             ImportReportSummary(report) + "\n");
  if (invocation.has("--fit")) {
    FitMoves moves{};
    const std::vector<FitChange> changes = FitForSmdInPlace(song, &moves);
    if (reporting) {
      std::vector<FitChange> listed;
      std::copy_if(changes.begin(), changes.end(), std::back_inserter(listed),
                   [](const FitChange &c) { return !MovesNoNote(c); });
      const std::size_t quiet = changes.size() - listed.size();
      PrintOut(FitChangesText(listed, song.ticksPerBeat, song.beatsPerMeasure) +
               FitMovesText(moves) + "SMDに合わせた変更 " + std::to_string(changes.size()) + " 件" +
               (quiet > 0 ? "（うち " + std::to_string(quiet) +
                                " 件は音を動かさない3連符の変更で、一覧にはありません）"
                          : std::string()) +
               "\n");
    }
  }
  return WriteSong(song, format, output, options);
}

int RunConvert(const Invocation &invocation) {
  const std::optional<WriteOptions> options = SoundOptions(invocation);
  if (!options)
    return kExitBadInput;
  const std::optional<ConvertPlan> plan = PlanConvert(invocation);
  if (!plan)
    return kExitBadInput;
  const QByteArray &target = invocation.operands.back();
  if (!plan->intoFolder) {
    return ConvertOne(invocation, invocation.operands[0], target, plan->format, *options);
  }

  // Into a folder: one line per file, on standard output for those written.
  ProgressLine progress;
  WriteOptions inFolder = *options;
  inFolder.progress = &progress;
  const std::size_t inputs = invocation.operands.size() - 1;
  const std::vector<QByteArray> inputNames(invocation.operands.begin(),
                                           invocation.operands.begin() +
                                               static_cast<std::ptrdiff_t>(inputs));
  std::vector<QByteArray> outputs;
  for (const QByteArray &input : inputNames)
    outputs.push_back(
        IsStandardStream(input)
            ? input
            : JoinPath(target, WithExtension(BaseName(input), ExtensionFor(plan->format))));
  // An output that is one of the inputs would replace it, perhaps before it is read (a MIDI
  // file's output over a hand-made SMD file of the same name): nothing is written at all, so
  // the user finds every file as it was and chooses another folder.
  if (const std::vector<std::string> clashes = OutputsReplacingInputs(inputNames, outputs);
      !clashes.empty()) {
    for (const std::string &clash : clashes)
      PrintErr("piporapad-cli: convert: " + clash + "\n");
    PrintErr("piporapad-cli: convert: nothing converted: choose a folder without the inputs\n");
    return kExitBadInput;
  }
  int worst = kExitOk;
  // Two inputs of one name from different folders would write one output twice: the
  // second is refused and the first output stays.
  std::set<QByteArray> written;
  for (std::size_t i = 0; i < inputs; ++i) {
    const QByteArray &input = invocation.operands[i];
    if (IsStandardStream(input)) {
      PrintErr("piporapad-cli: convert: '-' has no name to give its output in a folder\n");
      worst = std::max(worst, kExitBadInput);
      continue;
    }
    progress.show("convert " + std::to_string(i + 1) + "/" + std::to_string(inputs) + " " +
                      TerminalText(input.toStdString()),
                  true);
    const QByteArray &output = outputs[i];
    if (!written.insert(output).second) {
      PrintErr("piporapad-cli: convert: " + TerminalText(input.toStdString()) + ": " +
               TerminalText(output.toStdString()) + " is already the output of an earlier file\n");
      worst = std::max(worst, kExitBadInput);
      continue;
    }
    const int one = ConvertOne(invocation, input, output, plan->format, inFolder);
    progress.clear();
    if (one == kExitOk)
      PrintOut(TerminalText(input.toStdString()) + " -> " + TerminalText(output.toStdString()) +
               "\n");
    worst = std::max(worst, one);
  }
  return worst;
}

const std::vector<OptionSpec> kConvertOptions{
    {"--to", "FORMAT", "output format: smd, mid, wav or musicxml (else the output's extension)"},
    {"--seconds", "N", "WAV: render at most N seconds"},
    {"--soundfont", "FILE", "WAV: the SoundFont to render with"},
    {"--gain", "DB", "WAV: raise (or lower) the sound by DB decibels instead of normalising"},
    {"--no-normalise", "", "WAV: keep the synthesizer's own level (else the peak is -1 dBFS)"},
    {"--fit", "", "mend what SMD cannot hold before writing (see the manual's SMDに合わせる)"},
    {"--report", "",
     "print what reading a MIDI or MusicXML file did to its notes, and what --fit changed"},
};

const Registrar dump{{"dump",
                      "FILE",
                      "print the title, the tempo and each part's notes as the list editor "
                      "shows them",
                      {},
                      1,
                      1,
                      &RunDump}};
const Registrar check{{"check",
                       "FILE...",
                       "say whether each song can be saved as SMD (OK, or the first note that "
                       "cannot)",
                       {},
                       1,
                       -1,
                       &RunCheck}};
const Registrar convert{{"convert", "IN OUT | IN... FOLDER",
                         "read songs and write them as SMD, MIDI, WAV or MusicXML; several inputs "
                         "go into a folder",
                         kConvertOptions, 2, -1, &RunConvert}};

} // namespace
} // namespace pipora::cli
