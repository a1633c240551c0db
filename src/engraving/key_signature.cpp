#include "engraving/key_signature.h"

#include <array>
#include <cmath>

namespace pipora {
namespace {

// Krumhansl and Kessler's probe-tone ratings, tonic first.
constexpr std::array<double, 12> kMajorProfile = {6.35, 2.23, 3.48, 2.33, 4.38, 4.09,
                                                  2.52, 5.19, 2.39, 3.66, 2.29, 2.88};
constexpr std::array<double, 12> kMinorProfile = {6.33, 2.68, 3.52, 5.38, 2.60, 3.53,
                                                  2.54, 4.75, 3.98, 2.69, 3.34, 3.17};

constexpr std::array<int, 7> kNaturalPitchClass = {0, 2, 4, 5, 7, 9, 11};
// Steps sharpened in order by the signature (F C G D A E B), flattened in reverse.
constexpr std::array<int, 7> kSharpOrder = {3, 0, 4, 1, 5, 2, 6};

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

// The tonic's pitch class of a signature.
int Tonic(KeySignature key) {
  const int major = ((key.fifths * 7) % 12 + 12) % 12;
  return key.minor ? (major + 9) % 12 : major;
}

} // namespace

KeySignature InferKey(const Song &song) {
  std::array<double, 12> weight{};
  double total = 0;
  for (int p = 1; p <= kUserParts; ++p) {
    const Part &part = song.part(p);
    const int count = std::min<int>(part.scoreHeader.count, static_cast<int>(part.score.size()));
    for (int j = 0; j < count; ++j) {
      const ScoreNote &n = part.score[static_cast<std::size_t>(j)];
      if (n.noteNumber > 0 && n.duration > 0) {
        weight[static_cast<std::size_t>(PitchClassOf(n.noteNumber))] += n.duration;
        total += n.duration;
      }
    }
  }
  if (total <= 0)
    return {};
  // A tune on white keys only needs no signature: the profiles alone would hand a few
  // notes (C and E while typing) a sharp key none of them asks for.
  bool whiteKeysOnly = true;
  for (int pc : {1, 3, 6, 8, 10})
    whiteKeysOnly = whiteKeysOnly && weight[static_cast<std::size_t>(pc)] == 0;
  KeySignature best;
  double bestScore = -2;
  for (int tonic = 0; tonic < 12; ++tonic) {
    const bool plain = tonic == 0 || tonic == 9;
    if (whiteKeysOnly && !plain)
      continue;
    const double major =
        tonic == 0 || !whiteKeysOnly ? Correlation(weight, kMajorProfile, tonic) : -2;
    const double minor =
        tonic == 9 || !whiteKeysOnly ? Correlation(weight, kMinorProfile, tonic) : -2;
    if (major > bestScore) {
      bestScore = major;
      best = {MajorFifths(tonic), false};
    }
    if (minor > bestScore) {
      bestScore = minor;
      best = {MajorFifths((tonic + 3) % 12), true};
    }
  }
  return best;
}

KeySignature KeyOf(const Song &song) {
  return song.display.key ? *song.display.key : InferKey(song);
}

std::string KeyName(KeySignature key) {
  // Japanese note names of the tonic by pitch class, spelled as the signature spells them.
  static constexpr std::array<const char *, 12> kSharpNames = {
      "ハ", "嬰ハ", "ニ", "嬰ニ", "ホ", "ヘ", "嬰ヘ", "ト", "嬰ト", "イ", "嬰イ", "ロ"};
  static constexpr std::array<const char *, 12> kFlatNames = {
      "ハ", "変ニ", "ニ", "変ホ", "ホ", "ヘ", "変ト", "ト", "変イ", "イ", "変ロ", "ロ"};
  const int tonic = Tonic(key);
  std::string name = key.fifths < 0 ? kFlatNames[static_cast<std::size_t>(tonic)]
                                    : kSharpNames[static_cast<std::size_t>(tonic)];
  // C flat major and C sharp major name their tonic apart from the common spelling.
  if (key.fifths == -7 && !key.minor)
    name = "変ハ";
  if (key.fifths == 7 && !key.minor)
    name = "嬰ハ";
  if (key.fifths == -6 && !key.minor)
    name = "変ト";
  return name + (key.minor ? "短調" : "長調");
}

int KeyAlteration(int fifths, int step) {
  for (int k = 0; k < 7; ++k) {
    if (fifths > k && kSharpOrder[static_cast<std::size_t>(k)] == step)
      return 1;
    if (-fifths > k && kSharpOrder[static_cast<std::size_t>(6 - k)] == step)
      return -1;
  }
  return 0;
}

StaffLabelTable SpelledLabels(const StaffLabelTable &table, KeySignature key) {
  StaffLabelTable out = table;
  std::array<bool, 12> spelled{};
  auto spell = [&](int pitchClass, int step, int alteration) {
    const std::size_t pc = static_cast<std::size_t>(((pitchClass % 12) + 12) % 12);
    const std::size_t natural = static_cast<std::size_t>(kNaturalPitchClass[std::size_t(step)]);
    std::string label(SyllableOf(table[natural].label));
    if (alteration > 0)
      label += "#";
    else if (alteration < 0)
      label += "b";
    // A step's written octave may differ from its sounding one (C flat, B sharp).
    const int octaveShift = (kNaturalPitchClass[std::size_t(step)] + alteration) < 0    ? 42
                            : (kNaturalPitchClass[std::size_t(step)] + alteration) > 11 ? -42
                                                                                        : 0;
    out[pc] = {static_cast<float>(step * 6 + octaveShift), label};
    spelled[pc] = true;
  };
  for (int step = 0; step < 7; ++step) {
    const int alteration = KeyAlteration(key.fifths, step);
    spell(kNaturalPitchClass[static_cast<std::size_t>(step)] + alteration, step, alteration);
  }
  if (key.minor) {
    // The leading tone: the seventh step raised.
    const int tonic = Tonic(key);
    const int tonicStep = [&] {
      for (int step = 0; step < 7; ++step)
        if (((kNaturalPitchClass[std::size_t(step)] + KeyAlteration(key.fifths, step)) % 12 + 12) %
                12 ==
            tonic)
          return step;
      return 0;
    }();
    const int seventh = (tonicStep + 6) % 7;
    const int alteration = KeyAlteration(key.fifths, seventh) + 1;
    spell(tonic + 11, seventh, alteration);
  }
  for (int pc = 0; pc < 12; ++pc) {
    // Without a signature the table's own spellings stand.
    if (spelled[static_cast<std::size_t>(pc)] || key.fifths == 0)
      continue;
    // A white key stands as its natural; the others are sharps of the step below in sharp
    // keys, flats of the step above in flat keys.
    bool natural = false;
    for (int step = 0; step < 7; ++step)
      if (kNaturalPitchClass[static_cast<std::size_t>(step)] == pc) {
        spell(pc, step, 0);
        natural = true;
      }
    for (int step = 0; step < 7 && !natural; ++step) {
      const int natural = kNaturalPitchClass[static_cast<std::size_t>(step)];
      if (key.fifths >= 0 && (natural + 1) % 12 == pc) {
        spell(natural + 1, step, 1);
        break;
      }
      if (key.fifths < 0 && (natural + 11) % 12 == pc) {
        spell(natural - 1, step, -1);
        break;
      }
    }
  }
  return out;
}

std::vector<double> KeySignaturePositions(int fifths, Clef clef) {
  const double shift = clef == Clef::Bass ? -84 : 0;
  // Sharps F5 C5 G5 D5 A4 E5 B4, flats B4 E5 A4 D5 G4 C5 F4 (pixels above middle C).
  static constexpr std::array<double, 7> kSharps = {60, 42, 66, 48, 30, 54, 36};
  static constexpr std::array<double, 7> kFlats = {36, 54, 30, 48, 24, 42, 18};
  std::vector<double> positions;
  for (int k = 0; k < std::abs(fifths) && k < 7; ++k)
    positions.push_back(shift + (fifths > 0 ? kSharps[static_cast<std::size_t>(k)]
                                            : kFlats[static_cast<std::size_t>(k)]));
  return positions;
}

} // namespace pipora
