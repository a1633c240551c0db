#include "formats/midi/file_survey.h"

#include <algorithm>
#include <cstdlib>

namespace pipora {
namespace {

constexpr std::int64_t kSixteenth = kTicksPerQuarter / 4;
// A note-on this far from a grid line still counts for it, less the further it lies: a
// player recorded against audio is seldom exact to the tick.
constexpr std::int64_t kReach = 30;
constexpr std::int64_t kLeastShift = kSixteenth / 10 + 1;

// How strongly `phase` (ticks after a beat) speaks for a grid with the beat at `offset`; with
// `beats`, on the beat most, on the eighth offbeat less, on a sixteenth least.
double Support(std::int64_t phase, std::int64_t offset, bool beats) {
  const std::int64_t d =
      ((phase - offset) % kTicksPerQuarter + kTicksPerQuarter) % kTicksPerQuarter;
  const std::int64_t line = (d + kSixteenth / 2) / kSixteenth % 4; // nearest sixteenth of the beat
  const std::int64_t dist = std::abs(d - (d + kSixteenth / 2) / kSixteenth * kSixteenth);
  if (dist >= kReach)
    return 0;
  const double weight = !beats ? 1 : line == 0 ? 3 : line == 2 ? 2 : 1;
  return weight * static_cast<double>(kReach - dist) / kReach;
}

} // namespace

double ChannelLoudness::level() const {
  if (notes == 0)
    return 0;
  return velocitySum / static_cast<double>(notes) / 127.0 * volume / 127.0 * expression / 127.0;
}

void FileSurvey::ImportNoteEvent(int channel, int, int velocity, std::int64_t time) {
  if (velocity <= 0 || channel < 1 || channel > kUserParts || time < 0)
    return;
  ++onsetPhases[static_cast<std::size_t>(time % kTicksPerQuarter)];
  ++beatOnsets[static_cast<std::size_t>(time / kTicksPerQuarter % kBeatCycle)]
              [static_cast<std::size_t>(time % kTicksPerQuarter * kPhaseBins / kTicksPerQuarter)];
  firstOnset = firstOnset < 0 ? time : std::min(firstOnset, time);
  ChannelLoudness &c = channels[static_cast<std::size_t>(channel)];
  c.velocitySum += velocity;
  ++c.notes;
  c.firstOn = c.firstOn < 0 ? time : std::min(c.firstOn, time);
}

void FileSurvey::ImportController(int channel, int controller, int value, std::int64_t time) {
  if (channel < 1 || channel > kUserParts || (controller != 7 && controller != 11))
    return;
  ChannelLoudness &c = channels[static_cast<std::size_t>(channel)];
  // Only what is set by the first note counts: later swells are the music's, not the mix's.
  if (c.firstOn >= 0 && time > c.firstOn)
    return;
  std::int64_t &at = controller == 7 ? c.volumeAt : c.expressionAt;
  if (time < at)
    return;
  at = time;
  (controller == 7 ? c.volume : c.expression) = value;
}

void FileSurvey::ImportTimeSignature(int num, int denom, std::int64_t time) {
  if (num <= 0 || denom <= 0 || (meterAt_ >= 0 && time >= meterAt_))
    return;
  meterAt_ = time;
  numerator = num;
  denominator = denom;
}

std::int64_t BeatShift(const FileSurvey &survey) {
  if (survey.firstOnset < 0)
    return 0;
  const auto score = [&](std::int64_t offset, bool beats) {
    double sum = 0;
    for (std::int64_t phase = 0; phase < kTicksPerQuarter; ++phase)
      if (const std::int64_t n = survey.onsetPhases[static_cast<std::size_t>(phase)]; n > 0)
        sum += static_cast<double>(n) * Support(phase, offset, beats);
    return sum;
  };
  // First where the sixteenths lie: the offset within a sixteenth most note-ons sit on.
  std::int64_t phase = 0;
  double best = score(0, false);
  const double unshifted = best;
  for (std::int64_t offset = 1; offset < kSixteenth; ++offset)
    if (const double s = score(offset, false); s > best) {
      phase = offset;
      best = s;
    }
  // A file about as well on its grid as shifted stays where it is.
  if (phase != 0 && best < unshifted * 1.05)
    phase = 0;
  // Then which of those sixteenths is the beat: the nearest one, unless another clearly has
  // more note-ons on beats and eighths (a tune of many offbeats keeps its beat).
  const auto shiftOf = [&](std::int64_t offset) {
    // Earlier when no note goes before time 0, else later, to the next beat.
    if (offset <= kTicksPerQuarter / 2 && survey.firstOnset >= offset)
      return -offset;
    return offset == 0 ? 0 : kTicksPerQuarter - offset;
  };
  std::int64_t chosen = phase;
  for (std::int64_t offset = phase; offset < kTicksPerQuarter; offset += kSixteenth)
    if (std::abs(shiftOf(offset)) < std::abs(shiftOf(chosen)))
      chosen = offset;
  const double nearest = score(chosen, true);
  for (std::int64_t offset = phase; offset < kTicksPerQuarter; offset += kSixteenth)
    if (score(offset, true) > 1.1 * nearest && score(offset, true) > score(chosen, true))
      chosen = offset;
  // A shift under a tenth of a sixteenth only rounds the file's resolution: snapping does it.
  const std::int64_t shift = shiftOf(chosen);
  return std::abs(shift) < kLeastShift ? 0 : shift;
}

} // namespace pipora

namespace pipora {

// Note-ons on beats needed before bars are looked for: some eight bars' worth.
constexpr double kNotesForMeter = 24;

SongMeter MeterOf(const FileSurvey &survey, std::int64_t shift) {
  SongMeter meter;
  // The score counts beats of a half note down to a sixteenth.
  const bool writable = survey.denominator >= 2 && survey.denominator <= 16 &&
                        survey.numerator >= 2 && survey.numerator <= kMostBeatsPerMeasure;
  if (writable) {
    meter.beatsPerMeasure = survey.numerator;
    meter.ticksPerBeat = kTicksPerWhole / survey.denominator;
    return meter;
  }
  // Without a signature the standard's 4/4 holds.
  if (survey.numerator == 0)
    return meter;
  // Note-ons near a beat of the shifted song, by beat modulo the cycle.
  constexpr int kCycle = FileSurvey::kBeatCycle;
  constexpr int kBins = FileSurvey::kPhaseBins;
  const std::int64_t offset = ((-shift) % kTicksPerQuarter + kTicksPerQuarter) % kTicksPerQuarter;
  std::array<double, kCycle> onBeat{};
  for (int beat = 0; beat < kCycle; ++beat)
    for (int bin = 0; bin < kBins; ++bin) {
      const std::int64_t phase = (2 * bin + 1) * kTicksPerQuarter / (2 * kBins);
      std::int64_t d = phase - offset; // from the beat line inside this beat
      int owner = beat;
      if (d > kTicksPerQuarter / 2) {
        d -= kTicksPerQuarter;
        owner = beat + 1;
      } else if (d < -kTicksPerQuarter / 2) {
        d += kTicksPerQuarter;
        owner = beat - 1;
      }
      if (std::abs(d) <= kTicksPerQuarter / kBins)
        onBeat[static_cast<std::size_t>((owner + kCycle) % kCycle)] += static_cast<double>(
            survey.beatOnsets[static_cast<std::size_t>(beat)][static_cast<std::size_t>(bin)]);
    }
  // How much more the strongest beat of a bar of `beats` is heard than the average one.
  const auto accent = [&](int beats) {
    std::array<double, 4> byBeat{};
    double total = 0;
    for (int b = 0; b < kCycle; ++b) {
      byBeat[static_cast<std::size_t>(b % beats)] += onBeat[static_cast<std::size_t>(b)];
      total += onBeat[static_cast<std::size_t>(b)];
    }
    // A few bars' notes tell no meter.
    if (total < kNotesForMeter)
      return 1.0;
    return *std::max_element(byBeat.begin(), byBeat.begin() + beats) / (total / beats);
  };
  if (accent(3) > 1.15 && accent(3) > accent(4) * 1.1)
    meter.beatsPerMeasure = 3;
  return meter;
}

} // namespace pipora
