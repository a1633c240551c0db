#pragma once
// The frame's menu tree as data: menus with their items, captions and accelerators.
#include <span>

namespace pipora {

struct MenuItemRow {
  const char *name;     // QAction objectName; null for a separator
  const char *caption;  // with & before the access key
  const char *shortcut; // QKeySequence text, or null
};

struct MenuRow {
  const char *name;
  const char *caption;
  std::span<const MenuItemRow> items;
};

std::span<const MenuRow> MenuTree();

} // namespace pipora
