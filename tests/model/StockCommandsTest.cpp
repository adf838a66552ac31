#include "model/StockCommands.h"

#include "json/CommandJson.h"

#include <gtest/gtest.h>
#include <set>

namespace panemark {
namespace {

TEST(StockCommandsTest, EachHasAKeyOfItsOwnThatCanFireAndANameThatSaysWhereItGoes) {
    const std::vector<ZoneCommand> commands = stockCommands();
    std::set<std::pair<std::uint32_t, std::uint32_t>> keys;
    std::set<std::string> names;
    for (const ZoneCommand& command : commands) {
        ASSERT_TRUE(command.shortcut) << command.displayName();
        // Control, Alt and Super together: no application's own shortcut is taken away.
        EXPECT_EQ(command.shortcut->modifiers &
                      (Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask),
                  Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask);
        keys.insert({command.shortcut->keyCode, command.shortcut->modifiers});
        names.insert(command.displayName());
    }
    EXPECT_EQ(keys.size(), commands.size());
    EXPECT_EQ(names.size(), commands.size());
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

TEST(StockCommandsTest, TheyReadBackFromTheirStoredFormAsTheyWere) {
    for (const ZoneCommand& command : stockCommands()) {
        const Result<ZoneCommand> read =
            CommandJson::decodeCommand(JsonValue::parse(CommandJson::encode(command).dump()));
        ASSERT_TRUE(read) << read.error();
        EXPECT_EQ(read.value(), command);
    }
}

} // namespace
} // namespace panemark
