#include "settings/stored_names.h"

#include <array>

namespace pipora {
namespace {

struct StoredWindowName {
  WindowId id;
  const char *name;
};

// The one table of stored window spellings.
constexpr std::array<StoredWindowName, kWindowCount> kStoredWindowNames = {{
    {WindowId::Main, "main"},
    {WindowId::SourceEditor, "srcview"},
    {WindowId::Player, "playpannel"},
    {WindowId::Property, "property"},
    {WindowId::ScoreEditor, "frmScr"},
}};

constexpr const char *kSourceFontPrefix = "srcview.Text1.Font.";
constexpr const char *kQuarterWidthKey = "frmScr.w4";
constexpr const char *kStaffDistanceKey = "frmScr.hch";

} // namespace

QString WindowKeyName(WindowId id) {
  for (const StoredWindowName &entry : kStoredWindowNames)
    if (entry.id == id)
      return QString::fromLatin1(entry.name);
  return {};
}

std::optional<WindowId> WindowFromKeyName(const QString &name) {
  for (const StoredWindowName &entry : kStoredWindowNames)
    if (name == QLatin1String(entry.name))
      return entry.id;
  return std::nullopt;
}

QString SourceFontKey(const char *field) {
  return QString::fromLatin1(kSourceFontPrefix) + QString::fromLatin1(field);
}

QString QuarterWidthKey() {
  return QString::fromLatin1(kQuarterWidthKey);
}

QString StaffDistanceKey() {
  return QString::fromLatin1(kStaffDistanceKey);
}

} // namespace pipora
