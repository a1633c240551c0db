#include "formats/musicxml/musicxml_import.h"

#include "formats/midi/smf_import.h"

#include <algorithm>
#include <optional>
#include <tuple>

namespace pipora {
namespace {

constexpr int kDrumChannel = 10;

struct NoteEvent {
  std::int64_t time = 0;
  bool on = false;
  int key = 0;
};

// Sends one channel's notes as a track: at the same time note-offs come first, as a
// Standard MIDI File gives them.
void SendTrack(NoteEventSink &sink, int channel, std::vector<NoteEvent> &events) {
  std::stable_sort(events.begin(), events.end(), [](const NoteEvent &a, const NoteEvent &b) {
    return std::tie(a.time, a.on) < std::tie(b.time, b.on);
  });
  sink.StartTrack();
  for (const NoteEvent &e : events) {
    if (sink.full())
      return;
    sink.ImportNoteEvent(channel, e.key, e.on ? 100 : 0, e.time);
  }
}

} // namespace

namespace {

// The parts' own MIDI channels, when each part with notes has one voice and a channel of its
// own that is not the drums': a score written from a song comes back in the same parts.
std::optional<std::vector<std::vector<int>>> OwnChannels(const MusicXmlScore &score) {
  std::array<bool, kUserParts + 1> taken{};
  std::vector<std::vector<int>> channels;
  for (const MusicXmlPart &p : score.parts) {
    std::vector<int> &part = channels.emplace_back(static_cast<std::size_t>(p.voices), 0);
    if (p.notes.empty())
      continue;
    const auto c = static_cast<std::size_t>(p.channel);
    if (p.voices != 1 || p.channel < 1 || p.channel > kUserParts || p.channel == kDrumChannel ||
        taken[c])
      return std::nullopt;
    taken[c] = true;
    part[0] = p.channel;
  }
  return channels;
}

} // namespace

std::vector<std::vector<int>> ChannelsForVoices(const MusicXmlScore &score) {
  if (auto own = OwnChannels(score))
    return *own;
  std::vector<int> free;
  for (int c = 1; c <= kUserParts; ++c)
    if (c != kDrumChannel)
      free.push_back(c);
  std::size_t voices = 0;
  for (const MusicXmlPart &p : score.parts)
    voices += p.notes.empty() ? 0 : static_cast<std::size_t>(p.voices);
  const bool voicePerChannel = voices <= free.size();
  std::vector<std::vector<int>> channels;
  std::size_t next = 0;
  for (const MusicXmlPart &p : score.parts) {
    std::vector<int> &part = channels.emplace_back(static_cast<std::size_t>(p.voices), 0);
    if (p.notes.empty())
      continue;
    for (int v = 0; v < p.voices; ++v) {
      // Voices of one part beyond the first share its channel when channels are scarce.
      const bool newChannel = voicePerChannel || v == 0;
      if (newChannel && next < free.size())
        part[static_cast<std::size_t>(v)] = free[next++];
      else if (!newChannel)
        part[static_cast<std::size_t>(v)] = part[0];
    }
  }
  return channels;
}

Report<Song> ImportMusicXmlScore(const MusicXmlScore &score, const MidiImportOptions &options,
                                 const Song &kept, SmfTempoMap *tempos, LengthScale *readAt) {
  const std::vector<std::vector<int>> channels = ChannelsForVoices(score);
  const NoteSource read = [&](Song &song, NoteEventSink &sink, SmfTempoMap &map) {
    song.title = score.title;
    for (const MusicXmlTempo &t : score.tempos) {
      song.setTempo(TempoChoiceForRate(t.rate));
      map.tempos.push_back({t.tick, t.rate});
      if (options.report != nullptr)
        options.report->fileTempos.push_back(t.rate);
    }
    map.endTick = score.endTick;
    std::array<std::vector<NoteEvent>, kUserParts + 1> tracks;
    for (std::size_t p = 0; p < score.parts.size(); ++p) {
      const MusicXmlPart &part = score.parts[p];
      if (!part.notes.empty() && channels[p].front() == 0 && options.report != nullptr)
        ++options.report->partsLeftOut;
      for (const MusicXmlNote &n : part.notes) {
        const int channel = channels[p][static_cast<std::size_t>(n.voice)];
        if (channel == 0)
          continue;
        tracks[static_cast<std::size_t>(channel)].push_back({n.on, true, n.key});
        tracks[static_cast<std::size_t>(channel)].push_back({n.off, false, n.key});
      }
      if (part.program >= 0)
        for (int channel : channels[p]) {
          if (channel == 0)
            continue;
          song.part(channel).tone = part.program;
          if (options.onProgramChange)
            options.onProgramChange(channel, part.program);
        }
    }
    for (int c = 1; c <= kUserParts; ++c)
      if (!tracks[static_cast<std::size_t>(c)].empty())
        SendTrack(sink, c, tracks[static_cast<std::size_t>(c)]);
    if (options.report != nullptr) {
      options.report->tempo = song.tempo;
      options.report->graceNotesLeftOut += score.graceNotes;
      options.report->unpitchedLeftOut += score.unpitchedNotes;
    }
    SmfRead done;
    if (sink.full())
      done.error = Error{"音符が多すぎます"};
    return done;
  };
  std::size_t notes = 0;
  for (const MusicXmlPart &p : score.parts)
    notes += p.notes.size();
  // The importer sizes what it holds by the file: about 16 bytes of a file per note event.
  return ImportNotes(read, notes * 32, options, kept, nullptr, tempos, readAt);
}

void ApplyScoreLayout(Song &song, const MusicXmlScore &score, LengthScale scale) {
  const auto scaled = [&](std::int64_t ticks) {
    return scale == LengthScale::Double ? ticks * 2
           : scale == LengthScale::Half ? ticks / 2
                                        : ticks;
  };
  const std::int64_t beat = scaled(kTicksPerWhole / score.beatType);
  if (beat == 120 || beat == 240 || beat == 480 || beat == 960) {
    song.ticksPerBeat = static_cast<std::int16_t>(beat);
    song.beatsPerMeasure = static_cast<std::int16_t>(score.beats);
  } else if (const std::int64_t measure = beat * score.beats; measure % kTicksPerQuarter == 0) {
    song.ticksPerBeat = kTicksPerQuarter;
    song.beatsPerMeasure = static_cast<std::int16_t>(measure / kTicksPerQuarter);
  }
  // The pickup's notes come before the first bar line; the anacrusis is a whole number of
  // ticks within a measure.
  const std::int64_t pickup =
      std::clamp<std::int64_t>(scaled(score.pickup), 0, song.measureTicks());
  for (int n = 1; n <= kUserParts; ++n)
    if (!song.part(n).notes.empty())
      song.part(n).notes.front().start = static_cast<std::int32_t>(-pickup);
  song.display.key = score.key;
  const std::vector<std::vector<int>> channels = ChannelsForVoices(score);
  for (std::size_t p = 0; p < score.parts.size(); ++p)
    for (int channel : channels[p])
      if (channel != 0)
        song.display.clefs[static_cast<std::size_t>(channel)] = score.parts[p].clef;
  RecalcTimes(song);
  if (!song.part(1).score.empty())
    BuildScoreList(song);
}

} // namespace pipora
