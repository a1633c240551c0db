#pragma once
// Geometry of the View menu's tile command, of grid snapping and of keeping windows in
// reach, kept free of widgets.
#include <QRect>
#include <QSize>

#include <vector>

namespace pipora {

enum class ArrangedKind { Editor, Panel, Property };

struct ArrangedWindow {
  ArrangedKind kind = ArrangedKind::Editor;
  QRect geometry;
  const void *id = nullptr; // the caller's handle, passed through
  QSize natural;            // the size the panel and the property window are made at
};

// value rounded to the nearest multiple of step (halves to even).
int RoundToStep(int value, int step);

// Lays the visible windows out inside `area` without overlap, keeping their top-to-bottom
// order. The property window and the player panel keep their natural sizes in a band at the
// top or the bottom (where the higher of them was), the property window at the left end and
// the panel at the right end; the band takes at most half the height. The editors take the
// full width and share the rest of the height equally.
std::vector<ArrangedWindow> TileLayout(std::vector<ArrangedWindow> windows, QSize area);

// The window shrunk (not below `smallest`), then if need be moved, so that it lies inside
// `area` (its title bar and close button in reach); unchanged when it already does.
QRect FitInside(QRect window, QSize area, QSize smallest);

} // namespace pipora
