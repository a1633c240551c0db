#include "formats/midi/voice_split.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>

namespace pipora {
namespace {

// Notes starting this close together form one chord.
constexpr std::int64_t kChordTicks = 30;
// A voice's note with no part free for all of it takes a part free for this long from its
// start (an eighth), cut where that part's next note starts.
constexpr std::int64_t kCutVoiceRoomTicks = 240;

enum class Role : std::uint8_t { Top, Bottom, Inner };

struct Voice {
  std::int64_t busyUntil = 0;
  int key = 0;
};

// Voices of one channel's notes (all tracks): 0 the top, 1 the lowest, 2 on the inner ones.
// Fills `voiceOf` and `roleOf` for the notes listed in `ids`, and puts `ids` in order of time.
void SplitStream(const std::vector<SplitNote> &notes, std::vector<int> &ids,
                 std::vector<int> &voiceOf, std::vector<Role> &roleOf) {
  const auto before = [&](int a, int b) {
    const SplitNote &x = notes[static_cast<std::size_t>(a)];
    const SplitNote &y = notes[static_cast<std::size_t>(b)];
    return x.on != y.on ? x.on < y.on : x.key > y.key;
  };
  // A track's notes come in order already. Only an order without ties is the one sorting
  // gives for sure, so a stream with two notes alike is sorted as ever.
  const bool strictlyOrdered = std::adjacent_find(ids.begin(), ids.end(), [&](int a, int b) {
                                 return !before(a, b);
                               }) == ids.end();
  if (!strictlyOrdered)
    std::sort(ids.begin(), ids.end(), before);
  std::vector<Voice> voices(2);
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const SplitNote &n = notes[static_cast<std::size_t>(ids[i])];
    // Keys around it: the chord it belongs to and what still sounds beyond a legato.
    int highest = n.key;
    int lowest = n.key;
    for (std::size_t j = i;
         j-- > 0 && n.on - notes[static_cast<std::size_t>(ids[j])].on <= kChordTicks;) {
      highest = std::max(highest, notes[static_cast<std::size_t>(ids[j])].key);
      lowest = std::min(lowest, notes[static_cast<std::size_t>(ids[j])].key);
    }
    for (std::size_t j = i + 1;
         j < ids.size() && notes[static_cast<std::size_t>(ids[j])].on - n.on <= kChordTicks; ++j) {
      highest = std::max(highest, notes[static_cast<std::size_t>(ids[j])].key);
      lowest = std::min(lowest, notes[static_cast<std::size_t>(ids[j])].key);
    }
    for (const Voice &v : voices) {
      if (v.busyUntil > n.on + kLegatoTicks) {
        highest = std::max(highest, v.key);
        lowest = std::min(lowest, v.key);
      }
    }
    const Role role = n.key >= highest ? Role::Top : n.key <= lowest ? Role::Bottom : Role::Inner;
    // The voice of its role when free, else any free one, inner voices before the outer.
    const auto isFree = [&](std::size_t v) { return voices[v].busyUntil <= n.on + kLegatoTicks; };
    int chosen = -1;
    if (role == Role::Top && isFree(0))
      chosen = 0;
    else if (role == Role::Bottom && isFree(1))
      chosen = 1;
    for (std::size_t v = 2; chosen < 0 && v < voices.size(); ++v)
      if (isFree(v))
        chosen = static_cast<int>(v);
    if (chosen < 0) {
      chosen = static_cast<int>(voices.size());
      voices.emplace_back();
    }
    voices[static_cast<std::size_t>(chosen)] = {n.off, n.key};
    voiceOf[static_cast<std::size_t>(ids[i])] = chosen;
    roleOf[static_cast<std::size_t>(ids[i])] = role;
  }
}

// Where a part sounds: its channel's top voice, then the notes moved into it. Each stretch
// keeps the key of the note that begins it: that note's start cuts a note sounding before it.
class PartTime {
public:
  struct Stretch {
    std::int64_t on = 0;
    std::int64_t off = 0;
    int key = 0;
  };
  // The channel's own notes come in order of their starts.
  void takeInOrder(std::int64_t on, std::int64_t off, int key) {
    if (!own_.empty() && on <= own_.back().off)
      own_.back().off = std::max(own_.back().off, off);
    else
      own_.push_back({on, off, key});
  }
  void take(std::int64_t on, std::int64_t off, int key) {
    moved_.emplace(on, Stretch{on, off, key});
  }
  bool freeOver(std::int64_t on, std::int64_t off) const {
    const auto ownAfter = OwnFrom(off);
    if (ownAfter != own_.begin() && std::prev(ownAfter)->off > on)
      return false;
    const auto movedAfter = moved_.lower_bound(off);
    return movedAfter == moved_.begin() || std::prev(movedAfter)->second.off <= on;
  }
  // The first stretch starting at or after `t`; off = key = 0 when none does.
  Stretch next(std::int64_t t) const {
    Stretch first{std::numeric_limits<std::int64_t>::max(), 0, 0};
    if (const auto own = OwnFrom(t); own != own_.end())
      first = *own;
    if (const auto moved = moved_.lower_bound(t); moved != moved_.end() && moved->first < first.on)
      first = moved->second;
    return first;
  }

private:
  std::vector<Stretch>::const_iterator OwnFrom(std::int64_t t) const {
    return std::lower_bound(own_.begin(), own_.end(), t,
                            [](const Stretch &s, std::int64_t at) { return s.on < at; });
  }
  std::vector<Stretch> own_;              // disjoint, in order
  std::map<std::int64_t, Stretch> moved_; // disjoint
};

} // namespace

std::optional<ChordHandling> ChordHandlingNamed(std::string_view name) {
  for (const ChordHandling how : {ChordHandling::Last, ChordHandling::Top, ChordHandling::Spread})
    if (ChordHandlingName(how) == name)
      return how;
  return std::nullopt;
}

std::string_view ChordHandlingName(ChordHandling how) {
  switch (how) {
  case ChordHandling::Last:
    return "last";
  case ChordHandling::Top:
    return "top";
  case ChordHandling::Spread:
    break;
  }
  return "spread";
}

void AssignParts(std::vector<SplitNote> &notes, ChordHandling mode,
                 const std::array<bool, 17> &used) {
  std::vector<int> voiceOf(notes.size(), 0);
  std::vector<Role> roleOf(notes.size(), Role::Top);
  // All tracks of a channel are one stream: they sound together.
  std::map<int, std::vector<int>> streams; // channel -> notes
  for (std::size_t i = 0; i < notes.size(); ++i)
    streams[notes[i].channel].push_back(static_cast<int>(i));
  for (auto &[stream, ids] : streams)
    SplitStream(notes, ids, voiceOf, roleOf);

  // Each channel's top voice stays in its part; the other voices' notes, in order of time,
  // go to the lowest voices of every channel first, then to the inner voices in order.
  std::array<PartTime, 17> partTime;
  std::map<std::pair<int, int>, std::vector<int>> voices; // (voice, channel) -> its notes
  for (const auto &[channel, ids] : streams)
    for (const int id : ids) {
      const SplitNote &n = notes[static_cast<std::size_t>(id)];
      if (voiceOf[static_cast<std::size_t>(id)] == 0)
        partTime[static_cast<std::size_t>(channel)].takeInOrder(n.on, n.off, n.key);
      else
        voices[{voiceOf[static_cast<std::size_t>(id)], channel}].push_back(id);
    }
  // Parts no channel uses come first; then, for a voice under the top, a channel's part
  // where that channel is silent.
  std::vector<int> free;
  std::vector<int> silentChannels;
  if (mode == ChordHandling::Spread)
    for (int p = 1; p <= 16; ++p)
      if (p != 10)
        (used[static_cast<std::size_t>(p)] ? silentChannels : free).push_back(p);

  for (const auto &[voice, ids] : voices) {
    // A voice stays in the part it took while that part is free; its notes may overlap
    // each other by a legato there.
    int home = 0;
    std::int64_t homeEnd = 0;
    for (const int id : ids) {
      SplitNote &n = notes[static_cast<std::size_t>(id)];
      const auto fits = [&](int p, std::int64_t from) {
        return from >= n.off || partTime[static_cast<std::size_t>(p)].freeOver(from, n.off);
      };
      int part = 0;
      std::int64_t from = n.on;
      if (home != 0 && fits(home, std::max(n.on, homeEnd))) {
        part = home;
        from = std::max(n.on, homeEnd);
      }
      // Parts no channel uses first; a voice under the top may then borrow a silent
      // channel's part.
      const bool mayBorrow = roleOf[static_cast<std::size_t>(id)] != Role::Top;
      const auto firstPart = [&](const auto &takes) {
        for (const int p : free)
          if (takes(p))
            return p;
        if (mayBorrow)
          for (const int p : silentChannels)
            if (takes(p))
              return p;
        return 0;
      };
      if (part == 0)
        part = firstPart([&](int p) { return fits(p, n.on); });
      // Else a part free for an eighth from its start, whose next note (of another key, so
      // that this note's end cannot end that one) cuts it there.
      std::int64_t until = n.off;
      const std::int64_t room = std::min(n.off, n.on + kCutVoiceRoomTicks);
      if (part == 0)
        part = firstPart([&](int p) {
          const PartTime &time = partTime[static_cast<std::size_t>(p)];
          const PartTime::Stretch after = time.next(n.on);
          if (after.key == n.key || !time.freeOver(n.on, room))
            return false;
          until = std::min(after.on, n.off);
          return true;
        });
      if (part != 0) {
        if (from < until)
          partTime[static_cast<std::size_t>(part)].take(from, until, n.key);
        n.part = part;
        homeEnd = std::max(until, part == home ? homeEnd : 0);
        home = part;
        continue;
      }
      // No part for it: a top note still cuts into the channel's part.
      n.part = roleOf[static_cast<std::size_t>(id)] == Role::Top ? n.channel : 0;
      n.noPart = mode == ChordHandling::Spread && n.part == 0;
    }
  }
  for (std::size_t i = 0; i < notes.size(); ++i)
    if (voiceOf[i] == 0)
      notes[i].part = notes[i].channel;
}

} // namespace pipora
