#include "json/CommandListFile.h"

#include "base/Text.h"
#include "json/CommandJson.h"
#include "json/CommandReading.h"
#include "json/FastJson.h"
#include "json/JsonText.h"
#include "json/RapidReader.h"

#include <algorithm>
#include <optional>
#include <rapidjson/document.h>

namespace panemark {

namespace {

// A value that is not valid JSON on its own: the whole text's syntax is then checked, which
// places the error where a person can find it.
struct NotValidJson {};

// An ordinary command is a few hundred bytes; a value past this is parsed keeping only what the
// decoder reads, so a hostile one costs no more memory than its text.
constexpr std::size_t plainParseLimit = 64 * 1024;

// Builds one command's value, keeping only what the decoder reads: unknown keys and array
// elements are dropped as they are parsed, so a hostile value costs neither time nor memory.
JsonValue parseFiltered(std::string_view text) {
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
    try {
        return JsonValue::parse(text, keep);
    } catch (const nlohmann::json::exception&) {
        throw NotValidJson{};
    }
}

JsonValue parseCommandValue(std::string_view text) {
    if (text.size() > plainParseLimit) {
        return parseFiltered(text);
    }
    if (std::optional<JsonValue> fast = FastJson::parse(text)) {
        return std::move(*fast);
    }
    // Whatever the fast path passed over, the usual parser reads or finds the fault in.
    JsonValue json = JsonValue::parse(text, nullptr, false);
    if (json.is_discarded()) {
        throw NotValidJson{};
    }
    return json;
}

// Hands each element of the array starting at `start` to `visit` in turn, as text; nothing is
// kept between them. An element that is missing (`[a,,b]`, `[a,]`) is no JSON: each element's
// own parse finds every other fault.
template <class Visit>
void forEachElement(std::string_view text, std::size_t start, std::size_t end, Visit visit) {
    std::size_t elementStart = start + 1;
    bool separated = false;
    bool closed = false;
    JsonText::forEachStructural(text, start, end, [&](std::size_t at, char c, int depth) {
        const bool closesArray = (c == '}' || c == ']') && depth == 0;
        closed = closed || closesArray;
        if ((c == ',' && depth == 1) || closesArray) {
            const std::size_t first = JsonText::skipSpace(text, elementStart);
            if (first < at) {
                visit(text.substr(first, at - first));
            } else if (c == ',' || separated) {
                throw NotValidJson{};
            }
            separated = separated || c == ',';
            elementStart = at + 1;
        }
        return true;
    });
    if (!closed) {
        throw NotValidJson{};
    }
}

std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    return text.starts_with(mark) ? text.substr(mark.size()) : text;
}

// An ordinary command read straight from RapidJSON's values by the same rules; none when
// anything is not as it should be, and the strict way then says what.
std::optional<ZoneCommand> readFast(std::string_view value) {
    if (value.size() > plainParseLimit) {
        return std::nullopt;
    }
    rapidjson::Document document;
    // No fraction is ever a command's value, so RapidJSON's own reading of fractions (not the
    // usual parser's) never decides anything here: such a value is refused and read again.
    constexpr unsigned flags =
        rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag;
    if (document.Parse<flags>(value.data(), value.size()).HasParseError()) {
        return std::nullopt;
    }
    try {
        return CommandReading::command(RapidReader(document));
    } catch (const RapidReader::Mismatch&) {
        return std::nullopt;
    }
}

void readOne(std::string_view value, std::vector<ZoneCommand>& commands) {
    if (std::optional<ZoneCommand> command = readFast(value)) {
        commands.push_back(std::move(*command));
        return;
    }
    const JsonValue json = parseCommandValue(value);
    commands.push_back(
        CommandJson::readCommand(JsonReader(json, "[" + std::to_string(commands.size()) + "]")));
}

} // namespace

Result<std::vector<ZoneCommand>> CommandListFile::parse(std::string_view text) {
    text = withoutByteOrderMark(text);
    if (const std::size_t binary = Text::firstNonText(text); binary != std::string_view::npos) {
        return Error{"not a JSON command file: binary data at " +
                     JsonText::lineAndColumn(text, binary)};
    }
    std::vector<ZoneCommand> commands;
    try {
        for (std::size_t at = JsonText::skipSpace(text, 0); at < text.size();
             at = JsonText::skipSpace(text, at)) {
            const bool container = text[at] == '{' || text[at] == '[';
            Result<std::size_t> end = container ? JsonText::endOfValue(text, at, maxNesting)
                                                : Result<std::size_t>(text.size());
            if (!end) {
                return Error{end.error()};
            }
            // Decoded first and checked only when something fails: an error of syntax anywhere
            // in the value is told before one of meaning, as a whole-value check would.
            try {
                if (text[at] == '[') {
                    forEachElement(text, at, end.value(),
                                   [&](std::string_view element) { readOne(element, commands); });
                } else if (text[at] == '{') {
                    readOne(text.substr(at, end.value() - at), commands);
                } else {
                    throw NotValidJson{};
                }
            } catch (const NotValidJson&) {
                if (std::optional<Error> problem = JsonText::checkSyntax(text, at, end.value())) {
                    return *problem;
                }
                if (text[at] != '[' && text[at] != '{') {
                    return Error{JsonText::lineAndColumn(text, at) +
                                 ": expected a command object or an array of them, found " +
                                 JsonReader::describe(JsonValue::parse(text.substr(at)))};
                }
                return Error{"not valid JSON in the value at " + JsonText::lineAndColumn(text, at)};
            } catch (const JsonDecodeError& error) {
                if (std::optional<Error> problem = JsonText::checkSyntax(text, at, end.value())) {
                    return *problem;
                }
                return Error{error.what()};
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
