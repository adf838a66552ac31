#include "control/HotKeyManager.h"

#include "base/Log.h"
#include "base/ManualScheduler.h"
#include "model/StockCommands.h"
#include "platform/sim/SimShortcuts.h"

#include <gtest/gtest.h>

namespace panemark {
namespace {

constexpr std::uint32_t hyper = KeyEvent::control | KeyEvent::option | KeyEvent::command;
constexpr std::uint32_t leftArrow = 123;

class HotKeyManagerTest : public ::testing::Test {
protected:
    void registerStock() {
        manager.registerCommands(stockCommands(), [this](const ZoneCommand& command) {
            ran.push_back(command.autoLabel());
        });
    }

    SimShortcuts keyboard;
    ManualScheduler mainLoop;
    Log::Capture log;
    HotKeyManager manager{keyboard, mainLoop};
    std::vector<std::string> ran;
};

TEST_F(HotKeyManagerTest, ABoundPressIsSwallowedAndItsHandlerRunsOnTheLoopAfterward) {
    registerStock();
    EXPECT_TRUE(keyboard.press(leftArrow, hyper));
    EXPECT_TRUE(ran.empty()); // not inside the desktop's callback
    mainLoop.runDue();
    EXPECT_EQ(ran, (std::vector<std::string>{"Left half"}));
    EXPECT_EQ(keyboard.bindings().size(), 7u);
}

TEST_F(HotKeyManagerTest, OnlyExactlyBoundCombinationsMatch) {
    registerStock();
    EXPECT_FALSE(keyboard.press(leftArrow, hyper | KeyEvent::shift)); // ⌃⌥⇧⌘← is another key
    EXPECT_FALSE(keyboard.press(leftArrow, KeyEvent::control | KeyEvent::option));
    EXPECT_FALSE(keyboard.press(leftArrow, KeyEvent::shift)); // never looked up
    EXPECT_FALSE(keyboard.press(leftArrow, 0));
    EXPECT_FALSE(keyboard.press(0, hyper)); // ⌃⌥⌘A is not bound
    // Caps lock, keypad and function flags do not prevent a match.
    EXPECT_TRUE(keyboard.press(leftArrow, hyper | KeyEvent::capsLock | KeyEvent::numericPad |
                                              KeyEvent::function));
    mainLoop.runDue();
    EXPECT_EQ(ran.size(), 1u);
}

TEST_F(HotKeyManagerTest, AHeldKeyRunsItsCommandOnceAndItsRepeatsAreSwallowed) {
    registerStock();
    EXPECT_TRUE(keyboard.press(leftArrow, hyper));
    EXPECT_TRUE(keyboard.press(leftArrow, hyper, true));
    EXPECT_TRUE(keyboard.press(leftArrow, hyper, true));
    mainLoop.runDue();
    EXPECT_EQ(ran.size(), 1u);
}

TEST_F(HotKeyManagerTest, OfCommandsSharingAShortcutTheLastFiresAndEachExtraIsLogged) {
    std::vector<ZoneCommand> commands = stockCommands();
    commands[0].shortcut = commands[3].shortcut; // Left third on ⌃⌥⌘←
    commands[1].shortcut = commands[3].shortcut; // Center third too
    manager.registerCommands(
        commands, [this](const ZoneCommand& command) { ran.push_back(command.autoLabel()); });
    const std::string line =
        "Panemark: shortcut ⌃⌥⌘← is assigned to more than one command — only one of them will fire";
    EXPECT_EQ(log.lines(), (std::vector<std::string>{line, line}));
    keyboard.press(leftArrow, hyper);
    mainLoop.runDue();
    EXPECT_EQ(ran, (std::vector<std::string>{"Left half"}));
}

TEST_F(HotKeyManagerTest, ReplacingTheListMakesTheNewShortcutsWorkAtOnce) {
    registerStock();
    std::vector<ZoneCommand> commands = stockCommands();
    commands.resize(1);
    commands[0].shortcut = Shortcut{0, Shortcut::controlMask}; // ⌃A only
    manager.registerCommands(
        commands, [this](const ZoneCommand& command) { ran.push_back(command.autoLabel()); });
    EXPECT_FALSE(keyboard.press(leftArrow, hyper)); // no longer bound
    EXPECT_TRUE(keyboard.press(0, KeyEvent::control));
    mainLoop.runDue();
    EXPECT_EQ(ran, (std::vector<std::string>{"Left third"}));
    EXPECT_EQ(keyboard.boundShortcuts(),
              (std::vector<Shortcut>{Shortcut{0, Shortcut::controlMask}}));
}

TEST_F(HotKeyManagerTest, BindingsAreNamedByTheirCommandAndRenamingOrReorderingKeepsTheKeys) {
    std::vector<ZoneCommand> commands = stockCommands();
    manager.registerCommands(commands, [](const ZoneCommand&) {});
    ASSERT_EQ(keyboard.bindings()[3].name, commands[3].id.toString()); // ⌃⌥⌘←
    commands[3].name = "Mine";
    commands[4].cols = 5;
    manager.registerCommands(commands, [](const ZoneCommand&) {});
    EXPECT_EQ(keyboard.bindingSets.size(), 1u);
    // The halves trade ⌃⌥⌘← and ⌃⌥⌘→: the bindings' names change, the held keys do not.
    std::swap(commands[3].shortcut, commands[4].shortcut);
    manager.registerCommands(commands, [](const ZoneCommand&) {});
    EXPECT_EQ(keyboard.bindingSets.size(), 2u);
    EXPECT_TRUE(keyboard.released.empty());
    EXPECT_EQ(keyboard.taken.size(), 7u); // only the first set's
}

TEST_F(HotKeyManagerTest, AListWithoutShortcutsLetsEveryKeyGo) {
    registerStock();
    std::vector<ZoneCommand> unbound = stockCommands();
    for (ZoneCommand& command : unbound) {
        command.shortcut.reset();
    }
    manager.registerCommands(unbound, [](const ZoneCommand&) {});
    EXPECT_TRUE(keyboard.bindings().empty());
    EXPECT_EQ(keyboard.released.size(), 7u);
    EXPECT_FALSE(keyboard.press(leftArrow, hyper));
    EXPECT_EQ(mainLoop.pendingCount(), 0u);
}

TEST_F(HotKeyManagerTest, CommandsRepeatingAnIdStillGetBindingsOfTheirOwn) {
    std::vector<ZoneCommand> commands = stockCommands();
    commands[4].id = commands[3].id; // a hand-edited file
    manager.registerCommands(
        commands, [this](const ZoneCommand& command) { ran.push_back(command.autoLabel()); });
    EXPECT_NE(keyboard.bindings()[0].name, keyboard.bindings()[1].name);
    keyboard.press(124, hyper); // ⌃⌥⌘→
    mainLoop.runDue();
    EXPECT_EQ(ran, (std::vector<std::string>{"Right half"}));
}

TEST(HotKeyManagerLifetimeTest, HandlersQueuedBeforeTheManagerWentAwayDoNothing) {
    SimShortcuts keyboard;
    ManualScheduler mainLoop;
    int runs = 0;
    {
        HotKeyManager manager(keyboard, mainLoop);
        manager.registerCommands(stockCommands(), [&](const ZoneCommand&) { ++runs; });
        keyboard.press(leftArrow, hyper);
    }
    EXPECT_FALSE(keyboard.press(leftArrow, hyper)); // nobody listens any more
    mainLoop.runDue();
    EXPECT_EQ(runs, 0);
}

} // namespace
} // namespace panemark
