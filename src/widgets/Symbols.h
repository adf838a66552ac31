#pragma once

#include <QColor>
#include <QPixmap>
#include <QSizeF>

class QPainter;
class QRectF;

namespace panemark {

// The named symbols the windows use, drawn with QPainter so that they are crisp at any scale.
class Symbols {
public:
    enum class Name {
        rectangleSplit3x1, // the status image: a rectangle split in three columns
        rectangleSplit3x3, // a rectangle split in a three-by-three grid
        chevronUp,
        chevronDown,
        chevronUpDown,
        plus,
        minus,
        checkmark,
        warningTriangle,
        ellipsisCircle,
        xmarkCircle,
        duplicate, // two overlapping rounded squares
    };
    static constexpr Name allNames[] = {Name::rectangleSplit3x1,
                                        Name::rectangleSplit3x3,
                                        Name::chevronUp,
                                        Name::chevronDown,
                                        Name::chevronUpDown,
                                        Name::plus,
                                        Name::minus,
                                        Name::checkmark,
                                        Name::warningTriangle,
                                        Name::ellipsisCircle,
                                        Name::xmarkCircle,
                                        Name::duplicate};

    // Draws the symbol to fill rect, in color, with strokes of lineWidth.
    static void draw(QPainter& painter, Name name, const QRectF& rect, const QColor& color,
                     double lineWidth = 1.5);
    // The symbol alone, at a device pixel ratio (2 for HiDPI panels).
    static QPixmap pixmap(Name name, QSizeF size, const QColor& color, double pixelRatio = 1);
};

} // namespace panemark
