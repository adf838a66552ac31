#pragma once

#include <QIcon>
#include <QPixmap>

class QPainter;
class QRectF;

namespace panemark {

// Panemark's own mark: a window split in three columns in phosphor green, on a dark rounded
// square. Drawn, so it is sharp at every size from 16 pixels up.
class AppIcon {
public:
    static void draw(QPainter& painter, const QRectF& rect);
    static QPixmap pixmap(int size, double pixelRatio = 1);
    // Every usual size, for window icons.
    static QIcon icon();
};

} // namespace panemark
