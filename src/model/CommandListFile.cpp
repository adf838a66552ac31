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

Result<Json> parseValue(std::string_view text, std::size_t start, std::size_t end) {
    try {
        return Json::parse(text.substr(start, end - start));
    } catch (const Json::parse_error& error) {
        const std::size_t offset = start + (error.byte > 0 ? error.byte - 1 : 0);
        return Error{"not valid JSON at " + lineAndColumn(text, offset) + ": " +
                     parserProblem(error.what())};
    } catch (const Json::exception& error) {
        // A number too large for any JSON number type, and the like: the parser gives no position.
        return Error{"not valid JSON in the value at " + lineAndColumn(text, start) + ": " +
                     parserProblem(error.what())};
    }
}

std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    return text.starts_with(mark) ? text.substr(mark.size()) : text;
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
            Result<Json> value = parseValue(text, at, end.value());
            if (!value) {
                return Error{value.error()};
            }
            const Json& json = value.value();
            if (json.is_array()) {
                for (const Json& element : json) {
                    const JsonReader reader(element, "[" + std::to_string(commands.size()) + "]");
                    commands.push_back(CommandJson::readCommand(reader));
                }
            } else if (json.is_object()) {
                commands.push_back(CommandJson::readCommand(
                    JsonReader(json, "[" + std::to_string(commands.size()) + "]")));
            } else {
                return Error{lineAndColumn(text, at) +
                             ": expected a command object or an array of them, found " +
                             JsonReader::describe(json)};
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
