#pragma once
// MusicXML scores, as text (.musicxml, .xml) or compressed (.mxl): the import through the MIDI
// import's fitting, and the export. Reading and writing the bytes lives in formats/musicxml;
// this is where they meet the file system.
#include "formats/midi/midi_import.h"
#include "model/result.h"
#include "model/song.h"
#include "session/midi_files.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <string>

namespace pipora {

// True for a compressed MusicXML archive or MusicXML text, by the bytes alone.
bool LooksLikeMusicXmlFile(const QByteArray &bytes);

// The score in `bytes` (text, or an .mxl archive) as a new song: fitted as a Standard MIDI File
// is (ImportNotes), its speed chosen the same way, then its time signature, pickup, key and
// clefs. A file that is not a score, or not well-formed, is refused with where it stopped.
// The report's error says that the notes outgrew what a song holds.
Result<Report<Song>> ImportMusicXmlBytes(const QByteArray &bytes, const MidiImportOptions &options,
                                         const Song &kept = Song());

// Replaces the song by the score at `path` (ImportMusicXmlBytes, keeping what ImportMidiFile
// keeps): the file name becomes `path` with its extension replaced by "smd", and the song is
// not dirty. A file that cannot be read or is refused leaves the song as it was.
Result<MidiImportReport> ImportMusicXmlFile(Song &song, const QString &path,
                                            const MidiImportOptions &options);

// Part names by part number (UTF-8); an empty one is written "CH n".
using PartNames = std::array<std::string, kUserParts + 1>;

// The song as a MusicXML score with the key and clefs the score editor draws: the text, or an
// .mxl archive holding it when `compressed`. The note lists' start ticks must be current.
Result<QByteArray> MusicXmlExportBytes(const Song &song, bool compressed,
                                       const PartNames &names = {});

// True when `path` names a compressed score (".mxl", any letter case).
bool IsCompressedScoreName(const QString &path);

// Writes the song as a MusicXML score at `path` (compressed for ".mxl"), atomically.
Status ExportMusicXmlFile(const Song &song, const QString &path, const PartNames &names = {});

} // namespace pipora
