// The fast readers must give exactly the answers of the strict ones, over every stored fuzz input
// and a set of near misses made from a good command: a fast reader that accepted something the
// strict one refuses would let a malformed file in without a message, and one that read a value
// differently would load another command than the one written.
#include "json/CommandJson.h"
#include "json/CommandReading.h"
#include "json/FastJson.h"
#include "json/JsonReader.h"
#include "json/RapidReader.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <rapidjson/document.h>
#include <sstream>
#include <string>
#include <vector>

using namespace panemark;

namespace {

std::vector<std::string> storedInputs() {
    std::vector<std::string> texts;
    const std::filesystem::path root = PANEMARK_FUZZ_DIR;
    for (const char* folder :
         {"corpus/fuzz_command_decoder", "corpus/fuzz_profile_decoder", "seeds", "regressions"}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            if (!entry.is_regular_file()) {
                continue;
            }
            std::ifstream file(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << file.rdbuf();
            std::string text = bytes.str();
            // Files are read without their byte order mark before any parser sees them.
            if (text.starts_with("\xEF\xBB\xBF")) {
                text.erase(0, 3);
            }
            texts.push_back(std::move(text));
        }
    }
    return texts;
}

const char* const goodCommand = R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","name":"Left",
    "cols":2,"rows":1,"ordering":"reading","colStart":0,"colEnd":0,"rowStart":0,"rowEnd":0,
    "shortcut":{"keyCode":123,"modifiers":1835008},"halfAction":"top","maximize":false,
    "fixedSize":{"width":800,"height":600}})";

// Values that sit on either side of what some key accepts.
const std::vector<std::string> nearMisses = {"0",
                                             "-0",
                                             "1",
                                             "-1",
                                             "1.0",
                                             "1e2",
                                             "-1e0",
                                             "0.5",
                                             "2147483647",
                                             "2147483648",
                                             "4294967295",
                                             "4294967296",
                                             "9223372036854775807",
                                             "9223372036854775808",
                                             "-9223372036854775808",
                                             "-9223372036854775809",
                                             "18446744073709551615",
                                             "18446744073709551616",
                                             "1e400",
                                             "null",
                                             "true",
                                             "false",
                                             "\"\"",
                                             "\"1\"",
                                             "\"top\"",
                                             "\"Top\"",
                                             "\"reading\"",
                                             "\"6f9619ff-8b86-d011-b42d-00c04fc964ff\"",
                                             "\"6F9619FF8B86D011B42D00C04FC964FF\"",
                                             "\"{6F9619FF-8B86-D011-B42D-00C04FC964FF}\"",
                                             "[]",
                                             "{}",
                                             "{\"width\":1,\"height\":2}",
                                             "{\"keyCode\":1,\"modifiers\":2}",
                                             "{\"keyCode\":1.5,\"modifiers\":2}",
                                             "\"\\u0000\""};

// A good command with one key's value replaced, given twice, or left out, at the top and in
// each nested object.
std::vector<std::string> madeFromGoodCommand() {
    const JsonValue good = JsonValue::parse(goodCommand);
    std::vector<std::string> texts;
    auto vary = [&](const std::vector<std::string>& path) {
        for (const std::string& miss : nearMisses) {
            JsonValue changed = good;
            JsonValue* at = &changed;
            for (std::size_t i = 0; i + 1 < path.size(); ++i) {
                at = &(*at)[path[i]];
            }
            // Put in as text: some near misses are numbers no parser here reads.
            (*at)[path.back()] = "@miss@";
            std::string text = changed.dump();
            text.replace(text.find("\"@miss@\""), 8, miss);
            texts.push_back(std::move(text));
        }
        JsonValue without = good;
        JsonValue* at = &without;
        for (std::size_t i = 0; i + 1 < path.size(); ++i) {
            at = &(*at)[path[i]];
        }
        at->erase(path.back());
        texts.push_back(without.dump());
    };
    for (const auto& [key, value] : good.items()) {
        vary({key});
        if (value.is_object()) {
            for (const auto& [inner, unused] : value.items()) {
                vary({key, inner});
            }
        }
        // A key given twice: the last one counts, good or bad.
        const std::string body = std::string(goodCommand).substr(1);
        texts.push_back("{\"" + key + "\":\"bad\"," + body);
        texts.push_back(std::string(goodCommand).substr(0, std::string(goodCommand).size() - 1) +
                        ",\"" + key + "\":\"bad\"}");
    }
    texts.push_back(std::string(goodCommand).substr(0, std::string(goodCommand).size() - 1) +
                    ",\"unknown\":[1,{\"a\":null}]}");
    return texts;
}

std::string describeCommand(const std::optional<ZoneCommand>& command) {
    return command ? CommandJson::encode(*command).dump() : "(refused)";
}

std::optional<ZoneCommand> readStrictly(const JsonValue& value) {
    try {
        return CommandJson::readCommand(JsonReader(value, ""));
    } catch (const JsonDecodeError&) {
        return std::nullopt;
    }
}

std::optional<ZoneCommand> readFast(std::string_view text) {
    rapidjson::Document document;
    constexpr unsigned flags =
        rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag;
    if (document.Parse<flags>(text.data(), text.size()).HasParseError()) {
        return std::nullopt;
    }
    try {
        return CommandReading::command(RapidReader(document));
    } catch (const RapidReader::Mismatch&) {
        return std::nullopt;
    }
}

// Every object inside a value, the value itself included: each one could be a command.
void forEachObject(const JsonValue& value, const auto& visit) {
    if (value.is_object()) {
        visit(value);
    }
    if (value.is_structured()) {
        for (const JsonValue& inner : value) {
            forEachObject(inner, visit);
        }
    }
}

// The usual parser's value with its number kinds spelled out, so that 1 and 1.0 differ.
std::string withKinds(const JsonValue& value) {
    if (value.is_number_unsigned()) {
        return "u" + value.dump();
    }
    if (value.is_number_integer()) {
        return "i" + value.dump();
    }
    if (value.is_number_float()) {
        return "f" + value.dump();
    }
    if (!value.is_structured()) {
        return value.dump();
    }
    std::string text = value.is_object() ? "{" : "[";
    for (const auto& [key, inner] : value.items()) {
        text += (value.is_object() ? key + ":" : "") + withKinds(inner) + ",";
    }
    return text + (value.is_object() ? "}" : "]");
}

struct Inputs {
    std::vector<std::string> texts;
    Inputs() : texts(storedInputs()) {
        std::vector<std::string> made = madeFromGoodCommand();
        texts.insert(texts.end(), made.begin(), made.end());
    }
};

const Inputs& inputs() {
    static const Inputs all;
    return all;
}

} // namespace

TEST(JsonReadersAgreeTest, TheFastParserBuildsTheValueTheUsualParserBuildsOrNone) {
    ASSERT_GT(inputs().texts.size(), 300u);
    int fastlyRead = 0;
    for (const std::string& text : inputs().texts) {
        const std::optional<JsonValue> fast = FastJson::parse(text);
        const JsonValue strict = JsonValue::parse(text, nullptr, false);
        if (!fast) {
            continue;
        }
        ++fastlyRead;
        ASSERT_FALSE(strict.is_discarded()) << "read fast, refused by the usual parser: " << text;
        EXPECT_EQ(withKinds(*fast), withKinds(strict)) << text;
    }
    EXPECT_GT(fastlyRead, 100);
}

TEST(JsonReadersAgreeTest, TheFastCommandReaderAcceptsAndRefusesWhatTheStrictOneDoes) {
    int accepted = 0;
    int refused = 0;
    for (const std::string& text : inputs().texts) {
        const JsonValue value = JsonValue::parse(text, nullptr, false);
        if (value.is_discarded()) {
            EXPECT_FALSE(readFast(text)) << "read fast, no JSON: " << text;
            continue;
        }
        forEachObject(value, [&](const JsonValue& object) {
            const std::optional<ZoneCommand> strict = readStrictly(object);
            const std::optional<ZoneCommand> fast =
                &object == &value ? readFast(text) : readFast(object.dump());
            (strict ? accepted : refused) += 1;
            EXPECT_EQ(describeCommand(fast), describeCommand(strict)) << object.dump();
        });
    }
    EXPECT_GT(accepted, 100);
    EXPECT_GT(refused, 200);
}
