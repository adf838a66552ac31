#pragma once

#include "model/Rect.h"

#include <ostream>

namespace panemark {

// Readable failure messages for the values tests compare most.
inline void PrintTo(const Rect& rect, std::ostream* out) {
    *out << "(" << rect.x << ", " << rect.y << ", " << rect.width << ", " << rect.height << ")";
}

} // namespace panemark
