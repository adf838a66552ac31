// A command file read the fast way (values split out of the text, ordinary commands read
// straight from RapidJSON, large ones parsed keeping only what is read, syntax checked without
// building anything) must give the answer and the message of the plain way: the whole of each
// top-level value parsed by the usual parser, then decoded.
#include "base/Text.h"
#include "json/CommandJson.h"
#include "json/CommandListFile.h"
#include "json/JsonReader.h"
#include "json/JsonText.h"
#include "model/StockCommands.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

using namespace panemark;

namespace {

std::vector<std::pair<std::string, std::string>> storedFiles() {
    std::vector<std::pair<std::string, std::string>> files;
    const std::filesystem::path root = PANEMARK_FUZZ_DIR;
    for (const char* folder :
         {"corpus/fuzz_command_decoder", "corpus/fuzz_profile_decoder", "seeds", "regressions"}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            if (entry.is_regular_file()) {
                std::ifstream file(entry.path(), std::ios::binary);
                std::ostringstream bytes;
                bytes << file.rdbuf();
                files.emplace_back(entry.path().filename().string(), bytes.str());
            }
        }
    }
    return files;
}

// The parser's own error, placed in the whole text as a person counts: "not valid JSON at
// line L, column C" (the words after it are the parser's, which the fast way keeps).
std::string placedParseError(std::string_view text, std::size_t start,
                             const nlohmann::json::exception& error) {
    const auto* parseError = dynamic_cast<const nlohmann::json::parse_error*>(&error);
    if (!parseError) {
        return "not valid JSON in the value at " + JsonText::lineAndColumn(text, start);
    }
    const std::size_t offset = start + (parseError->byte > 0 ? parseError->byte - 1 : 0);
    return "not valid JSON at " + JsonText::lineAndColumn(text, offset);
}

// The plain way. Where the message holds the parser's own words, only what precedes them.
Result<std::vector<ZoneCommand>> readPlainly(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    if (const std::size_t binary = Text::firstNonText(text); binary != std::string_view::npos) {
        return Error{"not a JSON command file: binary data at " +
                     JsonText::lineAndColumn(text, binary)};
    }
    std::vector<ZoneCommand> commands;
    const auto decode = [&](const JsonValue& value) {
        commands.push_back(CommandJson::readCommand(
            JsonReader(value, "[" + std::to_string(commands.size()) + "]")));
    };
    for (std::size_t at = JsonText::skipSpace(text, 0); at < text.size();
         at = JsonText::skipSpace(text, at)) {
        const bool container = text[at] == '{' || text[at] == '[';
        Result<std::size_t> end =
            container ? JsonText::endOfValue(text, at, 64) : Result<std::size_t>(text.size());
        if (!end) {
            return Error{end.error()};
        }
        JsonValue value;
        try {
            value = JsonValue::parse(text.substr(at, end.value() - at));
        } catch (const nlohmann::json::exception& error) {
            return Error{placedParseError(text, at, error)};
        }
        try {
            if (value.is_array()) {
                for (const JsonValue& element : value) {
                    decode(element);
                }
            } else if (value.is_object()) {
                decode(value);
            } else {
                return Error{JsonText::lineAndColumn(text, at) +
                             ": expected a command object or an array of them, found " +
                             JsonReader::describe(value)};
            }
        } catch (const JsonDecodeError& error) {
            return Error{error.what()};
        }
        at = end.value();
    }
    return commands;
}

// Both ways' answers side by side, for a failure's message.
void expectSameAnswer(const std::string& name, std::string_view text) {
    const Result<std::vector<ZoneCommand>> fast = CommandListFile::parse(text);
    const Result<std::vector<ZoneCommand>> plain = readPlainly(text);
    ASSERT_EQ(fast.ok(), plain.ok()) << name << ": fast " << (fast ? "read it" : fast.error())
                                     << "; plain " << (plain ? "read it" : plain.error());
    if (fast) {
        EXPECT_EQ(fast.value(), plain.value()) << name;
        return;
    }
    const std::string placed = plain.error();
    const bool parsersWords = placed.starts_with("not valid JSON");
    if (parsersWords) {
        EXPECT_EQ(fast.error().substr(0, placed.size()), placed) << name;
    } else {
        EXPECT_EQ(fast.error(), placed) << name;
    }
}

std::string oneCommandPerLine(std::size_t copies) {
    std::string lines;
    for (std::size_t i = 0; i < copies; ++i) {
        lines += CommandListFile::format(stockCommands());
    }
    return lines;
}

std::string asArray(const std::string& lines) {
    std::string array = "[";
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) {
        array += (array.size() > 1 ? ",\n" : "") + line;
    }
    return array + "]";
}

TEST(WholeFileAgreesTest, EveryStoredInputIsReadTheSameBothWays) {
    const auto files = storedFiles();
    ASSERT_GT(files.size(), 100u);
    for (const auto& [name, text] : files) {
        expectSameAnswer(name, text);
    }
}

TEST(WholeFileAgreesTest, LargeFilesAndLargeValuesAreReadTheSameBothWays) {
    // Hundreds of commands, one per line and as one array: well past 64 KiB.
    const std::string lines = oneCommandPerLine(60);
    ASSERT_GT(lines.size(), 64u * 1024);
    const std::string array = asArray(lines);
    const std::string command = CommandListFile::format({stockCommands().front()});
    const std::string body = command.substr(1, command.size() - 3); // without braces and newline
    // One command larger than 64 KiB (a long note of the user's beside it), well formed, with
    // a bad value, and broken at its very end.
    const std::string note = "\"note\":\"" + std::string(70 * 1024, 'x') + "\"";
    const std::string large = "{" + note + "," + body + "}";
    const std::string largeBadValue = "{" + note + "," + body + ",\"cols\":-3}";
    const std::string largeBroken = "{" + note + "," + body + ",}";
    const std::string deepInside =
        "{" + note + ",\"fixedSize\":{\"width\":1,\"height\":[[[2]]]}," + body + "}";

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"lines", lines},
        {"array", array},
        {"array with a byte order mark", "\xEF\xBB\xBF" + array},
        {"array then lines", array + "\n" + lines},
        {"large command", large},
        {"large command in an array", "[" + large + "," + large + "]"},
        {"large command with a bad value", lines + largeBadValue},
        {"large command broken at its end", lines + largeBroken},
        {"large command with a nested array", deepInside},
        {"bad value in the last of hundreds",
         array.substr(0, array.size() - 1) + ",{\"cols\":\"two\"}]"},
        {"missing element", array.substr(0, array.size() - 1) + ",,{}]"},
        {"trailing comma", array.substr(0, array.size() - 1) + ",]"},
        {"unclosed array", array.substr(0, array.size() - 1)},
        {"syntax error at the end of a long file", lines + "{\"cols\":1,}"},
        {"number after the array", array + " 7"},
        {"control character in a name", lines + "{\"name\":\"a\tb\"}"},
    };
    for (const auto& [name, text] : cases) {
        expectSameAnswer(name, text);
    }
}

} // namespace
