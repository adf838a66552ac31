#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace panemark {

// Keeps Panemark's windows on the monitor they open on: no larger than its usable area, at
// whatever scale it runs, and never partly off it.
namespace ScreenFit {

// Room left between a window and the edges of the usable area.
constexpr int margin = 8;

// The usable area (in Qt's logical pixels) of the monitor a window opens on: its parent
// window's, else the one under the pointer, else the primary one. Empty without a screen.
QRect usableAreaFor(const QWidget* window);
// `wanted`, shrunk where it does not fit into `area` less the margins.
QSize fittedSize(const QSize& wanted, const QRect& area);
// Where a frame of that size goes so that it lies wholly inside `area`: `frame`'s own corner,
// moved in only as far as needed.
QPoint fittedOrigin(const QRect& frame, const QRect& area);
// Shrinks the window (and its minimum size) to fit its monitor; a window whose size is fixed
// keeps it fixed, at the fitted size. Before it shows: a platform may hold a window to the size
// it opened at.
void fitSize(QWidget* window);
// Moves a window that lies partly off its monitor's usable area wholly inside, as little as it
// must; one inside stays where the window manager put it.
void keepInside(QWidget* window);
// Both.
void fit(QWidget* window);

} // namespace ScreenFit

} // namespace panemark
