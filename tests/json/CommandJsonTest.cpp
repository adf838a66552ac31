#include "json/CommandJson.h"

#include <gtest/gtest.h>

namespace panemark {
namespace {

const char* minimalCommand =
    R"({"id":"5e1a2b3c-4d5e-4f60-8a7b-9c0d1e2f3a4b","name":"","cols":2,"rows":1,"ordering":"reading",)"
    R"("colStart":1,"colEnd":1,"rowStart":0,"rowEnd":0})";

Json withKey(const char* key, Json value) {
    Json object = Json::parse(minimalCommand);
    object[key] = std::move(value);
    return object;
}

Json withoutKey(const char* key) {
    Json object = Json::parse(minimalCommand);
    object.erase(key);
    return object;
}

std::string decodeError(const Json& value) {
    Result<ZoneCommand> result = CommandJson::decodeCommand(value);
    return result ? "decoded" : result.error();
}

TEST(CommandJsonTest, AbsentOptionalKeysDecodeAsAbsentAndAreLeftOutAgain) {
    Result<ZoneCommand> command = CommandJson::decodeCommand(Json::parse(minimalCommand));
    ASSERT_TRUE(command) << command.error();
    EXPECT_FALSE(command.value().shortcut || command.value().halfAction ||
                 command.value().maximize || command.value().fixedSize);
    EXPECT_EQ(command.value().autoLabel(), "Right half");
    // Upper-case id, keys in declaration order, nothing added.
    EXPECT_EQ(
        CommandJson::encode(command.value()).dump(),
        R"({"id":"5E1A2B3C-4D5E-4F60-8A7B-9C0D1E2F3A4B","name":"","cols":2,"rows":1,"ordering":"reading",)"
        R"("colStart":1,"colEnd":1,"rowStart":0,"rowEnd":0})");
}

TEST(CommandJsonTest, NullOptionalsAndUnknownKeysAreIgnored) {
    Json object = Json::parse(minimalCommand);
    object["shortcut"] = nullptr;
    object["fixedSize"] = nullptr;
    object["comment"] = {{"anything", {1, 2, 3}}};
    Result<ZoneCommand> command = CommandJson::decodeCommand(object);
    ASSERT_TRUE(command) << command.error();
    EXPECT_FALSE(command.value().shortcut);
    EXPECT_FALSE(command.value().fixedSize);
}

TEST(CommandJsonTest, EveryFieldRoundTripsIncludingExtremesAndKeyOrder) {
    ZoneCommand command;
    command.name = "Ünïcode \"quoted\" / tab\t";
    command.cols = std::numeric_limits<std::int64_t>::max();
    command.rows = std::numeric_limits<std::int64_t>::min();
    command.ordering = Ordering::counterClockwise;
    command.colStart = 7;
    command.colEnd = -3;
    command.rowStart = 0;
    command.rowEnd = 99;
    command.shortcut = Shortcut{4294967295u, 0x1900 | 0x10000};
    command.halfAction = HalfAction::bottom;
    command.maximize = false;
    command.fixedSize = FixedSizeSpec{-1, 8192};

    const Json encoded = CommandJson::encode(command);
    std::vector<std::string> keys;
    for (const auto& item : encoded.items()) {
        keys.push_back(item.key());
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"id", "name", "cols", "rows", "ordering", "colStart",
                                              "colEnd", "rowStart", "rowEnd", "shortcut",
                                              "halfAction", "maximize", "fixedSize"}));
    Result<ZoneCommand> decoded = CommandJson::decodeCommand(Json::parse(encoded.dump()));
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value(), command);
}

TEST(CommandJsonTest, RequiredKeysHaveNoDefaults) {
    for (const char* key :
         {"id", "name", "cols", "rows", "ordering", "colStart", "colEnd", "rowStart", "rowEnd"}) {
        EXPECT_EQ(decodeError(withoutKey(key)), std::string(key) + ": required key is missing");
    }
    EXPECT_EQ(decodeError(withKey("name", nullptr)), "name: expected a string, found null");
}

TEST(CommandJsonTest, WrongTypesAndValuesAreNamedWithTheirKey) {
    EXPECT_EQ(decodeError(withKey("ordering", "diagonal")),
              R"(ordering: "diagonal" is not one of reading, clockwise, counterClockwise)");
    EXPECT_EQ(decodeError(withKey("halfAction", "left")),
              R"(halfAction: "left" is not one of top, bottom)");
    EXPECT_EQ(decodeError(withKey("cols", "2")), "cols: expected an integer, found a string");
    EXPECT_EQ(decodeError(withKey("cols", 2.5)),
              "cols: expected a whole number in the signed 64-bit range, found 2.5");
    EXPECT_EQ(decodeError(withKey("rowEnd", Json::parse("9223372036854775808"))),
              "rowEnd: 9223372036854775808 is beyond the signed 64-bit range");
    EXPECT_EQ(decodeError(withKey("maximize", 1)), "maximize: expected true or false, found 1");
    EXPECT_EQ(decodeError(withKey("id", "not-a-uuid")),
              R"(id: "not-a-uuid" is not a UUID (8-4-4-4-12 hexadecimal digits))");
    EXPECT_EQ(
        decodeError(withKey("id", "{5e1a2b3c-4d5e-4f60-8a7b-9c0d1e2f3a4}")),
        R"(id: "{5e1a2b3c-4d5e-4f60-8a7b-9c0d1e2f3a4}" is not a UUID (8-4-4-4-12 hexadecimal digits))");
    EXPECT_EQ(decodeError(withKey("fixedSize", {{"width", 800}})),
              "fixedSize.height: required key is missing");
    EXPECT_EQ(decodeError(withKey("fixedSize", {1, 2})),
              "fixedSize: expected an object, found an array");
    EXPECT_EQ(decodeError(Json::array()), "expected a command object, found an array");
}

TEST(CommandJsonTest, ShortcutValuesMustFitAnUnsigned32BitInteger) {
    EXPECT_EQ(decodeError(withKey("shortcut", {{"keyCode", 123}})),
              "shortcut.modifiers: required key is missing");
    EXPECT_EQ(decodeError(withKey("shortcut", {{"keyCode", -1}, {"modifiers", 0}})),
              "shortcut.keyCode: -1 is not a whole number from 0 to 4294967295");
    EXPECT_EQ(decodeError(withKey("shortcut", {{"keyCode", 4294967296}, {"modifiers", 0}})),
              "shortcut.keyCode: 4294967296 is not a whole number from 0 to 4294967295");
    EXPECT_EQ(decodeError(withKey("shortcut", {{"keyCode", 1}, {"modifiers", true}})),
              "shortcut.modifiers: expected an integer, found true");

    Result<Shortcut> shortcut =
        CommandJson::decodeShortcut(Json::parse(R"({"modifiers":6400,"keyCode":123,"x":0})"));
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut.value(), (Shortcut{123, 6400}));
    EXPECT_EQ(CommandJson::encode(shortcut.value()).dump(), R"({"keyCode":123,"modifiers":6400})");
}

TEST(CommandJsonTest, LongOrOddStringsAreQuotedSafelyInErrors) {
    const std::string error = decodeError(withKey("ordering", std::string(500, 'x') + "\n"));
    EXPECT_LT(error.size(), 140u);
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

} // namespace
} // namespace panemark
