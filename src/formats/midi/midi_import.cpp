#include "formats/midi/midi_import.h"

#include "model/vocabulary.h"

namespace pipora {
namespace {

// Triplet durations a note may keep without being cut: they have no tied form in the table.
std::string_view TripletCode(std::int64_t ticks) {
  for (const LengthCode &len : kLengthCodes)
    if (len.triplet && len.ticks == ticks)
      return len.code;
  return {};
}

// After every tied piece the rest is looked at afresh, so 1120 ticks give "2_" and "83".
template <typename Append> void ForEachPiece(std::int64_t ticks, Append append) {
  for (;;) {
    if (const std::string_view triplet = TripletCode(ticks); !triplet.empty()) {
      append(triplet);
      return;
    }
    const LengthCode *tied = nullptr;
    for (const LengthCode &len : kLengthCodes) {
      if (len.triplet)
        continue; // plain lengths, longest first
      if (ticks == len.ticks) {
        append(len.code);
        return;
      }
      if (ticks > len.ticks) {
        tied = &len;
        break;
      }
    }
    // Below a sixteenth nothing is kept.
    if (tied == nullptr || !append(tied->tied))
      return;
    ticks -= tied->ticks;
  }
}

} // namespace

std::vector<std::string_view> CutDuration(std::int64_t ticks) {
  std::vector<std::string_view> pieces;
  ForEachPiece(ticks, [&](std::string_view code) {
    pieces.push_back(code);
    return true;
  });
  return pieces;
}

std::int64_t SnapTime(std::int64_t ticks, std::int64_t lastOn, bool triplets) {
  if (!triplets)
    return (ticks + 60) / 120 * 120;
  std::int64_t s = (ticks + 20) / 40 * 40;
  if (TripletCode(s - lastOn).empty())
    s = (s + 60) / 120 * 120;
  return s;
}

int FoldKey(int key) {
  if (key < 45)
    return (key + 3) % 12 + 45;
  if (key > 90)
    return (key - 6) % 12 + 78;
  return key;
}

MidiImporter::MidiImporter(Song &song, const MidiImportOptions &options)
    : song_(song), options_(options) {}

void MidiImporter::StartTrack() {
  for (Channel &ch : channels_) {
    ch.lastOn = 0;
    ch.lastOff = 0;
  }
}

void MidiImporter::ImportNoteEvent(int channel, int key, int velocity, std::int64_t time) {
  if (channel < 1 || channel > kUserParts || full())
    return;
  Channel &ch = channels_[static_cast<std::size_t>(channel - 1)];
  const std::int64_t s = SnapTime(time, ch.lastOn, options_.triplets);

  if (velocity > 0) {
    // A note-on while a note still sounds ends that note here; on a fresh channel the
    // "note" is key 0, so the time before the first note becomes a rest.
    if (ch.lastOn >= ch.lastOff && s > 0)
      ImportNoteEvent(channel, ch.currentKey, 0, s);
    AppendPieces(channel, s - ch.lastOff, 0);
    ch.currentKey = key;
    ch.lastOn = s;
    return;
  }

  // A note-off for another key belongs to a note already cut by a later note-on. A second
  // note-off of a note that has already ended (lastOff after lastOn) would append the note
  // once more, so it is ignored too.
  if (key != ch.currentKey || ch.lastOff > ch.lastOn)
    return;
  int noteNumber = key;
  if (options_.foldOctaves && key != 0)
    noteNumber = FoldKey(key);
  AppendPieces(channel, s - ch.lastOn, noteNumber);
  ch.lastOff = s;
}

void MidiImporter::AppendPieces(int part, std::int64_t ticks, int noteNumber) {
  const std::string pitch = PitchNameOf(noteNumber);
  ForEachPiece(ticks, [&](std::string_view code) {
    if (full())
      return false;
    AppendNote(song_, part, noteNumber, code, pitch);
    ++appended_;
    return true;
  });
}

void EmptyPartsForImport(Song &song) {
  for (int n = 1; n <= kClipboardPart; ++n) {
    Part &p = song.part(n);
    p.notes.clear();
    p.count = -1;
    p.cursor = 0;
    p.startTick = 0;
  }
}

void AppendEndMarkers(Song &song) {
  for (int n = 1; n <= kClipboardPart; ++n)
    AppendNote(song, n, 0, kEndOfTrack, "");
}

} // namespace pipora
