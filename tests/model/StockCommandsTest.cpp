#include "model/StockCommands.h"

#include "json/CommandJson.h"

#include <gtest/gtest.h>
#include <set>

namespace panemark {
namespace {

TEST(StockCommandsTest, SevenCommandsWithTheirLabelsAndShortcuts) {
    const std::vector<ZoneCommand> commands = stockCommands();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Left third", "⌃⌥⌘1"},
        {"Center third", "⌃⌥⌘2"},
        {"Right third", "⌃⌥⌘3"},
        {"Left half", "⌃⌥⌘←"},
        {"Right half", "⌃⌥⌘→"},
        {"Top half → full width", "⌃⌥⌘↑"},
        {"Bottom half → full width", "⌃⌥⌘↓"},
    };
    ASSERT_EQ(commands.size(), expected.size());
    for (std::size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(commands[i].displayName(), expected[i].first);
        EXPECT_EQ(commands[i].shortcut->displayString(), expected[i].second);
        EXPECT_EQ(commands[i].shortcut->modifiers, 6400u);
        EXPECT_EQ(commands[i].name, "");
        EXPECT_EQ(commands[i].ordering, Ordering::reading);
    }
    EXPECT_EQ(commands[6].gridSpan(), (GridSpan{1, 2, 0, 0, 1, 1}));
    EXPECT_EQ(commands[2].gridSpan(), (GridSpan{3, 1, 2, 2, 0, 0}));
}

TEST(StockCommandsTest, EveryCallGivesFreshDistinctIdsAndOtherwiseEqualCommands) {
    std::vector<ZoneCommand> first = stockCommands();
    std::vector<ZoneCommand> second = stockCommands();
    std::set<Uuid> ids;
    for (std::size_t i = 0; i < first.size(); ++i) {
        ids.insert(first[i].id);
        ids.insert(second[i].id);
        second[i].id = first[i].id;
    }
    EXPECT_EQ(ids.size(), 14u);
    EXPECT_EQ(first, second);
}

TEST(StockCommandsTest, EncodedFormCarriesShortcutsAndOnlyTheHalfStepsCarryHalfAction) {
    const std::vector<ZoneCommand> commands = stockCommands();
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const Json json = CommandJson::encode(commands[i]);
        EXPECT_TRUE(json.contains("shortcut"));
        EXPECT_EQ(json.contains("halfAction"), i >= 5);
        EXPECT_FALSE(json.contains("maximize"));
        EXPECT_FALSE(json.contains("fixedSize"));
    }
}

} // namespace
} // namespace panemark
