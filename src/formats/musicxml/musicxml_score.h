#pragma once
// A MusicXML score as the import takes it: each part's sounding notes with their voices, in
// ticks (kTicksPerQuarter) from the score's first note, repeats and voltas played out, and
// what the score says beyond its notes (title, tempo, key, clefs, time signature, pickup).
#include "model/score_display.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pipora {

struct MusicXmlNote {
  int voice = 0; // index among the part's voices, in the order they first appear
  int key = 0;   // sounding MIDI key (written pitch with the part's transposition)
  std::int64_t on = 0;
  std::int64_t off = 0;
};

struct MusicXmlPart {
  std::string id;
  std::string name;
  int program = -1; // 0..127 from the part's midi-program (written 1..128); -1 none
  int channel = 0;  // 1..16 from the part's midi-channel; 0 none
  Clef clef = Clef::Automatic;
  int voices = 0;
  std::vector<MusicXmlNote> notes; // by start, then key
};

struct MusicXmlTempo {
  std::int64_t tick = 0;
  double rate = 0; // quarters per minute
};

struct MusicXmlScore {
  std::string title; // UTF-8
  std::vector<MusicXmlPart> parts;
  std::vector<MusicXmlTempo> tempos; // by tick, as the music plays them
  std::int64_t endTick = 0;          // the end of the last measure played
  std::optional<KeySignature> key;   // the first key signature
  int beats = 4;                     // the first time signature
  int beatType = 4;
  std::int64_t pickup = 0; // the length of an incomplete first measure, 0 for a full one
  int graceNotes = 0;      // grace notes left out: they take no time of their own
  int unpitchedNotes = 0;  // percussion notes left out: they have no pitch to play
  int measuresPlayed = 0;  // measures after repeats are played out
};

} // namespace pipora
