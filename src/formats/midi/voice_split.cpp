#include "formats/midi/voice_split.h"

#include <algorithm>
#include <map>
#include <set>

namespace pipora {
namespace {

// Notes starting this close together form one chord.
constexpr std::int64_t kChordTicks = 30;

enum class Role : std::uint8_t { Top, Bottom, Inner };

struct Voice {
  std::int64_t busyUntil = 0;
  int key = 0;
};

// Voices of one channel's notes (all tracks): 0 the top, 1 the lowest, 2 on the inner ones.
// Fills `voiceOf` and `roleOf` for the notes listed in `ids`.
void SplitStream(const std::vector<SplitNote> &notes, std::vector<int> ids,
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
    SplitStream(notes, std::move(ids), voiceOf, roleOf);

  // Free parts go to the lowest voices of every channel first, then to the inner voices in
  // order: voice v of channel c that holds notes.
  std::set<std::pair<int, int>> voices; // (voice, channel)
  for (std::size_t i = 0; i < notes.size(); ++i)
    if (voiceOf[i] > 0)
      voices.insert({voiceOf[i], notes[i].channel});
  std::vector<int> free;
  if (mode == ChordHandling::Spread)
    for (int p = 1; p <= 16; ++p)
      if (!used[static_cast<std::size_t>(p)] && p != 10)
        free.push_back(p);
  std::map<std::pair<int, int>, int> partOf; // (channel, voice) -> part
  std::size_t nextFree = 0;
  for (const auto &[voice, channel] : voices)
    if (nextFree < free.size())
      partOf[{channel, voice}] = free[nextFree++];

  for (std::size_t i = 0; i < notes.size(); ++i) {
    SplitNote &n = notes[i];
    if (voiceOf[i] == 0) {
      n.part = n.channel;
      continue;
    }
    if (const auto it = partOf.find({n.channel, voiceOf[i]}); it != partOf.end()) {
      n.part = it->second;
      continue;
    }
    // No part for its voice: a top note still cuts into the channel's part.
    n.part = roleOf[i] == Role::Top ? n.channel : 0;
    n.noPart = mode == ChordHandling::Spread && n.part == 0;
  }
}

} // namespace pipora
