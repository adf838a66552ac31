#pragma once

#include "model/Rect.h"

#include <string>

namespace panemark {

// What a compositor tells of one of its outputs, in window space.
struct OutputFacts {
    std::string connector; // "HDMI-A-1"
    std::string make;
    std::string model;
    std::string serial;
    Rect frame;
    Rect usable; // panels and bars already left out
    // Said by a compositor that has a primary output (GNOME); elsewhere the one at the origin
    // is taken for it.
    bool primary = false;

    bool operator==(const OutputFacts&) const = default;
};

} // namespace panemark
