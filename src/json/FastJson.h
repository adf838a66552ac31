#pragma once

#include "json/JsonReader.h"

#include <optional>
#include <string_view>

namespace panemark {

// A fast path for reading ordinary JSON into the same value the usual parser builds: one value
// filling the text, nothing trailing. Anything it does not accept gives nothing, and the caller
// takes the usual parser, whose words then describe the fault. The nesting must have been
// bounded before.
class FastJson {
public:
    static std::optional<JsonValue> parse(std::string_view text);
    // A JSON number's text as the usual parser reads it: whole numbers as signed (with a minus)
    // or unsigned 64-bit, anything else as the nearest double; none beyond a double's range.
    static std::optional<JsonValue> readNumber(std::string_view text);
};

} // namespace panemark
