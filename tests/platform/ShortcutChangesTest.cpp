// The one rule by which every desktop hears of a new set of shortcuts: a binding is its name and
// its combination, and a combination bound before and after is never let go.
#include "platform/ShortcutChanges.h"

#include "platform/sim/SimShortcuts.h"

#include <gtest/gtest.h>

using namespace panemark;

namespace {

constexpr std::uint32_t hyper =
    Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask;
const Shortcut left{123, hyper};
const Shortcut right{124, hyper};
const Shortcut up{126, hyper};

std::vector<std::string> names(const std::vector<ShortcutBinding>& bindings) {
    std::vector<std::string> names;
    for (const ShortcutBinding& binding : bindings) {
        names.push_back(binding.name + "=" + binding.shortcut.displayString());
    }
    return names;
}

using Names = std::vector<std::string>;
using Shortcuts = std::vector<Shortcut>;

} // namespace

TEST(ShortcutChangesTest, AChangedCombinationIsLetGoAndTakenUnderItsName) {
    const auto changes = ShortcutChanges::between({{"a", left, "Left"}, {"b", up, "Up"}},
                                                  {{"a", right, "Left"}, {"b", up, "Up"}});
    EXPECT_EQ(names(changes.letGo), Names{"a=" + left.displayString()});
    EXPECT_EQ(names(changes.take), Names{"a=" + right.displayString()});
    EXPECT_EQ(changes.combinationsLetGo, Shortcuts{left});
    EXPECT_EQ(changes.combinationsTaken, Shortcuts{right});
    EXPECT_TRUE(changes.relabelled.empty());
}

TEST(ShortcutChangesTest, ACombinationThatPassesToAnotherBindingStaysHeld) {
    // Moved from one command to another, and two commands swapping their keys.
    for (const auto& [before, after] :
         std::vector<std::pair<std::vector<ShortcutBinding>, std::vector<ShortcutBinding>>>{
             {{{"a", left, "A"}}, {{"c", left, "C"}}},
             {{{"a", left, "A"}, {"b", right, "B"}}, {{"a", right, "A"}, {"b", left, "B"}}}}) {
        const auto changes = ShortcutChanges::between(before, after);
        EXPECT_EQ(changes.letGo.size(), before.size());
        EXPECT_EQ(changes.take.size(), after.size());
        EXPECT_TRUE(changes.combinationsLetGo.empty()) << names(after)[0];
        EXPECT_TRUE(changes.combinationsTaken.empty()) << names(after)[0];
    }
}

TEST(ShortcutChangesTest, ARenameMovesNoKeyAndTheSameSetAsksNothing) {
    const std::vector<ShortcutBinding> set{{"a", left, "Left"}, {"b", up, "Up"}};
    EXPECT_TRUE(ShortcutChanges::between(set, set).empty());
    const auto renamed = ShortcutChanges::between(set, {{"a", left, "West"}, {"b", up, "Up"}});
    EXPECT_TRUE(renamed.letGo.empty() && renamed.take.empty());
    ASSERT_EQ(renamed.relabelled.size(), 1u);
    EXPECT_EQ(renamed.relabelled[0].label, "West");
    // The order of the set is not a change.
    EXPECT_TRUE(ShortcutChanges::between(set, {set[1], set[0]}).empty());
}

TEST(ShortcutChangesTest, TheBackendHearsOnlyOfChangesAndKnowsTheNewSet) {
    SimShortcuts shortcuts;
    shortcuts.setBindings({{"a", left, "Left"}});
    shortcuts.setBindings({{"a", left, "Left"}});
    EXPECT_EQ(shortcuts.bindingSets.size(), 1u);
    shortcuts.setBindings({{"a", left, "West"}});
    EXPECT_EQ(shortcuts.bindingSets.size(), 1u);
    ASSERT_EQ(shortcuts.relabelledSets.size(), 1u);
    EXPECT_EQ(shortcuts.bindings()[0].label, "West");
    ASSERT_NE(shortcuts.bindingNamed("a"), nullptr);
    EXPECT_EQ(shortcuts.bindingNamed("b"), nullptr);
}
