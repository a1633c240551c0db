#include "views/options/time_signature.h"

namespace pipora {
namespace {

// A whole number in decimal, optionally signed, blanks around it allowed; nullopt for
// anything else (a fraction, letters, an empty box, a number beyond int).
std::optional<int> WholeNumber(const QString &text) {
  const QString t = text.trimmed();
  if (t.isEmpty())
    return std::nullopt;
  for (qsizetype i = 0; i < t.size(); ++i) {
    const QChar ch = t[i];
    if (ch.isDigit() && ch.unicode() < 128)
      continue;
    if (i == 0 && (ch == '-' || ch == '+') && t.size() > 1)
      continue;
    return std::nullopt;
  }
  bool ok = false;
  const int value = t.toInt(&ok);
  if (!ok)
    return std::nullopt;
  return value;
}

// Far above any real time signature; the song keeps the number in 16 bits.
constexpr int kMaxBeatsPerMeasure = 99;

Error BoxError(const QString &text) {
  return Error{text.toStdString()};
}

} // namespace

int DenominatorIndexOf(int ticksPerBeat) {
  for (std::size_t i = 0; i < kDenominatorChoices.size(); ++i)
    if (kDenominatorChoices[i].ticksPerBeat == ticksPerBeat)
      return static_cast<int>(i);
  return 2;
}

Result<std::optional<int>> ReadNumerator(const QString &text) {
  const std::optional<int> numerator = WholeNumber(text);
  if (!numerator)
    return BoxError(QStringLiteral("拍子の「分子」には整数を入力してください。"));
  if (*numerator <= 0)
    return std::optional<int>();
  if (*numerator > kMaxBeatsPerMeasure)
    return BoxError(QStringLiteral("拍子の「分子」は1から%1までの整数にしてください。")
                        .arg(kMaxBeatsPerMeasure));
  return std::optional<int>(*numerator);
}

Result<int> ReadAnacrusis(const QString &text, int measureTicks) {
  const std::optional<int> anacrusis = WholeNumber(text);
  if (!anacrusis || *anacrusis < 0)
    return BoxError(
        QStringLiteral("アウフタクト（弱起）には0以上の整数（4分音符1つを480とするTick数）を"
                       "入力してください。"));
  if (*anacrusis > measureTicks)
    return BoxError(
        QStringLiteral("アウフタクト（弱起）は1小節（%1）以下にしてください。").arg(measureTicks));
  return *anacrusis;
}

Result<TimeSignatureEntry> ReadTimeSignatureEntry(const QString &numeratorText,
                                                  int denominatorIndex,
                                                  const QString &anacrusisText,
                                                  int presentBeatsPerMeasure) {
  TimeSignatureEntry entry;
  const Result<std::optional<int>> numerator = ReadNumerator(numeratorText);
  if (!numerator)
    return Error{numerator.error()};
  entry.beatsPerMeasure = numerator.value();
  if (denominatorIndex < 0 || denominatorIndex >= static_cast<int>(kDenominatorChoices.size()))
    denominatorIndex = 2;
  entry.ticksPerBeat = kDenominatorChoices[static_cast<std::size_t>(denominatorIndex)].ticksPerBeat;
  const int measure = entry.beatsPerMeasure.value_or(presentBeatsPerMeasure) * entry.ticksPerBeat;
  const Result<int> anacrusis = ReadAnacrusis(anacrusisText, measure);
  if (!anacrusis)
    return Error{anacrusis.error()};
  entry.anacrusis = anacrusis.value();
  return entry;
}

} // namespace pipora
