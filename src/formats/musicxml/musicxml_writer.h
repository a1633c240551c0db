#pragma once
// A song as a MusicXML 4.0 partwise score: one part per part holding notes, with the song's
// title, tempo, key, clefs and time signature, its ties and its triplets with their brackets.
#include "model/score_display.h"
#include "model/song.h"

#include <QByteArray>
#include <array>
#include <string>

namespace pipora {

// What the score shows beyond the notes, as the score editor draws it.
struct MusicXmlLayout {
  KeySignature key;
  std::array<Clef, kUserParts + 1> clefs{};      // by part; Automatic is written as treble
  std::array<std::string, kUserParts + 1> names; // by part (UTF-8); empty: "CH n"
};

// The score text (UTF-8). The note lists' start ticks must be current (RecalcTimes).
QByteArray EncodeMusicXml(const Song &song, const MusicXmlLayout &layout);

} // namespace pipora
