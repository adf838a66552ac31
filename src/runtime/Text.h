#pragma once

#include <string>
#include <string_view>

namespace panemark {

// Text from files and other programs, made safe to print on a terminal.
class Text {
public:
    // Control characters (C0, DEL and the C1 range) and bytes that are not UTF-8 are written as
    // \xNN or \u{NN}, so that a name cannot move the cursor, clear the screen or retitle the
    // terminal; tab, newline and backslash are escaped too, so one value stays one field.
    static std::string printable(std::string_view text);
    // Where text stops being text: the offset of the first NUL byte or byte that is not part of
    // well-formed UTF-8; npos when there is none.
    static std::size_t firstNonText(std::string_view text);
};

} // namespace panemark
