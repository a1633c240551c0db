#pragma once
// Songs for the editing tests: parts written as "C4:4 R:8 E4:4_" (pitch with octave or R,
// colon, length code), both lists current.
#include "model/song.h"
#include "model/vocabulary.h"

#include <sstream>
#include <string>
#include <vector>

namespace pipora::test {

inline void WritePart(Song &song, int part, const std::string &notes) {
  std::istringstream words(notes);
  std::string word;
  while (words >> word) {
    const std::size_t colon = word.find(':');
    const std::string pitch = word.substr(0, colon);
    const std::string length = word.substr(colon + 1);
    const int n = pitch == "R" ? 0 : NoteNumberFromText(pitch);
    InsertNote(song, part, song.part(part).count, n, length, PitchNameOf(n));
  }
}

// Parts 1, 2, ... in order; the song is new otherwise.
inline Song MakeSong(const std::vector<std::string> &parts) {
  Song song;
  for (std::size_t i = 0; i < parts.size(); ++i)
    WritePart(song, static_cast<int>(i) + 1, parts[i]);
  RecalcTimes(song);
  BuildScoreList(song);
  return song;
}

// The part's note list back as text, in the form WritePart reads (octave digits included).
inline std::string PartText(const Song &song, int part) {
  std::string text;
  const Part &p = song.part(part);
  for (std::int32_t i = 0; i < p.count; ++i) {
    const NoteEntry &e = p.notes[static_cast<std::size_t>(i)];
    if (!text.empty())
      text += ' ';
    text += e.noteNumber == 0 ? std::string("R")
                              : PitchNameOf(e.noteNumber) + std::to_string(OctaveOf(e.noteNumber));
    text += ':' + std::string(e.length);
  }
  return text;
}

// The score list of a part as text, from its durations and tie flags.
inline std::string ScoreText(const Song &song, int part) {
  std::string text;
  const Part &p = song.part(part);
  for (std::int32_t i = 0; i < p.scoreHeader.count; ++i) {
    const ScoreNote &s = p.score[static_cast<std::size_t>(i)];
    if (!text.empty())
      text += ' ';
    text += s.noteNumber == 0 ? std::string("R")
                              : PitchNameOf(s.noteNumber) + std::to_string(OctaveOf(s.noteNumber));
    text += ':' + LengthCodeFromTicks(s.duration, s.tie != 0);
  }
  return text;
}

inline void SelectScore(Song &song, int part, int start, int length, int cursor) {
  song.currentPart = part;
  song.part(1).scoreHeader.partNumber = static_cast<std::int16_t>(part);
  ScoreHeader &h = song.part(part).scoreHeader;
  h.selStart = start;
  h.selLength = length;
  h.cursor = cursor;
}

inline void PutScoreCursor(Song &song, int part, int cursor) {
  SelectScore(song, part, 0, 0, cursor);
}

} // namespace pipora::test
