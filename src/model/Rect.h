#pragma once

namespace panemark {

// A rectangle of double-precision points: origin and size.
struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double minX() const { return x; }
    double minY() const { return y; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    double midX() const { return x + width / 2; }
    double midY() const { return y + height / 2; }
    double area() const { return width * height; }

    bool operator==(const Rect&) const = default;
};

} // namespace panemark
