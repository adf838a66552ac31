#pragma once

#include "base/Result.h"
#include "json/JsonReader.h"

#include <optional>
#include <string>
#include <string_view>

namespace panemark {

// JSON text as files hold it: positions as people count them, nesting bounded before the
// parser sees it, and syntax errors placed without building anything.
class JsonText {
public:
    static constexpr int defaultMaxNesting = 64;

    // One JSON value filling the text: errors say "line L, column C: …", a binary file says
    // so, and nothing nests deeper than maxNesting.
    static Result<JsonValue> parse(std::string_view text, int maxNesting = defaultMaxNesting);

    static std::size_t skipSpace(std::string_view text, std::size_t at);
    // Calls visit(offset, character, depth) for every bracket and comma of text[start, end)
    // outside strings, depth counting the open brackets before it; stops when visit returns
    // false. The text is not parsed.
    template <class Visit>
    static void forEachStructural(std::string_view text, std::size_t start, std::size_t end,
                                  Visit visit);
    // "line 3, column 7" for a byte offset.
    static std::string lineAndColumn(std::string_view text, std::size_t offset);
    // Where the object or array starting at `start` ends, found without parsing it; text.size()
    // when it is not closed (the parser then reports what is wrong).
    static Result<std::size_t> endOfValue(std::string_view text, std::size_t start, int maxNesting);
    // The syntax of text[start, end) checked without building it; the parser's error placed
    // in the whole text, or none.
    static std::optional<Error> checkSyntax(std::string_view text, std::size_t start,
                                            std::size_t end);
};

template <class Visit>
void JsonText::forEachStructural(std::string_view text, std::size_t start, std::size_t end,
                                 Visit visit) {
    int depth = 0;
    bool inString = false;
    for (std::size_t at = start; at < end; ++at) {
        const char c = text[at];
        if (inString) {
            if (c == '\\') {
                ++at;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[' || c == '}' || c == ']' || c == ',') {
            const int before = depth;
            depth += c == '{' || c == '[' ? 1 : c == ',' ? 0 : -1;
            if (!visit(at, c, c == '}' || c == ']' ? depth : before)) {
                return;
            }
        }
    }
}

} // namespace panemark
