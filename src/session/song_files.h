#pragma once
// The one door for song files, the same for both programs: what kind of file a file is, from
// its name and its first bytes, and the song its bytes give (or the bytes a song gives as that
// kind). Open, the recent files, drops, both command lines and the score export all ask here,
// so that a file is read the same way however it came in. A new kind is a value of
// SongFileKind, a line in SongFileKindOf and a case in DecodeSongBytes and EncodeSongBytes.
#include "formats/midi/midi_import.h"
#include "formats/midi/smf_writer.h"
#include "model/result.h"
#include "model/song.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pipora {

enum class SongFileKind {
  Smd,      // *.smd, *.smz: the phone's melody text
  Midi,     // *.mid, *.midi: a Standard MIDI File, imported
  MusicXml, // *.xml, *.musicxml, *.mxl: a score, imported as a MIDI file is
};

// The reasons a file is refused for its kind.
inline constexpr std::string_view kNotASongFileMessage =
    "SMDファイルでもMIDIファイルでもありません";

// How many bytes of a file's start decide its kind (the first line, up to this many).
inline constexpr qint64 kSongFileHeadBytes = 4096;

// The content speaks first: a MIDI header, an XML document or an SMD line (a part frame
// ESC "$D" on the first line) is that kind whatever the file is called. Otherwise the name's
// extension decides (a .mid file without a header is a damaged MIDI file), then an empty first
// line is an empty SMD song, and a file without a name (standard input) SMD; nothing when
// none of them says. `name` is the file's name as bytes (empty for standard
// input); `head` at least its first line.
std::optional<SongFileKind> SongFileKindOf(const QByteArray &name, const QByteArray &head);

// The kind of the file at `path`, reading its first bytes. A file that cannot be read fails
// with the system's description; one of no known kind with kNotASongFileMessage.
Result<SongFileKind> SongFileKindAt(const QString &path);

// A song read from a file's bytes. `damage`: what stopped a MIDI reading partway; the notes
// read before it are in the song.
struct DecodedSong {
  Song song;
  SongFileKind kind = SongFileKind::Smd;
  std::optional<Error> damage;
  // A MIDI file cut short: read as far as it goes, and said so here.
  std::vector<std::string> warnings;
};

// The song a file's bytes give as `kind`: SMD decoded (DecodeSmdBytes), MIDI imported
// (ImportMidiBytes with `import`, keeping what `kept` holds that the file does not set), a
// MusicXML score imported the same way (ImportMusicXmlBytes, text or .mxl). An SMD line that
// does not decode, or a score that is not well-formed or not a score, fails.
Result<DecodedSong> DecodeSongBytes(SongFileKind kind, const QByteArray &bytes,
                                    const MidiImportOptions &import, const Song &kept = Song());

// The bytes of the song as `kind`: SMD (EncodeSmd), the MIDI export (MidiExportBytes, the
// writer's log with `writeLog`) or the MusicXML score text (MusicXmlExportBytes; the command
// line writes .mxl and part names itself). A song the kind cannot hold fails with the
// check's message and place.
Result<QByteArray> EncodeSongBytes(SongFileKind kind, Song &song, bool writeLog = false);

} // namespace pipora
