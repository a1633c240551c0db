#include "formats/midi/import_report.h"

#include "model/source_line.h"

#include <algorithm>

namespace pipora {

std::string_view ImportChangeName(ImportChangeKind kind) {
  switch (kind) {
  case ImportChangeKind::Snapped:
    return "snapped";
  case ImportChangeKind::Folded:
    return "folded";
  case ImportChangeKind::CutByOverlap:
    return "cut by overlap";
  case ImportChangeKind::DroppedChord:
    return "dropped chord note";
  case ImportChangeKind::SplitTied:
    return "split into tied pieces";
  case ImportChangeKind::DroppedShort:
    return "dropped as too short";
  case ImportChangeKind::ShortenedTail:
    return "tail left off";
  }
  return "";
}

std::size_t ImportReport::count(ImportChangeKind kind) const {
  return static_cast<std::size_t>(std::count_if(
      changes.begin(), changes.end(), [kind](const ImportChange &c) { return c.kind == kind; }));
}

namespace {

std::string Signed(std::int64_t v) {
  return (v > 0 ? "+" : "") + std::to_string(v);
}

std::string Detail(const ImportChange &c) {
  std::string text(ImportChangeName(c.kind));
  switch (c.kind) {
  case ImportChangeKind::Snapped:
    return text + " start " + Signed(c.amount) + " end " + Signed(c.amount2) + " ticks";
  case ImportChangeKind::Folded:
    return text + " " + Signed(c.amount) + " octaves";
  case ImportChangeKind::CutByOverlap:
  case ImportChangeKind::DroppedShort:
  case ImportChangeKind::ShortenedTail:
    return text + " " + std::to_string(c.amount) + " ticks";
  case ImportChangeKind::SplitTied:
    return text + " " + std::to_string(c.amount);
  case ImportChangeKind::DroppedChord:
    break;
  }
  return text;
}

} // namespace

std::string ImportReportText(const ImportReport &report, int ticksPerBeat, int beatsPerMeasure) {
  std::string out;
  out.reserve(report.changes.size() * 48);
  for (const ImportChange &c : report.changes) {
    out += std::to_string(c.part) + '\t' + std::to_string(c.element) + '\t' +
           SourceLocation(static_cast<std::int32_t>(c.tick), ticksPerBeat, beatsPerMeasure) + '\t' +
           std::to_string(c.key) + '\t' + Detail(c) + '\n';
  }
  for (int n = 1; n <= kUserParts; ++n) {
    const PartDrift &d = report.drift[static_cast<std::size_t>(n)];
    if (d.notes == 0)
      continue;
    out += "part " + std::to_string(n) + ": " + std::to_string(d.notes) + " notes, drift total " +
           std::to_string(d.totalAbs) + " max " + std::to_string(d.maxAbs) + " end " +
           Signed(d.endShift) + " ticks\n";
  }
  return out;
}

std::string ImportReportSummary(const ImportReport &report) {
  int notes = 0;
  for (const PartDrift &d : report.drift)
    notes += d.notes;
  std::string out = std::to_string(notes) + " notes written";
  constexpr ImportChangeKind kKinds[] = {
      ImportChangeKind::Snapped,      ImportChangeKind::Folded,    ImportChangeKind::CutByOverlap,
      ImportChangeKind::DroppedChord, ImportChangeKind::SplitTied, ImportChangeKind::DroppedShort,
      ImportChangeKind::ShortenedTail};
  for (ImportChangeKind kind : kKinds)
    if (const std::size_t n = report.count(kind); n > 0)
      out += ", " + std::to_string(n) + " " + std::string(ImportChangeName(kind));
  return out;
}

} // namespace pipora
