#pragma once

#include <string>
#include <string_view>

namespace panemark {

// Text from files and other programs, made safe to print on a terminal.
class Text {
public:
    // Control characters (C0, DEL and the C1 range), bidirectional controls and bytes that are
    // not UTF-8 are written as \xNN or \u{NN}, so that a name cannot move the cursor, clear the
    // screen, retitle the terminal or reverse the rest of the line; tab, newline and backslash are
    // escaped too, so one value stays one field.
    static std::string printable(std::string_view text);
    // Where text stops being text: the offset of the first NUL byte or byte that is not part of
    // well-formed UTF-8; npos when there is none.
    static std::size_t firstNonText(std::string_view text);

    // Whether line breaks count as white space: they do for a profile's name, which is one line
    // of its own; a command's name shown as the user typed it keeps them.
    enum class LineBreaks { blank, kept };

    // The one rule for blank names: only white space (ASCII's and Unicode's, such as U+00A0 and
    // U+3000), or nothing at all.
    static bool isBlank(std::string_view text, LineBreaks lineBreaks = LineBreaks::blank);
    // Without the white space at either end.
    static std::string trimmed(std::string_view text, LineBreaks lineBreaks = LineBreaks::blank);
};

} // namespace panemark
