#include "formats/midi/smf_writer.h"

#include "formats/midi/event_log.h"
#include "platform/text/cp932.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace pipora {
namespace {

constexpr std::uint8_t kHeader[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0};
constexpr std::uint8_t kTrackType[] = {'M', 'T', 'r', 'k'};
constexpr int kLastDelta = 20;

std::uint8_t ChannelStatus(std::uint8_t kind, int channel) {
  return static_cast<std::uint8_t>(kind | ((channel - 1) & 0x0F));
}
std::uint8_t DataByte(int value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0, 127));
}

// A variable-length quantity, most significant group first: seven bits a byte, every byte
// but the last with its top bit set. Returns how many of `out` it took.
int EncodeVarLen(std::uint32_t value, std::uint8_t (&out)[5]) {
  std::uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = value & 0x7F;
    value >>= 7;
  } while (value != 0);
  for (int i = 0; i < n; ++i)
    out[i] = static_cast<std::uint8_t>(groups[n - 1 - i] | (i + 1 < n ? 0x80 : 0));
  return n;
}

// Struck keys get 90..127 from the source, released ones 0.
int NoteVelocity(int velocityFlag, const VelocitySource &velocities) {
  return velocityFlag == 0 ? 0 : std::min(127, 90 + static_cast<int>(velocities() * 38));
}

} // namespace

Status CheckMidiExport(const Song &song) {
  for (int n = 1; n <= kUserParts; ++n)
    if (song.part(n).count > kMaxSmdPartNotes)
      return Error{std::string(kPartTooLong), NotePlace{n, kMaxSmdPartNotes}};
  return Ok{};
}

VelocitySource RandomVelocitySource() {
  return VelocitySource(std::make_shared<std::mt19937>(std::random_device{}()));
}

void SmfBuffer::PutVarLen(std::uint32_t value) {
  std::uint8_t bytes[5];
  const int n = EncodeVarLen(value, bytes);
  for (int i = 0; i < n; ++i)
    put(bytes[i]);
}

void SmfBuffer::PutNote(int channel, int key, int velocityFlag, const VelocitySource &velocities) {
  put(ChannelStatus(0x90, channel));
  put(DataByte(key));
  put(DataByte(NoteVelocity(velocityFlag, velocities)));
}

void SmfBuffer::PutTimedNote(std::uint32_t delta, int channel, int key, int velocityFlag,
                             const VelocitySource &velocities) {
  std::uint8_t time[5];
  const int n = EncodeVarLen(delta, time);
  const std::size_t size = static_cast<std::size_t>(n) + 3;
  char *to = bytes_.extend(size);
  for (int i = 0; i < n; ++i)
    *to++ = static_cast<char>(time[i]);
  *to++ = static_cast<char>(ChannelStatus(0x90, channel));
  *to++ = static_cast<char>(DataByte(key));
  *to = static_cast<char>(DataByte(NoteVelocity(velocityFlag, velocities)));
  trackBytes_ += static_cast<std::uint32_t>(size);
}

void SmfBuffer::PutTempo(double msPerTick) {
  const std::uint32_t micros = TempoMicros(msPerTick);
  put(0xFF);
  put(0x51);
  put(0x03);
  put(static_cast<std::uint8_t>(micros >> 16));
  put(static_cast<std::uint8_t>(micros >> 8));
  put(static_cast<std::uint8_t>(micros));
}

void SmfBuffer::PutProgram(int channel, int program) {
  put(ChannelStatus(0xC0, channel));
  put(DataByte(program));
}

void SmfBuffer::PutVolume(int channel, int value) {
  put(ChannelStatus(0xB0, channel));
  put(7);
  put(DataByte(value));
}

void SmfBuffer::PutController55(int channel, int value) {
  put(ChannelStatus(0xB0, channel));
  put(55);
  put(DataByte(value));
}

void SmfBuffer::PutTitle(std::string_view utf8Title) {
  const QByteArray text = ToCp932(utf8Title);
  put(0xFF);
  put(0x03);
  PutVarLen(static_cast<std::uint32_t>(text.size()));
  for (const char c : text)
    put(static_cast<std::uint8_t>(c));
}

void SmfBuffer::BeginTrack() {
  for (const std::uint8_t b : kTrackType)
    PutByte(b);
  lengthAt_ = bytes_.size();
  hasTrack_ = true;
  for (int i = 0; i < 4; ++i)
    PutByte(0xFF);
  trackBytes_ = 0;
}

void SmfBuffer::PutCounted(std::uint8_t b) {
  put(b);
}

void SmfBuffer::PatchTrackLength() {
  if (!hasTrack_)
    return;
  for (int i = 0; i < 4; ++i)
    bytes_.patch(lengthAt_ + static_cast<std::size_t>(i),
                 static_cast<char>(trackBytes_ >> (24 - 8 * i)));
}

int VolumeControllerValue(int volume) {
  const int v = std::clamp(volume, 0, 8);
  return static_cast<int>(std::nearbyint(v * 63.0 / 8.0 + 64.0));
}

std::uint32_t TempoMicros(double msPerTick) {
  const double micros = std::nearbyint(msPerTick * 480000.0);
  if (!(micros > 0))
    return 0;
  return static_cast<std::uint32_t>(std::min(micros, double{0xFFFFFF}));
}

SmfFile EncodeSmf(const Song &song, const VelocitySource &velocities, bool withLog) {
  SmfBuffer out;
  out.reserve(1024 + song.title.size() * 2);
  for (const std::uint8_t b : kHeader)
    out.PutByte(b);
  out.BeginTrack();
  out.PutVarLen(0);
  out.PutTitle(song.title);
  out.PutVarLen(0);
  out.PutTempo(song.msPerTick);
  for (int c = 1; c <= kUserParts; ++c) {
    const Part &p = song.part(c);
    out.PutVarLen(0);
    out.PutProgram(c, p.tone);
    out.PutVarLen(0);
    out.PutVolume(c, VolumeControllerValue(p.volume));
    out.PutVarLen(0);
    out.PutController55(c, 1);
  }

  const std::vector<ExportEvent> events = BuildExportEvents(song);
  // A delta of up to four bytes and three bytes of note event each.
  out.reserve(events.size() * 7 + 4);
  EventLog log;
  for (std::size_t k = 0; k < events.size(); ++k) {
    const ExportEvent &e = events[k];
    // With an anacrusis the first notes start before tick 0; the file starts at the first
    // event instead, keeping every distance between events.
    const std::int32_t delta = k == 0 ? std::max(e.time, 0) : e.time - events[k - 1].time;
    out.PutTimedNote(static_cast<std::uint32_t>(delta), e.part, e.key, e.velocity, velocities);
    if (withLog) {
      log << "Wait" << '\t' << delta;
      log.endLine();
      log << "NoteOn" << '\t' << int{e.part} << '\t' << int{e.key} << '\t' << int{e.velocity};
      log.endLine();
    }
  }

  out.PutVarLen(kLastDelta);
  out.PutCounted(0xFF);
  out.PutCounted(0x2F);
  out.PutCounted(0x00);
  out.PatchTrackLength();
  return {out.take(), log.take()};
}

} // namespace pipora
