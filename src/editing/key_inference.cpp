#include "editing/key_inference.h"

#include "model/vocabulary.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pipora {
namespace {

// Krumhansl and Kessler's probe-tone ratings, tonic first.
constexpr std::array<double, 12> kMajorProfile = {6.35, 2.23, 3.48, 2.33, 4.38, 4.09,
                                                  2.52, 5.19, 2.39, 3.66, 2.29, 2.88};
constexpr std::array<double, 12> kMinorProfile = {6.33, 2.68, 3.52, 5.38, 2.60, 3.53,
                                                  2.54, 4.75, 3.98, 2.69, 3.34, 3.17};
// Scale tones above the tonic; the minor scale with its raised seventh too.
constexpr std::array<bool, 12> kMajorScale = {true,  false, true,  false, true,  true,
                                              false, true,  false, true,  false, true};
constexpr std::array<bool, 12> kMinorScale = {true,  false, true, true,  false, true,
                                              false, true,  true, false, true,  true};

// Two keys this close in correlation are a toss-up: the plainer signature is read more
// easily, and the notes do not argue against it.
constexpr double kCloseCorrelation = 0.05;
// More of the sounding time outside the best key's scale than this, and the tune is
// chromatic: any signature would only add accidentals.
constexpr double kChromaticShare = 0.2;

double Correlation(const std::array<double, 12> &x, const std::array<double, 12> &profile,
                   int tonic) {
  double mx = 0, my = 0;
  for (int i = 0; i < 12; ++i) {
    mx += x[static_cast<std::size_t>(i)];
    my += profile[static_cast<std::size_t>(i)];
  }
  mx /= 12;
  my /= 12;
  double sxy = 0, sxx = 0, syy = 0;
  for (int i = 0; i < 12; ++i) {
    const double dx = x[static_cast<std::size_t>((i + tonic) % 12)] - mx;
    const double dy = profile[static_cast<std::size_t>(i)] - my;
    sxy += dx * dy;
    sxx += dx * dx;
    syy += dy * dy;
  }
  return sxx > 0 && syy > 0 ? sxy / std::sqrt(sxx * syy) : 0;
}

// Fifths of the major key on this tonic, from five flats to six sharps.
int MajorFifths(int tonic) {
  const int f = (tonic * 7) % 12;
  return f > 6 ? f - 12 : f;
}

struct Candidate {
  KeySignature key;
  int tonic = 0;
  double score = -2;
};

double OutOfScaleShare(const PitchWeights &w, const Candidate &c) {
  const auto &scale = c.key.minor ? kMinorScale : kMajorScale;
  double out = 0;
  for (int pc = 0; pc < 12; ++pc)
    if (!scale[static_cast<std::size_t>((pc - c.tonic + 12) % 12)])
      out += w.weight[static_cast<std::size_t>(pc)];
  return out / w.total;
}

void Add(PitchWeights &w, int noteNumber, int ticks) {
  if (noteNumber > 0 && ticks > 0) {
    w.weight[static_cast<std::size_t>(noteNumber % 12)] += ticks;
    w.total += ticks;
  }
}

// Steps sharpened in order by the signature (F C G D A E B), flattened in reverse.
constexpr std::array<int, 7> kSharpOrder = {3, 0, 4, 1, 5, 2, 6};

} // namespace

int KeyAlteration(int fifths, int step) {
  for (int k = 0; k < 7; ++k) {
    if (fifths > k && kSharpOrder[static_cast<std::size_t>(k)] == step)
      return 1;
    if (-fifths > k && kSharpOrder[static_cast<std::size_t>(6 - k)] == step)
      return -1;
  }
  return 0;
}

PitchWeights WeightsOfNoteLists(const Song &song) {
  PitchWeights w;
  for (int p = 1; p <= kUserParts; ++p) {
    const Part &part = song.part(p);
    const int count = std::min<int>(part.count, static_cast<int>(part.notes.size()));
    for (int j = 0; j < count; ++j) {
      const NoteEntry &n = part.notes[static_cast<std::size_t>(j)];
      Add(w, n.noteNumber, LengthTicks(n.length));
    }
  }
  return w;
}

PitchWeights WeightsOfScoreLists(const Song &song) {
  PitchWeights w;
  for (int p = 1; p <= kUserParts; ++p) {
    const Part &part = song.part(p);
    const int count = std::min<int>(part.scoreHeader.count, static_cast<int>(part.score.size()));
    for (int j = 0; j < count; ++j) {
      const ScoreNote &n = part.score[static_cast<std::size_t>(j)];
      Add(w, n.noteNumber, n.duration);
    }
  }
  return w;
}

std::optional<KeySignature> InferKey(const PitchWeights &w, int measureTicks) {
  if (w.total <= 0 || w.total < 2.0 * std::max(1, measureTicks))
    return std::nullopt;
  // A tune on white keys only needs no signature: the profiles alone could hand it a sharp
  // key none of its notes asks for.
  bool whiteKeysOnly = true;
  for (int pc : {1, 3, 6, 8, 10})
    whiteKeysOnly = whiteKeysOnly && w.weight[static_cast<std::size_t>(pc)] == 0;
  std::vector<Candidate> candidates;
  for (int tonic = 0; tonic < 12; ++tonic) {
    if (!whiteKeysOnly || tonic == 0)
      candidates.push_back(
          {{MajorFifths(tonic), false}, tonic, Correlation(w.weight, kMajorProfile, tonic)});
    if (!whiteKeysOnly || tonic == 9)
      candidates.push_back({{MajorFifths((tonic + 3) % 12), true},
                            tonic,
                            Correlation(w.weight, kMinorProfile, tonic)});
  }
  const Candidate best =
      *std::max_element(candidates.begin(), candidates.end(),
                        [](const Candidate &a, const Candidate &b) { return a.score < b.score; });
  if (OutOfScaleShare(w, best) > kChromaticShare)
    return KeySignature{};
  // Among the keys nearly as likely, the fewest accidentals, then the likeliest.
  Candidate chosen = best;
  for (const Candidate &c : candidates) {
    if (c.score < best.score - kCloseCorrelation)
      continue;
    const int a = std::abs(c.key.fifths), b = std::abs(chosen.key.fifths);
    if (a < b || (a == b && c.score > chosen.score))
      chosen = c;
  }
  return chosen.key;
}

KeySignature InferKey(const Song &song) {
  return InferKey(WeightsOfScoreLists(song), song.measureTicks()).value_or(KeySignature{});
}

bool KeepInferredKey(Song &song, bool fromScoreLists) {
  if (song.display.key)
    return false;
  song.display.key = InferKey(fromScoreLists ? WeightsOfScoreLists(song) : WeightsOfNoteLists(song),
                              song.measureTicks());
  return song.display.key.has_value();
}

} // namespace pipora
