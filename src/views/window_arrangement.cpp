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
  std::vector<ArrangedWindow *> editors;
  std::vector<ArrangedWindow *> fixed;
  for (ArrangedWindow &w : windows)
    (w.kind == ArrangedKind::Editor ? editors : fixed).push_back(&w);

  // The panel and the property window are small tools: they keep their size, and the
  // room they leave goes to the editors, which need it.
  int bandHeight = 0;
  for (const ArrangedWindow *w : fixed)
    bandHeight = std::max(bandHeight, w->natural.height());
  bandHeight = std::min(bandHeight, editors.empty() ? area.height() : area.height() / 2);
  // Sorted by top: the first fixed window is the higher one.
  const bool bandOnTop = fixed.empty() || editors.empty() ||
                         fixed.front()->geometry.top() <= editors.front()->geometry.top();
  const int bandTop = bandOnTop ? 0 : area.height() - bandHeight;
  for (ArrangedWindow *w : fixed) {
    const QSize size(std::min(w->natural.width(), area.width()),
                     std::min(w->natural.height(), bandHeight));
    const int left = w->kind == ArrangedKind::Property ? 0 : area.width() - size.width();
    w->geometry = QRect(QPoint(left, bandTop), size);
  }

  if (!editors.empty()) {
    const int stackTop = bandOnTop ? bandHeight : 0;
    const int share = (area.height() - bandHeight) / static_cast<int>(editors.size());
    for (std::size_t i = 0; i < editors.size(); ++i)
      editors[i]->geometry = QRect(0, stackTop + static_cast<int>(i) * share, area.width(), share);
  }
  return windows;
}

QRect FitInside(QRect window, QSize area, QSize smallest) {
  // Shrunk where it stands first, down to `smallest`, so that it covers no other window;
  // then moved as far as it still sticks out.
  const auto fit = [](int start, int length, int room, int least) {
    const int shrunk = std::max(std::min(length, room - start), std::min(least, length));
    const int size = std::min(shrunk, room);
    return std::pair{std::clamp(start, 0, std::max(room - size, 0)), size};
  };
  const auto [left, width] = fit(window.left(), window.width(), area.width(), smallest.width());
  const auto [top, height] = fit(window.top(), window.height(), area.height(), smallest.height());
  return {left, top, width, height};
}

} // namespace pipora
