#include "formats/midi/midi_import.h"

#include "formats/midi/short_runs.h"
#include "model/vocabulary.h"

#include <algorithm>
#include <array>
#include <limits>

namespace pipora {
namespace {

constexpr std::int64_t kSixteenthTicks = 120;
constexpr int kDrumChannel = 10;
constexpr std::int64_t kShortestTicks = kLengthCodes.back().ticks;
constexpr std::int64_t kHalfTicks = 960;
static_assert(kLengthCodes.front().ticks == kHalfTicks, "long stretches are cut into halves");

// Tied half notes that every cut of `ticks` starts with: after each, a half note or more is
// left.
std::int64_t LeadingHalves(std::int64_t ticks) {
  return std::max<std::int64_t>(ticks - kHalfTicks, 0) / kHalfTicks;
}

// Triplet durations a note may keep without being cut: they have no tied form in the table.
// Every triplet length is a multiple of the shortest, so most durations need no look-up.
std::string_view TripletCode(std::int64_t ticks) {
  constexpr std::int64_t kShortestTriplet = kTripletLengths.back().ticks;
  static_assert(kTripletLengths.front().ticks % kShortestTriplet == 0);
  if (ticks % kShortestTriplet != 0 || ticks <= 0 || ticks > kTripletLengths.front().ticks)
    return {};
  for (const LengthCode &len : kTripletLengths)
    if (len.ticks == ticks)
      return len.code;
  return {};
}

// After every tied piece the rest is looked at afresh, so 1120 ticks give "2_" and "83".
// Returns the ticks left off: a tail under a sixteenth is dropped, and the piece before it
// then ends untied, so that no note is tied to nothing.
template <typename Append> std::int64_t ForEachPiece(std::int64_t ticks, Append append) {
  for (;;) {
    if (const std::string_view triplet = TripletCode(ticks); !triplet.empty()) {
      append(triplet, ticks);
      return 0;
    }
    const LengthCode *tied = nullptr;
    for (const LengthCode &len : kLengthCodes) {
      if (len.triplet)
        continue; // plain lengths, longest first
      if (ticks == len.ticks) {
        append(len.code, len.ticks);
        return 0;
      }
      if (ticks > len.ticks) {
        tied = &len;
        break;
      }
    }
    // Below a sixteenth nothing is kept.
    if (tied == nullptr)
      return std::max<std::int64_t>(ticks, 0);
    ticks -= tied->ticks;
    if (ticks < kSixteenthTicks && TripletCode(ticks).empty()) {
      append(tied->code, tied->ticks);
      return ticks;
    }
    if (!append(tied->tied, tied->ticks))
      return 0;
  }
}

// How many pieces ForEachPiece cuts `ticks` into, worked out without cutting.
std::int64_t PieceCount(std::int64_t ticks) {
  std::int64_t count = LeadingHalves(ticks);
  ForEachPiece(ticks - count * kHalfTicks,
               [&](std::string_view, std::int64_t) { return ++count > 0; });
  return count;
}

// The ticks under a sixteenth that cutting `ticks` leaves off, worked out without cutting.
std::int64_t DroppedTail(std::int64_t ticks) {
  return ForEachPiece(ticks - LeadingHalves(ticks) * kHalfTicks,
                      [](std::string_view, std::int64_t) { return true; });
}

// What AppendNote does `copies` times over, in one step; the entry's texts are made once,
// not looked up again for every piece.
void AppendCopies(Song &song, int part, const NoteEntry &entry, std::int64_t copies) {
  Part &p = song.part(part);
  EnsureCapacityFor(song, p.count + static_cast<int>(copies) - 1);
  if (copies == 1)
    p.notes.push_back(entry);
  else
    p.notes.insert(p.notes.end(), static_cast<std::size_t>(copies), entry);
  p.count += static_cast<std::int32_t>(copies);
}

// A part no channel of the file uses sounds like the channel most of the voices moved into it
// come from, instead of keeping the tone it had before the import.
void GiveFreePartsTheirTones(Song &song, const std::vector<SplitNote> &notes,
                             const std::array<bool, 17> &used) {
  std::array<std::array<int, kUserParts + 1>, kUserParts + 1> counts{}; // [part][channel]
  for (const SplitNote &n : notes)
    if (n.part >= 1 && n.part <= kUserParts && !used[static_cast<std::size_t>(n.part)])
      ++counts[static_cast<std::size_t>(n.part)][static_cast<std::size_t>(n.channel)];
  for (int p = 1; p <= kUserParts; ++p) {
    const auto &byChannel = counts[static_cast<std::size_t>(p)];
    const auto most = std::max_element(byChannel.begin() + 1, byChannel.end());
    if (*most > 0)
      song.part(p).tone = song.part(static_cast<int>(most - byChannel.begin())).tone;
  }
}

} // namespace

std::vector<std::string_view> CutDuration(std::int64_t ticks) {
  std::vector<std::string_view> pieces;
  ForEachPiece(ticks, [&](std::string_view code, std::int64_t) {
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
  // Into the twelve keys from the lowest, or the twelve below the highest, keeping the class.
  constexpr int kTopOctave = kSmdHighestNote - 12;
  if (key < kSmdLowestNote)
    return (key + 12 - kSmdLowestNote % 12) % 12 + kSmdLowestNote;
  if (key > kSmdHighestNote)
    return (key - kTopOctave % 12) % 12 + kTopOctave;
  return key;
}

MidiImporter::MidiImporter(Song &song, const MidiImportOptions &options)
    : song_(song), options_(options) {
  for (Channel &ch : channels_) {
    ch.soundingSince.fill(-1);
    ch.pendingCut.fill(-1);
    ch.pendingMove.fill(-1);
  }
}

void MidiImporter::expectFileBytes(std::size_t bytes) {
  // A note event takes three bytes at least, its time one more, running status one less.
  if (options_.chords != ChordHandling::Last)
    held_.reserve(std::min<std::size_t>(bytes / 3, static_cast<std::size_t>(options_.maxElements)));
  // A note takes six bytes at least (two events of three, running status aside): the report
  // takes room for that many once instead of copying its records as they grow. Room never
  // written to costs no memory.
  if (options_.report != nullptr) {
    const std::size_t notes =
        std::min<std::size_t>(bytes / 6, static_cast<std::size_t>(options_.maxElements));
    options_.report->original.reserve(options_.report->original.size() + notes);
    options_.report->changes.reserve(options_.report->changes.size() + notes);
  }
}

// The notes are known before any is written: each part takes room for a note, a rest and a
// tied piece per note, as the first read of a file gives the parts in the last note's way.
void MidiImporter::ReserveParts(const std::vector<SplitNote> &notes) {
  std::array<std::size_t, kUserParts + 1> counts{};
  for (const SplitNote &n : notes)
    if (n.part >= 1 && n.part <= kUserParts)
      ++counts[static_cast<std::size_t>(n.part)];
  for (int n = 1; n <= kUserParts; ++n) {
    std::vector<NoteEntry> &list = song_.part(n).notes;
    list.reserve(list.size() + 3 * counts[static_cast<std::size_t>(n)] + 8);
  }
}

void MidiImporter::StartTrack() {
  if (options_.chords != ChordHandling::Last) {
    held_.push_back({});
    ++heldTracks_;
    return;
  }
  NextTrack();
}

void MidiImporter::NextTrack() {
  for (Channel &ch : channels_) {
    // The track's time 0 is where the part ends so far. The part's own times run on, so
    // that the track is snapped and cut as one track holding both would be: as the export.
    ch.trackStart = ch.written;
    ch.lastOn = ch.written;
    ch.lastOff = ch.written;
    ch.noteStart = ch.written;
    // The new track's time before its first note is a rest, not the old track's last key.
    ch.currentKey = 0;
  }
}

void MidiImporter::ImportNoteEvent(int channel, int key, int velocity, std::int64_t time) {
  if (channel < 1 || channel > kUserParts || full())
    return;
  if (channel == kDrumChannel && !options_.keepDrums) {
    if (options_.report != nullptr && velocity > 0)
      ++options_.report->drumsLeftOut;
    return;
  }
  if (options_.chords != ChordHandling::Last) {
    // The reader's times stay below 2^31; only a hand-made caller could pass more.
    const auto at = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        time, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    const auto k = static_cast<std::int8_t>(key >= 0 && key <= 127 ? key : -1);
    held_.push_back({at, static_cast<std::int8_t>(channel), k, velocity > 0});
    heldOns_ += velocity > 0 ? 1 : 0;
    return;
  }
  Feed(channel, key, velocity, time);
}

void MidiImporter::finish(int timeScale) {
  if (options_.chords != ChordHandling::Last)
    WriteHeldNotes(timeScale);
  DropLosslessCuts();
}

void MidiImporter::DropLosslessCuts() {
  // A cut's amount is the time its note lost once the note-off came. A cut never resolved
  // keeps the time of the cut, which is after its note's start: 0 only in the odd case of a
  // note cut at a track's first tick.
  if (options_.report != nullptr)
    std::erase_if(options_.report->changes, [](const ImportChange &c) {
      return c.kind == ImportChangeKind::CutByOverlap && c.amount == 0;
    });
}

void MidiImporter::WriteHeldNotes(int timeScale) {
  // The file's notes, each note-on matched with the note-off of its key (a repeated
  // note-on ends the note before it).
  std::vector<SplitNote> notes;
  notes.reserve(heldOns_);
  std::vector<int> noteOf(held_.size(), -1);
  // Per channel and key of the track being read: the note sounding (-1 none), and the time
  // where a repeated note-on ended the note before it, when it did: a note-off of that key at
  // the same time still belongs to the ended note (sequencers write the two in either
  // order). Events come track after track, and a note of an earlier track is never ended by
  // a later one's events, so an entry stamped with another track counts as none.
  struct KeyState {
    int openTrack = -1;
    int open = -1;
    int repeatedTrack = -1;
    std::int64_t repeatedAt = 0;
  };
  std::vector<KeyState> keys(std::size_t{kUserParts + 1} * 128);
  std::array<bool, 17> used{};
  int track = 0;
  for (std::size_t i = 0; i < held_.size(); ++i) {
    const HeldEvent &e = held_[i];
    if (e.channel == 0) {
      ++track;
      continue;
    }
    if (e.key < 0)
      continue; // the reader gives none
    KeyState &k = keys[static_cast<std::size_t>(e.channel * 128 + e.key)];
    if (!e.on && k.repeatedTrack == track) {
      k.repeatedTrack = -1;
      if (k.repeatedAt == e.time)
        continue;
    }
    if (k.openTrack == track && k.open >= 0) {
      notes[static_cast<std::size_t>(k.open)].off = e.time;
      if (!e.on)
        noteOf[i] = k.open;
      else {
        k.repeatedTrack = track;
        k.repeatedAt = e.time;
      }
      k.open = -1;
    }
    if (e.on) {
      noteOf[i] = static_cast<int>(notes.size());
      k.openTrack = track;
      k.open = noteOf[i];
      notes.push_back({track, e.channel, e.key, e.time, e.time});
      used[static_cast<std::size_t>(e.channel)] = true;
    }
  }
  AssignParts(notes, options_.chords, used);
  // Runs too close for the grid are laid out on slots first; their events then come in the
  // order of their new times, so they are sorted as the tracks of a channel are.
  std::vector<int> freeParts;
  if (options_.chords == ChordHandling::Spread) {
    std::array<bool, 17> taken = used;
    for (const SplitNote &n : notes)
      taken[static_cast<std::size_t>(n.part)] = true;
    for (int p = 1; p <= kUserParts; ++p)
      if (!taken[static_cast<std::size_t>(p)] && p != kDrumChannel)
        freeParts.push_back(p);
  }
  const RunSlots slots =
      options_.triplets ? PlaceShortRuns(notes, timeScale, freeParts) : RunSlots{};
  const bool slotted = !slots.times.empty();
  ReserveParts(notes);
  GiveFreePartsTheirTones(song_, notes, used);
  // The tracks of a file play together: where a channel has notes in several tracks (they are
  // voices of it, not one after the other) or a part takes notes of several tracks, the
  // events go to the parts in the order of time, each track's own order kept, a note ending
  // before one starting at the same time. A part otherwise takes the notes of one track,
  // already in order: the events go in file order.
  std::array<int, 17> trackOfChannel{};
  std::array<int, 17> trackOfPart{};
  trackOfChannel.fill(-1);
  trackOfPart.fill(-1);
  bool merge = false;
  for (const SplitNote &n : notes)
    for (const auto &[tracks, index] :
         {std::pair{&trackOfChannel, n.channel}, std::pair{&trackOfPart, n.part}}) {
      int &t = (*tracks)[static_cast<std::size_t>(index)];
      merge = merge || (t >= 0 && t != n.track && index != 0);
      t = n.track;
    }
  // An event's time at the scale read: its slot's when it has one.
  const auto gridTime = [&](std::size_t i) -> std::int64_t {
    const SlotTimes *t = slots.find(static_cast<std::size_t>(noteOf[i]));
    return t == nullptr ? -1 : held_[i].on ? t->on : t->off;
  };
  const auto timeOf = [&](std::size_t i) {
    const std::int64_t slot = gridTime(i);
    return slot >= 0 ? slot : std::int64_t{held_[i].time} * timeScale;
  };
  // Parts are written independently: only an event earlier than one before it in its own part
  // (a note before a run cut where the run's slots begin) needs the events sorted.
  if (slotted && !merge) {
    std::array<std::int64_t, 17> last{};
    for (std::size_t i = 0; i < held_.size() && !merge; ++i) {
      if (noteOf[i] < 0)
        continue;
      const auto part = static_cast<std::size_t>(notes[static_cast<std::size_t>(noteOf[i])].part);
      const std::int64_t t = timeOf(i);
      merge = t < last[part];
      last[part] = std::max(last[part], t);
    }
  }
  const auto feed = [&](std::size_t i) {
    const HeldEvent &e = held_[i];
    const SplitNote &n = notes[static_cast<std::size_t>(noteOf[i])];
    if (e.on && options_.report != nullptr && n.part != n.channel) {
      // Listed with the channel's part, where the note would have been.
      ImportChange c;
      c.part = n.channel;
      c.tick = n.on * timeScale;
      c.key = n.key;
      c.kind = n.part != 0 ? ImportChangeKind::MovedToPart
               : n.noPart  ? ImportChangeKind::NoPartLeft
               : n.noSlot  ? ImportChangeKind::DroppedShort
                           : ImportChangeKind::DroppedChord;
      c.amount = n.part != 0 ? n.part : n.noSlot ? n.off - n.on : 0;
      c.amount2 = n.channel;
      if (n.part != 0 && n.key >= 0 && n.key < 128)
        channels_[static_cast<std::size_t>(n.part - 1)]
            .pendingMove[static_cast<std::size_t>(n.key)] =
            static_cast<int>(options_.report->changes.size());
      options_.report->changes.push_back(c);
      if (n.part == 0)
        options_.report->original.push_back(
            {n.channel, n.key, n.on * timeScale, n.off * timeScale});
    }
    if (n.part != 0) {
      const SlotTimes *t = slots.find(static_cast<std::size_t>(noteOf[i]));
      Feed(n.part, e.key, e.on ? 1 : 0, std::int64_t{e.time} * timeScale, gridTime(i),
           t ? t->from : -1);
    }
  };
  // A part otherwise takes its events in file order, without an index list.
  if (!merge) {
    for (std::size_t i = 0; i < held_.size(); ++i)
      if (noteOf[i] >= 0)
        feed(i);
    held_.clear();
    heldTracks_ = 0;
    return;
  }
  std::vector<std::uint32_t> order;
  order.reserve(held_.size());
  for (std::size_t i = 0; i < held_.size(); ++i)
    if (noteOf[i] >= 0)
      order.push_back(static_cast<std::uint32_t>(i));
  const auto startsLater = [&](std::size_t i) {
    return held_[i].on || notes[static_cast<std::size_t>(noteOf[i])].on == held_[i].time;
  };
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const std::int64_t ta = timeOf(a), tb = timeOf(b);
    if (ta != tb)
      return ta < tb;
    return !startsLater(a) && startsLater(b);
  });
  for (const std::uint32_t i : order)
    feed(i);
  held_.clear();
  heldTracks_ = 0;
}

void MidiImporter::Feed(int channel, int key, int velocity, std::int64_t time, std::int64_t onGrid,
                        std::int64_t slotFrom) {
  if (full())
    return;
  if (options_.report != nullptr)
    RecordOriginal(channel, key, velocity, time);
  Channel &ch = channels_[static_cast<std::size_t>(channel - 1)];
  const std::int64_t at = ch.trackStart + time;

  if (velocity > 0) {
    const std::int64_t s = onGrid >= 0 ? onGrid : SnapNoteOn(ch, at);
    // A note-on while a note still sounds ends that note here; on a fresh channel the
    // "note" is key 0, so the time before the first note becomes a rest.
    if (ch.lastOn >= ch.lastOff && s > ch.trackStart) {
      if (options_.report != nullptr && ch.currentKey != 0)
        RecordCut(channel, time, s == ch.lastOn);
      NoteOff(channel, ch.currentKey, s, time);
    }
    AppendUntil(channel, s, 0, onGrid >= 0 ? slotFrom : -1);
    ch.currentKey = key;
    ch.lastOn = s;
    ch.noteStart = ch.written;
    ch.rawOn = time;
    return;
  }
  // A note's length is measured from where its first piece went.
  NoteOff(channel, key, onGrid >= 0 ? onGrid : SnapTime(at, ch.noteStart, options_.triplets), time);
}

std::int64_t MidiImporter::SnapNoteOn(const Channel &ch, std::int64_t time) const {
  if (!options_.triplets)
    return SnapTime(time, 0, false);
  // A note still sounding is cut by this one; a whole triplet length after its start makes it
  // a triplet note. Otherwise triplet spacing counts from the last note written, which is what
  // an export of the part still holds: rests, dropped notes and key 0 leave no note-on there.
  const bool open = ch.lastOn >= ch.lastOff && ch.currentKey != 0;
  // A chord: every note of it starts where the first one did, triplet position or not.
  if (open && (time + 20) / 40 * 40 == ch.lastOn)
    return ch.lastOn;
  const std::int64_t s = SnapTime(time, open ? ch.noteStart : ch.soundingStart, true);
  if (s % kSixteenthTicks == 0 || open)
    return s;
  // Off the sixteenth grid the note must start exactly there: the rests before it must fill
  // the gap without a dropped tail, or a second import would find it elsewhere.
  const std::int64_t gap = s - (ch.restPieces > 0 ? ch.restStart : ch.written);
  if (gap < 0 || DroppedTail(gap) != 0)
    return SnapTime(time, 0, false);
  return s;
}

void MidiImporter::NoteOff(int channel, int key, std::int64_t s, std::int64_t rawTime) {
  Channel &ch = channels_[static_cast<std::size_t>(channel - 1)];
  // A note-off for another key belongs to a note already cut by a later note-on. A second
  // note-off of a note that has already ended (lastOff after lastOn) would append the note
  // once more, so it is ignored too.
  if (key != ch.currentKey || ch.lastOff > ch.lastOn)
    return;
  int noteNumber = key;
  if (options_.foldOctaves && key != 0)
    noteNumber = FoldKey(key);
  const Written w = AppendUntil(channel, s, noteNumber);
  ch.lastOff = s;
  if (noteNumber > 0 && w.pieces > 0)
    ch.soundingStart = w.start;
  // A refused note is not part of the song; the read stops with the error.
  if (options_.report != nullptr && key != 0 && !w.refused)
    RecordNote(channel, key, noteNumber, rawTime, w);
}

MidiImporter::Written MidiImporter::AppendUntil(int part, std::int64_t end, int noteNumber,
                                                std::int64_t slotFrom) {
  Channel &ch = channels_[static_cast<std::size_t>(part - 1)];
  Written w;
  w.start = ch.written;
  w.end = ch.written;
  if (full()) {
    w.refused = true;
    return w;
  }
  // The rests after the last note are cut again as one gap up to where the next note
  // starts, however many events lay in it (key 0, dropped notes): an export holds only the
  // gap between two notes, and its import cuts it in one.
  // Rests among slots stay slots: they are not cut again with the rests before them.
  const bool recut = noteNumber == 0 && ch.restPieces > 0 && end != ch.written && slotFrom < 0;
  std::int64_t keep = 0;
  if (recut) {
    // The half notes that both cuts begin with stay, so a long gap is not cut again whole.
    keep = std::min({ch.restPieces, LeadingHalves(ch.written - ch.restStart),
                     LeadingHalves(end - ch.restStart)});
  }
  const std::int64_t removed = recut ? ch.restPieces - keep : 0;
  const std::int64_t from = recut ? ch.restStart + keep * kHalfTicks : ch.written;

  // A stretch that would reach the limit is refused whole, before anything is removed or
  // appended: a damaged file's gap of a million rests then costs a division, not a million
  // elements. No piece is shorter than a sixteenth triplet, so most stretches need no counting.
  const std::int64_t room =
      std::min(options_.maxElements - (appended_ - removed),
               options_.maxPartElements + 1 -
                   (static_cast<std::int64_t>(song_.part(part).notes.size()) - removed));
  const std::int64_t stretch = end - from;
  if (const std::int64_t pieces = stretch / kShortestTicks < room ? 0 : PieceCount(stretch);
      pieces > 0 && pieces >= room) {
    refused_ = true;
    w.refused = true;
    return w;
  }
  if (recut) {
    Part &p = song_.part(part);
    p.notes.resize(p.notes.size() - static_cast<std::size_t>(removed));
    p.count -= static_cast<std::int32_t>(removed);
    appended_ -= removed;
    ch.written = from;
    ch.restPieces = keep;
  }
  w.start = ch.written;
  static const std::array<PitchText, 13> kPitches = [] {
    std::array<PitchText, 13> names;
    for (int n = 0; n < 12; ++n)
      names[static_cast<std::size_t>(n)] = PitchNameOf(60 + n);
    names[12] = PitchNameOf(0);
    return names;
  }();
  NoteEntry entry;
  entry.noteNumber = static_cast<std::int16_t>(noteNumber);
  entry.pitch = noteNumber > 0 ? kPitches[static_cast<std::size_t>(noteNumber % 12)] : kPitches[12];
  // The leading half notes of a long stretch are all alike: they go in at once.
  if (const std::int64_t alike = LeadingHalves(stretch); alike > 0) {
    w.firstElement = song_.part(part).count + 1;
    w.pieces = static_cast<int>(alike);
    entry.length = NoteLength::FromTicks(static_cast<int>(kHalfTicks), true);
    AppendCopies(song_, part, entry, alike);
    ch.written += alike * kHalfTicks;
    appended_ += alike;
  }
  const auto appendPiece = [&](std::string_view code, std::int64_t ticks) {
    entry.length = NoteLength::FromTicks(static_cast<int>(ticks), code.ends_with('_'));
    AppendCopies(song_, part, entry, 1);
    if (w.pieces++ == 0)
      w.firstElement = song_.part(part).count;
    ch.written += ticks;
    ++appended_;
    return true;
  };
  // A rest reaching into slots: up to the first slot as usual, then a triplet rest per slot.
  // When the part before does not end on the slots' sixteenth grid, the rest is cut as usual.
  const std::int64_t slots = noteNumber == 0 && slotFrom >= 0 &&
                                     end > std::max(ch.written, slotFrom) &&
                                     (slotFrom - ch.written) % kSixteenthTicks != kShortestTicks / 2
                                 ? (end - std::max(ch.written, slotFrom)) / kShortestTicks
                                 : 0;
  w.dropped = ForEachPiece(end - slots * kShortestTicks - ch.written, appendPiece);
  for (std::int64_t k = 0; k < slots; ++k)
    appendPiece(kLengthCodes.back().code, kShortestTicks);
  w.end = ch.written;
  if (noteNumber != 0) {
    if (w.pieces > 0)
      ch.restPieces = 0;
  } else if (w.pieces > 0) {
    if (ch.restPieces == 0)
      ch.restStart = w.start;
    ch.restPieces += w.pieces;
  }
  return w;
}

void MidiImporter::RecordOriginal(int channel, int key, int velocity, std::int64_t rawTime) {
  if (key < 0 || key > 127)
    return;
  Channel &ch = channels_[static_cast<std::size_t>(channel - 1)];
  std::int64_t &since = ch.soundingSince[static_cast<std::size_t>(key)];
  if (since >= 0) {
    options_.report->original.push_back({channel, key, since, rawTime});
    int &pending = ch.pendingCut[static_cast<std::size_t>(key)];
    if (pending >= 0) {
      ImportChange &c = options_.report->changes[static_cast<std::size_t>(pending)];
      if (c.kind == ImportChangeKind::CutByOverlap)
        c.amount = std::max<std::int64_t>(rawTime - c.amount, 0);
      pending = -1;
    }
  }
  since = velocity > 0 ? rawTime : -1;
}

void MidiImporter::RecordCut(int channel, std::int64_t rawTime, bool chord) {
  Channel &ch = channels_[static_cast<std::size_t>(channel - 1)];
  ImportChange c;
  c.part = channel;
  c.tick = ch.rawOn;
  c.key = ch.currentKey;
  c.kind = chord ? ImportChangeKind::DroppedChord : ImportChangeKind::CutByOverlap;
  // Until the key's own note-off comes, the amount holds the time of the cut.
  c.amount = rawTime;
  if (chord)
    c.amount = 0;
  const auto index = static_cast<int>(options_.report->changes.size());
  options_.report->changes.push_back(c);
  if (ch.currentKey >= 0 && ch.currentKey < 128)
    ch.pendingCut[static_cast<std::size_t>(ch.currentKey)] = index;
}

void MidiImporter::RecordNote(int channel, int key, int noteNumber, std::int64_t rawOff,
                              const Written &w) {
  Channel &ch = channels_[static_cast<std::size_t>(channel - 1)];
  ImportReport &report = *options_.report;
  ImportChange base;
  base.part = channel;
  base.element = w.firstElement;
  base.tick = ch.rawOn;
  base.key = key;
  // A note cut by the next note-on was reported with the cut; point that entry at it.
  const int pending = ch.pendingCut[static_cast<std::size_t>(key)];
  if (pending >= 0 && report.changes[static_cast<std::size_t>(pending)].tick == ch.rawOn)
    report.changes[static_cast<std::size_t>(pending)].element = w.firstElement;
  // A voice moved here points at the element it became.
  if (int &moved = ch.pendingMove[static_cast<std::size_t>(key)]; moved >= 0) {
    if (report.changes[static_cast<std::size_t>(moved)].tick == ch.rawOn)
      report.changes[static_cast<std::size_t>(moved)].element = w.firstElement;
    moved = -1;
  }
  const auto add = [&](ImportChangeKind kind, std::int64_t amount, std::int64_t amount2 = 0) {
    ImportChange c = base;
    c.kind = kind;
    c.amount = amount;
    c.amount2 = amount2;
    report.changes.push_back(c);
  };
  if (w.pieces == 0) {
    if (pending < 0 ||
        report.changes[static_cast<std::size_t>(pending)].kind != ImportChangeKind::DroppedChord)
      add(ImportChangeKind::DroppedShort, std::max<std::int64_t>(rawOff - ch.rawOn, 0));
    return;
  }
  // Times of one track start at 0; the part's written time runs on over tracks, which the
  // report does not need: shifts compare within the track.
  const std::int64_t startShift = w.start - ch.trackStart - ch.rawOn;
  const std::int64_t endShift = w.end - ch.trackStart - rawOff;
  if (startShift != 0 || endShift != 0)
    add(ImportChangeKind::Snapped, startShift, endShift);
  if (noteNumber != key)
    add(ImportChangeKind::Folded, (noteNumber - key) / 12);
  if (w.pieces > 1)
    add(ImportChangeKind::SplitTied, w.pieces);
  if (w.dropped > 0)
    add(ImportChangeKind::ShortenedTail, w.dropped);
  PartDrift &d = report.drift[static_cast<std::size_t>(channel)];
  ++d.notes;
  const std::int64_t abs = startShift < 0 ? -startShift : startShift;
  d.totalAbs += abs;
  d.maxAbs = std::max(d.maxAbs, abs);
  d.endShift = endShift;
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
