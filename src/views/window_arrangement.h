#pragma once
// Geometry of the View menu's tile command and of grid snapping, kept free of widgets.
#include <QRect>
#include <QSize>

#include <vector>

namespace pipora {

enum class ArrangedKind { Editor, Panel, Property };

struct ArrangedWindow {
  ArrangedKind kind = ArrangedKind::Editor;
  QRect geometry;
  const void *id = nullptr; // the caller's handle, passed through
};

// value rounded to the nearest multiple of step (halves to even).
int RoundToStep(int value, int step);

// Lays the visible windows out inside `area` without overlap, keeping their top-to-bottom
// order. Without the property window every window takes the full width and an equal
// share of the height. With it, the property window keeps its size in a band at the top
// or the bottom (where it was), the player panel fills the rest of that band, and the
// editors share the remaining height.
std::vector<ArrangedWindow> TileLayout(std::vector<ArrangedWindow> windows, QSize area);

} // namespace pipora
