#pragma once
// What an SMD file can hold, in one place: the checks before a save, the SMD writer, the
// fitting of a song for SMD, the SMD reader and the MIDI export and import all ask here, so
// that what one of them writes the others take. The note range (kSmdLowestNote ..
// kSmdHighestNote) and the three octave windows are the vocabulary every module speaks
// (model/vocabulary.h); the rules built on them are here.
#include "model/song.h"
#include "model/vocabulary.h"

#include <QtGlobal>

namespace pipora {

// Elements of one part: what the SMD reader takes, the save checks allow, the MIDI export
// writes and the MIDI import reads back.
inline constexpr int kMaxSmdPartNotes = 100'000;
inline constexpr int kMaxSmdPartElements = kMaxSmdPartNotes;
// Part frames in a file: the user's 16, the clipboard's and the backup slot's.
inline constexpr int kMaxSmdFileParts = kPartSlots;
// The loudest volume a part's "louder" words reach.
inline constexpr int kMaxSmdVolume = 8;
// Limits far above any real ringtone (a few kilobytes, a few hundred notes a part), so that
// a damaged or hostile file is refused with a message instead of running start ticks past
// what a 32-bit tick count holds: a part of kMaxSmdPartElements halves lasts 96 million ticks.
// A file of 18 full parts takes about 4 MB (two to three bytes a note), so the byte limit
// refuses only files that could not hold notes anyway; the lists then take at most 36 MB.
inline constexpr qsizetype kMaxSmdLineBytes = qsizetype{8} << 20; // 8 MB
// A MIDI export writes an element as at most one note-on and one note-off: the import holds
// up to this many events an element before it calls a file too long.
inline constexpr int kMidiEventsPerElement = 2;

// A single note or rest the writer can put into a file: a length with a code, and a rest or
// a note in the SMD range.
bool SingleNoteSavable(int noteNumber, NoteLength length);

// Whether the phone's alphabet has a code for the note at all, whatever the range says:
// below the range the low window still reaches one note lower, and two for half notes.
bool NoteEncodable(int noteNumber, NoteLength length);

// A triplet group's three notes are written in one octave window: the lowest and highest of
// its notes (rests left out) and the first window, in order of preference, that holds both.
struct TripletSpan {
  static constexpr int kNoNote = 9999;
  int lowest = kNoNote;
  int highest = 0;
  bool restsOnly() const { return lowest == kNoNote; }
  // nullptr when no window holds the group (and for three rests, which need none).
  const OctaveWindow *window() const {
    return restsOnly() ? nullptr : WindowHolding(lowest, highest);
  }
  // Three rests or a group one window holds.
  bool fits() const { return restsOnly() || window() != nullptr; }
};
TripletSpan SpanOfTriplet(int first, int second, int third);

} // namespace pipora
