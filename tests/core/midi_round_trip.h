#pragma once
// Import -> export -> import in memory, as the MIDI round-trip tests compare it.
#include "formats/midi/midi_import.h"
#include "formats/midi/smf_reader.h"
#include "formats/midi/smf_writer.h"

#include <QByteArray>
#include <cstdint>
#include <span>
#include <string>

namespace pipora::testing {

inline std::span<const std::uint8_t> BytesOf(const QByteArray &bytes) {
  return {reinterpret_cast<const std::uint8_t *>(bytes.constData()),
          static_cast<std::size_t>(bytes.size())};
}

// The song a file imports as; `error` gets what stopped the reading, if anything.
inline Song ImportBytes(std::span<const std::uint8_t> bytes, bool triplets,
                        std::string *error = nullptr) {
  MidiImportOptions options;
  options.triplets = triplets;
  options.writeEventLog = false;
  Song song;
  EmptyPartsForImport(song);
  MidiImporter importer(song, options);
  const SmfRead read = ReadSmf(bytes, song, importer, options);
  if (error != nullptr)
    *error = read.error ? read.error->text() : std::string();
  AppendEndMarkers(song);
  RecalcTimes(song);
  return song;
}

// Velocities fixed, so that two exports of the same notes are the same bytes.
inline QByteArray ExportBytes(const Song &song) {
  return EncodeSmf(song, [] { return 0.5; }).bytes;
}

// The sounding notes of all parts as "start:key:code" words, parts after the first marked
// "chN/". Rests are left out: a file holds only the gaps between notes.
inline std::string SoundingNotes(const Song &song) {
  std::string text;
  for (int n = 1; n <= kUserParts; ++n) {
    const Part &p = song.part(n);
    for (std::int32_t i = 0; i < p.count; ++i) {
      const NoteEntry &e = p.notes[static_cast<std::size_t>(i)];
      if (e.noteNumber == 0)
        continue;
      if (!text.empty())
        text += ' ';
      if (n != 1)
        text += "ch" + std::to_string(n) + "/";
      text += std::to_string(e.start) + ":" + std::to_string(e.noteNumber) + ":" +
              std::string(e.length);
    }
  }
  return text;
}

// "" when the two texts of SoundingNotes agree, else the first words where they part.
inline std::string FirstDifference(const std::string &a, const std::string &b) {
  std::size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at])
    ++at;
  if (at == a.size() && at == b.size())
    return "";
  const std::size_t from = a.rfind(' ', at == 0 ? 0 : at - 1);
  const std::size_t start = from == std::string::npos ? 0 : from + 1;
  return "\"" + a.substr(start, 60) + "\" became \"" + b.substr(start, 60) + "\"";
}

} // namespace pipora::testing
