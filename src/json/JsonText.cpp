#include "json/JsonText.h"

#include "base/Text.h"
#include "json/FastJson.h"

#include <algorithm>

namespace panemark {

namespace {

bool isJsonSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The parser's own words without its prefix and position, and without raw control bytes.
std::string parserProblem(const std::string& what) {
    const std::size_t positionEnd =
        what.find("parse error") == std::string::npos ? what.find("] ") : what.find(": ");
    std::string problem = positionEnd == std::string::npos ? what : what.substr(positionEnd + 2);
    for (char& c : problem) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return problem;
}

// Checks the syntax of one value without building it: the parser's own error, placed in the
// whole text, or nothing.
class SyntaxCheck : public nlohmann::json_sax<JsonValue> {
public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& error) override {
        position_ = position;
        message_ = error.what();
        isParseError_ = error.id >= 101 && error.id <= 199;
        return false;
    }

    std::optional<Error> problem(std::string_view text, std::size_t start) const {
        if (message_.empty()) {
            return std::nullopt;
        }
        if (!isParseError_) {
            // A number too large for any JSON number type, and the like: no position of its own.
            return Error{"not valid JSON in the value at " + JsonText::lineAndColumn(text, start) +
                         ": " + parserProblem(message_)};
        }
        const std::size_t offset = start + (position_ > 0 ? position_ - 1 : 0);
        return Error{"not valid JSON at " + JsonText::lineAndColumn(text, offset) + ": " +
                     parserProblem(message_)};
    }

private:
    std::size_t position_ = 0;
    std::string message_;
    bool isParseError_ = false;
};

} // namespace

std::size_t JsonText::skipSpace(std::string_view text, std::size_t at) {
    while (at < text.size() && isJsonSpace(text[at])) {
        ++at;
    }
    return at;
}

std::string JsonText::lineAndColumn(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    const std::string_view before = text.substr(0, offset);
    const auto line = std::count(before.begin(), before.end(), '\n') + 1;
    const std::size_t lineStart =
        before.rfind('\n') == std::string_view::npos ? 0 : before.rfind('\n') + 1;
    return "line " + std::to_string(line) + ", column " + std::to_string(offset - lineStart + 1);
}

// Finds where the object or array starting at `start` ends, without parsing it, so that each
// value can be parsed on its own and nesting is bounded before the parser sees it. Returns
// text.size() when the value is not closed (the parser then reports what is wrong).
Result<std::size_t> JsonText::endOfValue(std::string_view text, std::size_t start, int maxNesting) {
    std::size_t end = text.size();
    std::optional<Error> tooDeep;
    forEachStructural(text, start, text.size(), [&](std::size_t at, char c, int depth) {
        if ((c == '{' || c == '[') && depth + 1 > maxNesting) {
            tooDeep = Error{lineAndColumn(text, at) + ": nested more than " +
                            std::to_string(maxNesting) + " levels deep"};
            return false;
        }
        if ((c == '}' || c == ']') && depth == 0) {
            end = at + 1;
            return false;
        }
        return true;
    });
    if (tooDeep) {
        return *tooDeep;
    }
    return end;
}

std::optional<Error> JsonText::checkSyntax(std::string_view text, std::size_t start,
                                           std::size_t end) {
    SyntaxCheck check;
    try {
        JsonValue::sax_parse(text.substr(start, end - start), &check);
    } catch (const std::exception& error) {
        return Error{"not valid JSON in the value at " + lineAndColumn(text, start) + ": " +
                     parserProblem(error.what())};
    }
    return check.problem(text, start);
}

Result<JsonValue> JsonText::parse(std::string_view text, int maxNesting) {
    if (const std::size_t binary = Text::firstNonText(text); binary != std::string_view::npos) {
        return Error{"not a JSON file: binary data at " + lineAndColumn(text, binary)};
    }
    const std::size_t start = skipSpace(text, 0);
    if (start == text.size()) {
        return Error{"empty, not a JSON file"};
    }
    Result<std::size_t> end = endOfValue(text, start, maxNesting);
    if (!end) {
        return Error{end.error()};
    }
    if (std::optional<JsonValue> fast = FastJson::parse(text.substr(start))) {
        return std::move(*fast);
    }
    // Parsed once; the syntax check, which places the error, runs only when parsing failed.
    try {
        return JsonValue::parse(text.substr(start));
    } catch (const std::exception& error) {
        if (std::optional<Error> problem = checkSyntax(text, start, text.size())) {
            return *problem;
        }
        return Error{"not valid JSON in the value at " + lineAndColumn(text, start) + ": " +
                     parserProblem(error.what())};
    }
}

} // namespace panemark
