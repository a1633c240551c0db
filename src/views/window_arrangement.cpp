#include "views/window_arrangement.h"

#include <algorithm>
#include <cmath>

namespace pipora {

int RoundToStep(int value, int step) {
  if (step <= 1)
    return value;
  return static_cast<int>(std::nearbyint(static_cast<double>(value) / step)) * step;
}

std::vector<ArrangedWindow> TileLayout(std::vector<ArrangedWindow> windows, QSize area) {
  std::stable_sort(windows.begin(), windows.end(),
                   [](const ArrangedWindow &a, const ArrangedWindow &b) {
                     return a.geometry.top() < b.geometry.top();
                   });
  const auto prop = std::find_if(windows.begin(), windows.end(), [](const ArrangedWindow &w) {
    return w.kind == ArrangedKind::Property;
  });

  std::vector<ArrangedWindow *> stacked;
  int bandTop = 0;
  int stackTop = 0;
  int stackHeight = area.height();
  if (prop != windows.end()) {
    const int bandHeight = std::min(prop->geometry.height(), area.height());
    bool above = true;
    for (const ArrangedWindow &w : windows)
      if (&w != &*prop && w.geometry.top() < prop->geometry.top())
        above = false;
    bandTop = above ? 0 : area.height() - bandHeight;
    prop->geometry.moveTopLeft(QPoint(0, bandTop));
    stackTop = above ? bandHeight : 0;
    stackHeight = area.height() - bandHeight;
    for (ArrangedWindow &w : windows) {
      if (w.kind == ArrangedKind::Panel) {
        w.geometry = QRect(prop->geometry.width(), bandTop,
                           std::max(area.width() - prop->geometry.width(), 1), bandHeight);
      } else if (w.kind == ArrangedKind::Editor) {
        stacked.push_back(&w);
      }
    }
  } else {
    for (ArrangedWindow &w : windows)
      stacked.push_back(&w);
  }
  if (!stacked.empty()) {
    const int share = stackHeight / static_cast<int>(stacked.size());
    for (std::size_t i = 0; i < stacked.size(); ++i)
      stacked[i]->geometry = QRect(0, stackTop + static_cast<int>(i) * share, area.width(), share);
  }
  return windows;
}

} // namespace pipora
