#pragma once
// Standard MIDI File writing: format 0, one track, kTicksPerQuarter ticks per quarter note,
// assembled in memory. Struck notes get a random velocity from 90 to 127 so that the export sounds
// less mechanical; the source of randomness is injectable so tests are exact.
#include "formats/midi/export_events.h"
#include "formats/midi/growing_bytes.h"
#include "model/result.h"
#include "model/save_checks.h"
#include "model/song.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string_view>
#include <type_traits>
#include <utility>

namespace pipora {

// What the import would refuse is not exported: a part of more than kMaxSmdPartNotes notes
// (the import and the SMD reader take no more). The error points at the first note too many.
Status CheckMidiExport(const Song &song);

// Gives numbers uniform in [0, 1), one per struck note. The random source draws from its
// engine inline: a call through std::function per note event costs more than the draw.
class VelocitySource {
public:
  // Any callable giving such numbers; tests pass constants.
  template <class Draw>
  requires(!std::is_same_v<std::remove_cvref_t<Draw>, VelocitySource> &&
           std::is_invocable_r_v<double, Draw &>) VelocitySource(Draw draw)
      : draw_(std::move(draw)) {}

  double operator()() const {
    // One 32-bit draw a note: far finer than the 38 velocities it picks among.
    return engine_ ? static_cast<double>((*engine_)()) * 0x1p-32 : draw_();
  }

private:
  friend VelocitySource RandomVelocitySource();
  explicit VelocitySource(std::shared_ptr<std::mt19937> engine) : engine_(std::move(engine)) {}

  std::shared_ptr<std::mt19937> engine_;
  std::function<double()> draw_;
};
// Seeded from the system's entropy once per call.
VelocitySource RandomVelocitySource();

// Bytes of a track under construction; counts what goes after the track length field.
class SmfBuffer {
public:
  void PutByte(std::uint8_t b) { store(b); }
  void PutVarLen(std::uint32_t value);
  // velocityFlag non-zero strikes the key with a velocity from `velocities`, zero releases it.
  void PutNote(int channel, int key, int velocityFlag, const VelocitySource &velocities);
  // The delta time and then the note as PutNote writes it, stored as one piece: the note
  // events are nearly all of a file.
  void PutTimedNote(std::uint32_t delta, int channel, int key, int velocityFlag,
                    const VelocitySource &velocities);
  void PutTempo(double msPerTick);
  void PutProgram(int channel, int program);
  void PutVolume(int channel, int value);
  void PutController55(int channel, int value);
  // The title in Shift-JIS after its length (meta event 3, track name).
  void PutTitle(std::string_view utf8Title);

  // Starts counting track bytes and leaves four bytes for the track length.
  void BeginTrack();
  // Counted bytes not written by the event writers (the end of track).
  void PutCounted(std::uint8_t b);
  // Writes the counted length into the placeholder left by BeginTrack.
  void PatchTrackLength();

  // Room for `bytes` more, so that a file of known size is not copied as it grows.
  void reserve(std::size_t bytes) { bytes_.reserve(bytes); }
  QByteArray bytes() const { return bytes_.bytes(); }
  // The bytes written, without a copy; the buffer is empty afterwards.
  QByteArray take() { return bytes_.take(); }
  std::uint32_t trackBytes() const { return trackBytes_; }

private:
  // A file holds a few bytes per note event, hundreds of thousands of them: a byte is
  // stored without a call into QByteArray.
  void store(std::uint8_t b) { bytes_.push(static_cast<char>(b)); }
  void put(std::uint8_t b) {
    store(b);
    ++trackBytes_;
  }

  GrowingBytes bytes_;
  std::size_t lengthAt_ = 0;
  bool hasTrack_ = false;
  std::uint32_t trackBytes_ = 0;
};

// Controller 7 value of a part volume 0..8: 64, 72, 80, 88, 96, 103, 111, 119, 127.
int VolumeControllerValue(int volume);
// Microseconds per quarter note of a tempo, as the tempo meta event carries it.
std::uint32_t TempoMicros(double msPerTick);

struct SmfFile {
  QByteArray bytes;
  // The writer log: "Wait" and "NoteOn" lines, TAB separated, CR LF ended.
  QByteArray log;
};

// The whole file of the song: title, tempo, per part program, volume and controller 55,
// then every note event, and the end of track 20 ticks after the last event.
// Without `withLog` the log stays empty and costs nothing.
SmfFile EncodeSmf(const Song &song, const VelocitySource &velocities, bool withLog = true);

} // namespace pipora
