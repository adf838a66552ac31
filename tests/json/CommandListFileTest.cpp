#include "json/CommandListFile.h"

#include "model/StockCommands.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace panemark {
namespace {

const std::string command =
    R"({"id":"5E1A2B3C-4D5E-4F60-8A7B-9C0D1E2F3A4B","name":"","cols":2,"rows":1,"ordering":"reading",)"
    R"("colStart":1,"colEnd":1,"rowStart":0,"rowEnd":0})";

std::string errorOf(std::string_view text) {
    auto result = CommandListFile::parse(text);
    return result ? "parsed" : result.error();
}

TEST(CommandListFileTest, AcceptsAnObjectAnArrayOrObjectsOneAfterAnother) {
    EXPECT_EQ(CommandListFile::parse(command).value().size(), 1u);
    EXPECT_EQ(CommandListFile::parse("[" + command + "," + command + "]").value().size(), 2u);
    EXPECT_EQ(CommandListFile::parse(command + "\n" + command + "\n\n" + command).value().size(),
              3u);
    EXPECT_EQ(CommandListFile::parse("\xEF\xBB\xBF  " + command).value().size(), 1u);
    EXPECT_TRUE(CommandListFile::parse("").value().empty());
    EXPECT_TRUE(CommandListFile::parse(" []\n").value().empty());
}

TEST(CommandListFileTest, UnknownKeysOfAnySizeAreIgnoredAndElementsSplitWhereTheyEnd) {
    std::string padded = command;
    std::string extra;
    for (int i = 0; i < 20000; ++i) {
        extra += R"("x)" + std::to_string(i) + R"(":[1,{"y":"],}"}],)";
    }
    padded.insert(1, extra + R"("shortcut":{"keyCode":18,"junk":[1,2],"modifiers":4096},)");
    auto parsed = CommandListFile::parse("[" + padded + ", " + command + "]");
    ASSERT_TRUE(parsed) << parsed.error();
    ASSERT_EQ(parsed.value().size(), 2u);
    EXPECT_EQ(parsed.value()[0].shortcut, (Shortcut{18, 4096}));
    EXPECT_EQ(parsed.value()[0].colStart, 1);
    EXPECT_EQ(parsed.value()[1], CommandListFile::parse(command).value()[0]);

    // Known keys still say what is wrong with them, nested or not.
    std::string listed = command;
    listed.replace(listed.find(R"("cols":2)"), 8, R"("cols":[2,3])");
    EXPECT_EQ(errorOf(listed), "[0].cols: expected an integer, found an array");
}

TEST(CommandListFileTest, FormatRoundTripsByteForByte) {
    const std::string text = CommandListFile::format(stockCommands());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7);
    auto parsed = CommandListFile::parse(text);
    ASSERT_TRUE(parsed) << parsed.error();
    EXPECT_EQ(CommandListFile::format(parsed.value()), text);
}

TEST(CommandListFileTest, ErrorsNameTheElementAndKey) {
    std::string bad = command;
    bad.replace(bad.find("reading"), 7, "diagonal");
    EXPECT_EQ(errorOf("[" + command + "," + command + "," + bad + "]"),
              R"([2].ordering: "diagonal" is not one of reading, clockwise, counterClockwise)");
    EXPECT_EQ(errorOf(command + "\n" + bad),
              R"([1].ordering: "diagonal" is not one of reading, clockwise, counterClockwise)");
    EXPECT_EQ(errorOf("[" + command + ", 7]"), "[1]: expected a command object, found 7");
    EXPECT_EQ(errorOf("\n\n  42"),
              "line 3, column 3: expected a command object or an array of them, found 42");
}

TEST(CommandListFileTest, TextThatIsNotJsonIsPlacedByLineAndColumn) {
    EXPECT_EQ(errorOf(command + "\n{\"id\": tru}").substr(0, 38),
              "not valid JSON at line 2, column 11: s");
    EXPECT_NE(errorOf("[" + command).find("not valid JSON at line 1"), std::string::npos);
    // Elements that are missing are no JSON either, though every element there is a command.
    for (const std::string& gap :
         {"[" + command + ",]", "[," + command + "]", "[" + command + ",," + command + "]",
          "[" + command + " " + command + "]"}) {
        EXPECT_EQ(errorOf(gap).rfind("not valid JSON at line 1, column ", 0), 0u) << gap;
    }
    EXPECT_NE(errorOf(std::string("{\"name\":\"a\x01\"}")).find("not valid JSON"),
              std::string::npos);
    // Bytes that are not text at all: the position, without the parser's own words.
    EXPECT_EQ(errorOf("{\"name\":\"\xC3\x28\"}"),
              "not a JSON command file: binary data at line 1, column 10");
    EXPECT_EQ(errorOf(std::string("\0", 1)),
              "not a JSON command file: binary data at line 1, column 1");
    EXPECT_EQ(errorOf("\n 1e999"),
              "not valid JSON in the value at line 2, column 2: number overflow parsing '1e999'");
    EXPECT_EQ(errorOf("[1e999]").substr(0, 45), "not valid JSON in the value at line 1, column");
}

TEST(CommandListFileTest, DeepNestingIsRefusedBeforeParsing) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_EQ(errorOf(deep), "line 1, column 65: nested more than 64 levels deep");
    // Brackets inside strings do not count.
    std::string quoted = command;
    quoted.replace(quoted.find(R"("name":"")"), 9,
                   "\"name\":\"" + std::string(200, '[') + "\\\"\"");
    auto parsed = CommandListFile::parse(quoted);
    ASSERT_TRUE(parsed) << parsed.error();
    EXPECT_EQ(parsed.value()[0].name, std::string(200, '[') + "\"");
}

} // namespace
} // namespace panemark
