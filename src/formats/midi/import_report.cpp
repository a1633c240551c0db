#include "formats/midi/import_report.h"

#include "model/source_line.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <tuple>

namespace pipora {

std::string_view ImportChangeName(ImportChangeKind kind) {
  switch (kind) {
  case ImportChangeKind::Snapped:
    return "位置合わせ";
  case ImportChangeKind::Folded:
    return "オクターブ移動";
  case ImportChangeKind::CutByOverlap:
    return "重なりで短縮";
  case ImportChangeKind::DroppedChord:
    return "和音の音を削除";
  case ImportChangeKind::SplitTied:
    return "タイで分割";
  case ImportChangeKind::DroppedShort:
    return "短すぎて削除";
  case ImportChangeKind::ShortenedTail:
    return "末尾を切り捨て";
  case ImportChangeKind::MovedToPart:
    return "パートを移動";
  case ImportChangeKind::NoPartLeft:
    return "空きパートがなく削除";
  }
  return "";
}

std::string_view LengthScaleText(LengthScale scale) {
  switch (scale) {
  case LengthScale::Half:
    return "×½";
  case LengthScale::Double:
    return "×2";
  case LengthScale::One:
    break;
  }
  return "×1";
}

std::string ImportSpeedText(const ImportSpeed &speed) {
  char rate[32];
  std::snprintf(rate, sizeof rate, "%.4g", speed.fileRate);
  char difference[32];
  std::snprintf(difference, sizeof difference, "%+.1f", speed.difference);
  return "ファイルのテンポ " + std::string(rate) + "、テンポ " +
         std::string(TempoText(speed.tempo)) + " " + std::string(LengthScaleText(speed.scale)) +
         "、速さの差 " + difference + "%";
}

std::size_t ImportReport::count(ImportChangeKind kind) const {
  return static_cast<std::size_t>(std::count_if(
      changes.begin(), changes.end(), [kind](const ImportChange &c) { return c.kind == kind; }));
}

namespace {

std::string Signed(std::int64_t v) {
  return (v > 0 ? "+" : "") + std::to_string(v);
}

// The property window's names of the four tempo steps.
constexpr std::array<const char *, 4> kTempoNames = {"速い", "中速", "中遅", "遅い"};

// A tempo as a person reads it: one decimal at most ("84", "121.7").
std::string Rate(double quartersPerMinute) {
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%.1f", quartersPerMinute);
  std::string out(text.data());
  if (out.size() > 2 && out.compare(out.size() - 2, 2, ".0") == 0)
    out.resize(out.size() - 2);
  return out;
}

std::string Detail(const ImportChange &c) {
  std::string text(ImportChangeName(c.kind));
  switch (c.kind) {
  case ImportChangeKind::Snapped:
    return text + " 始まり " + Signed(c.amount) + " 終わり " + Signed(c.amount2) + " ティック";
  case ImportChangeKind::Folded:
    return text + " " + Signed(c.amount) + " オクターブ";
  case ImportChangeKind::CutByOverlap:
  case ImportChangeKind::DroppedShort:
  case ImportChangeKind::ShortenedTail:
    return text + " " + std::to_string(c.amount) + " ティック";
  case ImportChangeKind::SplitTied:
    return text + " " + std::to_string(c.amount) + " 個";
  case ImportChangeKind::MovedToPart:
    return "パート " + std::to_string(c.amount) + " へ";
  case ImportChangeKind::DroppedChord:
  case ImportChangeKind::NoPartLeft:
    break;
  }
  return text;
}

} // namespace

bool IsMinorChange(const ImportChange &change) {
  switch (change.kind) {
  case ImportChangeKind::Snapped:
    return std::abs(change.amount) < kMinorSnapTicks && std::abs(change.amount2) < kMinorEndTicks;
  case ImportChangeKind::CutByOverlap:
    return change.amount < kMinorCutTicks;
  case ImportChangeKind::SplitTied:
  case ImportChangeKind::MovedToPart: // it sounds as the file has it, in another part
    return true;
  default:
    return false;
  }
}

std::string ImportShiftText(std::int64_t shift) {
  if (shift == 0)
    return {};
  return "曲全体を " + std::to_string(shift < 0 ? -shift : shift) + " ティック" +
         (shift < 0 ? "前" : "後ろ") + "へ移動して拍に合わせました";
}

std::string ImportVolumesText(const ImportReport &report) {
  std::string out;
  for (int n = 1; n <= kUserParts; ++n)
    if (const int v = report.volumes[static_cast<std::size_t>(n)]; v > 0)
      out += (out.empty() ? "音量 パート " : "、パート ") + std::to_string(n) + ": " +
             std::to_string(v);
  return out;
}

std::vector<ImportChange> ListedImportChanges(const ImportReport &report) {
  // Placed by part in one counting pass; within a part the file's order mostly runs by
  // time already, so a part is sorted only when it does not.
  std::array<std::size_t, kPartSlots + 2> from{};
  const auto slot = [](const ImportChange &c) {
    return static_cast<std::size_t>(std::clamp(c.part, 0, kPartSlots + 1));
  };
  std::size_t total = 0;
  for (const ImportChange &c : report.changes)
    if (!IsMinorChange(c)) {
      ++total;
      if (slot(c) + 1 < from.size())
        ++from[slot(c) + 1];
    }
  for (std::size_t k = 1; k < from.size(); ++k)
    from[k] += from[k - 1];
  std::vector<ImportChange> listed(total);
  std::array<std::size_t, kPartSlots + 2> fill = from;
  for (const ImportChange &c : report.changes)
    if (!IsMinorChange(c))
      listed[fill[slot(c)]++] = c;
  const auto byTick = [](const ImportChange &a, const ImportChange &b) { return a.tick < b.tick; };
  for (std::size_t k = 0; k < from.size(); ++k) {
    const auto first = listed.begin() + static_cast<std::ptrdiff_t>(from[k]);
    const auto last = listed.begin() + static_cast<std::ptrdiff_t>(fill[k]);
    if (!std::is_sorted(first, last, byTick))
      std::stable_sort(first, last, byTick);
  }
  return listed;
}

std::string ImportChangeText(const ImportChange &change) {
  return Detail(change);
}

std::string ImportReportText(const ImportReport &report, int ticksPerBeat, int beatsPerMeasure) {
  std::string out;
  const std::vector<ImportChange> listed = ListedImportChanges(report);
  out.reserve(listed.size() * 48 + 64);
  if (report.shift != 0)
    out += ImportShiftText(report.shift) + '\n';
  for (const ImportChange &c : listed) {
    out += std::to_string(c.part) + '\t' + std::to_string(c.element) + '\t' +
           SourceLocation(static_cast<std::int32_t>(c.tick), ticksPerBeat, beatsPerMeasure) + '\t' +
           std::to_string(c.key) + '\t' + Detail(c) + '\n';
  }
  for (int n = 1; n <= kUserParts; ++n) {
    const PartDrift &d = report.drift[static_cast<std::size_t>(n)];
    if (d.notes == 0)
      continue;
    out += "パート " + std::to_string(n) + ": " + std::to_string(d.notes) + " 音、ずれ 合計 " +
           std::to_string(d.totalAbs) + " 最大 " + std::to_string(d.maxAbs) + " 終わり " +
           Signed(d.endShift) + " ティック\n";
  }
  return out;
}

std::string ImportReportSummary(const ImportReport &report) {
  int notes = 0;
  for (const PartDrift &d : report.drift)
    notes += d.notes;
  std::string out = std::to_string(notes) + " 音を書き込み";
  constexpr ImportChangeKind kKinds[] = {
      ImportChangeKind::Snapped,       ImportChangeKind::Folded,
      ImportChangeKind::CutByOverlap,  ImportChangeKind::DroppedChord,
      ImportChangeKind::SplitTied,     ImportChangeKind::DroppedShort,
      ImportChangeKind::ShortenedTail, ImportChangeKind::MovedToPart,
      ImportChangeKind::NoPartLeft};
  // One pass over what may be a hundred thousand changes.
  std::array<std::size_t, std::size(kKinds)> counts{};
  std::size_t minor = 0, minorCuts = 0;
  for (const ImportChange &c : report.changes) {
    const auto k = static_cast<std::size_t>(c.kind);
    if (k < counts.size())
      ++counts[k];
    if (IsMinorChange(c) &&
        (c.kind == ImportChangeKind::Snapped || c.kind == ImportChangeKind::CutByOverlap))
      ++(c.kind == ImportChangeKind::CutByOverlap ? minorCuts : minor);
  }
  for (ImportChangeKind kind : kKinds) {
    const std::size_t n = counts[static_cast<std::size_t>(kind)];
    if (n == 0)
      continue;
    out += "、" + std::string(ImportChangeName(kind)) + " " + std::to_string(n);
    if (kind == ImportChangeKind::Snapped && minor > 0)
      out +=
          "（うち " + std::to_string(minor) +
          " は始まりのずれが16分音符の1/10未満、終わりのずれが16分音符未満で、一覧にはありません）";
    if (kind == ImportChangeKind::SplitTied || kind == ImportChangeKind::MovedToPart)
      out += "（一覧にはありません）";
    if (kind == ImportChangeKind::CutByOverlap && minorCuts > 0)
      out +=
          "（うち " + std::to_string(minorCuts) + " は32分音符未満の短縮で、一覧にはありません）";
  }
  if (report.drumsLeftOut > 0)
    out +=
        "、ドラム（チャンネル10）の音 " + std::to_string(report.drumsLeftOut) + " 個は読み込まず";
  if (report.graceNotesLeftOut > 0)
    out += "、装飾音 " + std::to_string(report.graceNotesLeftOut) + " 個は読み込まず";
  if (report.unpitchedLeftOut > 0)
    out +=
        "、音の高さのない打楽器の音 " + std::to_string(report.unpitchedLeftOut) + " 個は読み込まず";
  if (report.partsLeftOut > 0)
    out +=
        "、チャンネルの足りないパート " + std::to_string(report.partsLeftOut) + " 個は読み込まず";
  out += "。";
  if (report.shift != 0)
    out += ImportShiftText(report.shift) + "。";
  if (const std::string volumes = ImportVolumesText(report); !volumes.empty())
    out += volumes + "。";
  return out + ImportTempoSummary(report);
}

ImportSpeed LastTempoSpeed(const ImportReport &report) {
  ImportSpeed speed;
  // Without a tempo event a file plays at 120 quarter notes per minute.
  speed.fileRate = report.fileTempos.empty() ? 120.0 : report.fileTempos.back();
  speed.tempo = report.tempo;
  speed.difference = (BeatsPerMinute(speed.tempo) / speed.fileRate - 1.0) * 100.0;
  return speed;
}

std::string ImportTempoSummary(const ImportReport &report) {
  const ImportSpeed speed = report.speed.chosen ? report.speed : LastTempoSpeed(report);
  std::string out = "テンポ「" + std::string(kTempoNames[static_cast<std::size_t>(speed.tempo)]) +
                    "」：" + ImportSpeedText(speed);
  const auto [low, high] = std::minmax_element(report.fileTempos.begin(), report.fileTempos.end());
  if (low == report.fileTempos.end())
    out += "（ファイルにテンポの指定がなく、120 として）";
  else if (Rate(*low) != Rate(*high))
    out += "（ファイルのテンポは " + Rate(*low) + "～" + Rate(*high) + " の間で " +
           std::to_string(report.fileTempos.size()) + " 回指定され、" +
           (speed.chosen ? "最も長く続くもの" : "最後のもの") + "を使いました）";
  return out + "。";
}

} // namespace pipora
