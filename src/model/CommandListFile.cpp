#include "model/CommandListFile.h"

#include "model/CommandJson.h"
#include "runtime/Text.h"

#include <algorithm>
#include <optional>

namespace panemark {

namespace {

bool isJsonSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::size_t skipSpace(std::string_view text, std::size_t at) {
    while (at < text.size() && isJsonSpace(text[at])) {
        ++at;
    }
    return at;
}

std::string lineAndColumn(std::string_view text, std::size_t offset) {
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
Result<std::size_t> endOfValue(std::string_view text, std::size_t start) {
    int depth = 0;
    bool inString = false;
    for (std::size_t at = start; at < text.size(); ++at) {
        const char c = text[at];
        if (inString) {
            if (c == '\\') {
                ++at;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > CommandListFile::maxNesting) {
                return Error{lineAndColumn(text, at) + ": nested more than " +
                             std::to_string(CommandListFile::maxNesting) + " levels deep"};
            }
        } else if (c == '}' || c == ']') {
            if (--depth == 0) {
                return at + 1;
            }
        }
    }
    return text.size();
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
            return Error{"not valid JSON in the value at " + lineAndColumn(text, start) + ": " +
                         parserProblem(message_)};
        }
        const std::size_t offset = start + (position_ > 0 ? position_ - 1 : 0);
        return Error{"not valid JSON at " + lineAndColumn(text, offset) + ": " +
                     parserProblem(message_)};
    }

private:
    std::size_t position_ = 0;
    std::string message_;
    bool isParseError_ = false;
};

std::optional<Error> checkSyntax(std::string_view text, std::size_t start, std::size_t end) {
    SyntaxCheck check;
    try {
        JsonValue::sax_parse(text.substr(start, end - start), &check);
    } catch (const std::exception& error) {
        return Error{"not valid JSON in the value at " + lineAndColumn(text, start) + ": " +
                     parserProblem(error.what())};
    }
    return check.problem(text, start);
}

// Builds one command's value, keeping only what the decoder reads: unknown keys and array
// elements are dropped as they are parsed, so a hostile value costs neither time nor memory.
// The syntax has been checked before.
JsonValue parseCommandValue(std::string_view text) {
    std::vector<std::string> keyAt(CommandListFile::maxNesting + 2);
    std::vector<bool> inArray(CommandListFile::maxNesting + 2, false);
    auto keep = [&](int depth, nlohmann::detail::parse_event_t event, JsonValue& parsed) {
        using Event = nlohmann::detail::parse_event_t;
        const auto at = static_cast<std::size_t>(depth);
        if (at + 1 >= inArray.size()) {
            return false;
        }
        switch (event) {
        case Event::object_start:
            inArray[at + 1] = false;
            return true;
        case Event::array_start:
            inArray[at + 1] = true;
            return true;
        case Event::key: {
            const std::string& key = parsed.get_ref<const std::string&>();
            keyAt[at] = key;
            return (depth == 1 && CommandJson::isCommandKey(key)) ||
                   (depth == 2 && !inArray[1] && CommandJson::isNestedKey(keyAt[1], key));
        }
        case Event::value:
        case Event::object_end:
        case Event::array_end:
            return !inArray[at];
        }
        return true;
    };
    return JsonValue::parse(text, keep);
}

// Hands each element of the array starting at `start` to `visit` in turn, as text; nothing is
// kept between them. The syntax is valid.
template <class Visit>
void forEachElement(std::string_view text, std::size_t start, std::size_t end, Visit visit) {
    int depth = 0;
    bool inString = false;
    std::size_t elementStart = start + 1;
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
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if ((c == ',' && depth == 1) || ((c == '}' || c == ']') && --depth == 0)) {
            const std::size_t first = skipSpace(text, elementStart);
            if (first < at) {
                visit(text.substr(first, at - first));
            }
            elementStart = at + 1;
        }
    }
}

std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    return text.starts_with(mark) ? text.substr(mark.size()) : text;
}

void readOne(std::string_view value, std::vector<ZoneCommand>& commands) {
    const JsonValue json = parseCommandValue(value);
    commands.push_back(
        CommandJson::readCommand(JsonReader(json, "[" + std::to_string(commands.size()) + "]")));
}

} // namespace

Result<std::vector<ZoneCommand>> CommandListFile::parse(std::string_view text) {
    text = withoutByteOrderMark(text);
    if (const std::size_t binary = Text::firstNonText(text); binary != std::string_view::npos) {
        return Error{"not a JSON command file: binary data at " + lineAndColumn(text, binary)};
    }
    std::vector<ZoneCommand> commands;
    try {
        for (std::size_t at = skipSpace(text, 0); at < text.size(); at = skipSpace(text, at)) {
            const bool container = text[at] == '{' || text[at] == '[';
            Result<std::size_t> end =
                container ? endOfValue(text, at) : Result<std::size_t>(text.size());
            if (!end) {
                return Error{end.error()};
            }
            if (std::optional<Error> problem = checkSyntax(text, at, end.value())) {
                return *problem;
            }
            if (text[at] == '[') {
                forEachElement(text, at, end.value(),
                               [&](std::string_view element) { readOne(element, commands); });
            } else if (text[at] == '{') {
                readOne(text.substr(at, end.value() - at), commands);
            } else {
                return Error{lineAndColumn(text, at) +
                             ": expected a command object or an array of them, found " +
                             JsonReader::describe(JsonValue::parse(text.substr(at)))};
            }
            at = end.value();
        }
    } catch (const JsonDecodeError& error) {
        return Error{error.what()};
    }
    return commands;
}

std::string CommandListFile::format(const std::vector<ZoneCommand>& commands) {
    std::string text;
    for (const ZoneCommand& command : commands) {
        text += CommandJson::encode(command).dump(-1, ' ', false, Json::error_handler_t::replace);
        text += '\n';
    }
    return text;
}

} // namespace panemark
