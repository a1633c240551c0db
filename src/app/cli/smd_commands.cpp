// dump, check and convert: a song file as text, whether it can be saved, and saving it as SMD.
#include "app/cli/cli_command.h"

#include "formats/smd/smd_writer.h"
#include "model/source_line.h"

namespace pipora::cli {
namespace {

bool Expect(const QStringList &args, qsizetype count, std::string_view usage) {
  if (args.size() == count)
    return true;
  PrintErr("usage: piporapad-cli " + std::string(usage) + "\n");
  return false;
}

// Loads the song or prints why it cannot be read.
bool Load(Song &song, const QString &path) {
  if (Status loaded = LoadSong(song, path); !loaded) {
    PrintErr(loaded.error() + "\n");
    return false;
  }
  return true;
}

std::string DumpText(const Song &song) {
  std::string out = "title\t" + song.title + "\n";
  out += "tempo\t" + std::string(TempoText(song.tempo)) + "\n";
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

constexpr std::string_view kDumpUsage = "dump FILE";
constexpr std::string_view kCheckUsage = "check FILE";
constexpr std::string_view kConvertUsage = "convert IN OUT";

int RunDump(const QStringList &args) {
  if (!Expect(args, 1, kDumpUsage))
    return kExitBadInput;
  Song song;
  if (!Load(song, args[0]))
    return kExitBadInput;
  PrintOut(DumpText(song));
  return kExitOk;
}

int RunCheck(const QStringList &args) {
  if (!Expect(args, 1, kCheckUsage))
    return kExitBadInput;
  Song song;
  if (!Load(song, args[0]))
    return kExitBadInput;
  const SmdEncoding encoding = EncodeSmd(song);
  if (encoding.ok()) {
    PrintOut("OK\n");
    return kExitOk;
  }
  const SmdCheckFailure &f = *encoding.failure;
  PrintOut("part " + std::to_string(f.part) + " element " + std::to_string(f.element) + ": " +
           f.message + "\n");
  return kExitRefused;
}

int RunConvert(const QStringList &args) {
  if (!Expect(args, 2, kConvertUsage))
    return kExitBadInput;
  Song song;
  if (!Load(song, args[0]))
    return kExitBadInput;
  bool refused = false;
  if (Status saved = SaveSong(song, args[1], refused); !saved) {
    PrintErr(saved.error() + "\n");
    return refused ? kExitRefused : kExitWriteFailed;
  }
  return kExitOk;
}

const Registrar dump{{"dump", kDumpUsage, &RunDump}};
const Registrar check{{"check", kCheckUsage, &RunCheck}};
const Registrar convert{{"convert", kConvertUsage, &RunConvert}};

} // namespace
} // namespace pipora::cli
