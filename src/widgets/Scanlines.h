#pragma once

#include <QRectF>
#include <vector>

class QPainter;

namespace panemark {

// Faint one-point phosphor lines, spacing apart from the top, added onto what lies beneath (they
// lighten, never darken). Drawn by the views that paint a terminal background.
struct Scanlines {
    double spacing = 3;
    double opacity = 0.045;

    // The y of each line within a height: none when the height or spacing is not positive.
    static std::vector<double> offsets(double height, double spacing);
    void paint(QPainter& painter, const QRectF& area) const;
};

} // namespace panemark
