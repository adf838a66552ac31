#include "core/HotKeyManager.h"

#include "model/StockCommands.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimKeyboard.h"
#include "runtime/Log.h"
#include "runtime/ManualScheduler.h"

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

    SimDesktop desktop;
    SimKeyboard keyboard;
    ManualScheduler mainLoop;
    Log::Capture log;
    HotKeyManager manager{desktop, keyboard, mainLoop};
    std::vector<std::string> ran;
};

TEST_F(HotKeyManagerTest, ABoundPressIsSwallowedAndItsHandlerRunsOnTheLoopAfterward) {
    registerStock();
    EXPECT_EQ(manager.state(), HotKeyManager::State::armed);
    EXPECT_TRUE(keyboard.press(leftArrow, hyper));
    EXPECT_TRUE(ran.empty()); // not inside the tap's callback
    mainLoop.runDue();
    EXPECT_EQ(ran, (std::vector<std::string>{"Left half"}));
    EXPECT_EQ(keyboard.grabbedShortcuts().size(), 7u);
}

TEST_F(HotKeyManagerTest, OnlyExactlyBoundCombinationsMatch) {
    registerStock();
    EXPECT_FALSE(keyboard.press(leftArrow, hyper | KeyEvent::shift)); // ⌃⌥⇧⌘← is another key
    EXPECT_FALSE(keyboard.press(leftArrow, KeyEvent::control | KeyEvent::option));
    EXPECT_FALSE(keyboard.press(leftArrow, KeyEvent::shift)); // never looked up
    EXPECT_FALSE(keyboard.press(leftArrow, 0));
    EXPECT_FALSE(keyboard.press(0, hyper)); // ⌃⌥⌘A is not bound
    EXPECT_FALSE(keyboard.release(leftArrow, hyper));
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

TEST_F(HotKeyManagerTest, ReplacingTheListKeepsTheTapAndTheNewShortcutsWorkAtOnce) {
    registerStock();
    std::vector<ZoneCommand> commands = stockCommands();
    commands.resize(1);
    commands[0].shortcut = Shortcut{0, Shortcut::controlMask}; // ⌃A only
    manager.registerCommands(
        commands, [this](const ZoneCommand& command) { ran.push_back(command.autoLabel()); });
    EXPECT_EQ(keyboard.tapsCreated(), 1);
    EXPECT_FALSE(keyboard.press(leftArrow, hyper)); // no longer bound
    EXPECT_TRUE(keyboard.press(0, KeyEvent::control));
    mainLoop.runDue();
    EXPECT_EQ(ran, (std::vector<std::string>{"Left third"}));
    EXPECT_EQ(keyboard.grabbedShortcuts(),
              (std::vector<Shortcut>{Shortcut{0, Shortcut::controlMask}}));
}

TEST_F(HotKeyManagerTest, AListWithoutShortcutsRemovesTheTapAndStopsRetrying) {
    desktop.setTrusted(false);
    registerStock();
    EXPECT_EQ(manager.state(), HotKeyManager::State::waiting);
    std::vector<ZoneCommand> unbound = stockCommands();
    for (ZoneCommand& command : unbound) {
        command.shortcut.reset();
    }
    manager.registerCommands(unbound, [](const ZoneCommand&) {});
    EXPECT_EQ(manager.state(), HotKeyManager::State::idle);
    EXPECT_EQ(mainLoop.pendingCount(), 0u);

    desktop.setTrusted(true);
    registerStock();
    manager.registerCommands(unbound, [](const ZoneCommand&) {});
    EXPECT_FALSE(keyboard.hasTap());
    EXPECT_FALSE(keyboard.press(leftArrow, hyper));
}

TEST_F(HotKeyManagerTest, WithoutTrustItWaitsSilentlyAndArmsWithinTwoSecondsOfTheGrant) {
    desktop.setTrusted(false);
    registerStock();
    EXPECT_EQ(manager.state(), HotKeyManager::State::waiting);
    mainLoop.advance(6);
    EXPECT_FALSE(keyboard.hasTap());
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(desktop.trustPromptCount(), 0); // the controller prompts, not the manager
    desktop.setTrusted(true);
    mainLoop.advance(2);
    EXPECT_EQ(manager.state(), HotKeyManager::State::armed);
    EXPECT_EQ(mainLoop.pendingCount(), 0u);
}

TEST_F(HotKeyManagerTest, FailedTapsAreLoggedEachTimeAndRetried) {
    keyboard.failNextTaps = KeyTapProvider::Failure::tap;
    registerStock();
    mainLoop.advance(2);
    keyboard.failNextTaps = KeyTapProvider::Failure::runLoopSource;
    mainLoop.advance(2);
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{
                  "Panemark: failed to create event tap (Accessibility permission missing?)",
                  "Panemark: failed to create event tap (Accessibility permission missing?)",
                  "Panemark: failed to create run loop source for event tap",
              }));
    EXPECT_EQ(manager.state(), HotKeyManager::State::waiting);
    keyboard.failNextTaps.reset();
    mainLoop.advance(2);
    EXPECT_EQ(manager.state(), HotKeyManager::State::armed);
}

TEST_F(HotKeyManagerTest, WithoutInputMonitoringItArmsAndRebuildsTheTapOnceGranted) {
    keyboard.inputMonitoringGranted = false;
    registerStock();
    EXPECT_EQ(manager.state(), HotKeyManager::State::armedAwaitingInputMonitoring);
    EXPECT_EQ(keyboard.inputMonitoringRequests, 1);
    mainLoop.advance(4);
    EXPECT_EQ(keyboard.tapsCreated(), 1); // nothing changes while it is still refused
    keyboard.inputMonitoringGranted = true;
    mainLoop.advance(2);
    EXPECT_EQ(keyboard.tapsCreated(), 2);
    EXPECT_EQ(manager.state(), HotKeyManager::State::armed);
    EXPECT_TRUE(keyboard.press(leftArrow, hyper));
}

TEST_F(HotKeyManagerTest, ATapTheSystemSwitchesOffIsSwitchedBackOnAtOnce) {
    registerStock();
    keyboard.disableTap(KeyTapEvent::Kind::disabledByUserInput);
    EXPECT_TRUE(keyboard.tapEnabled());
    EXPECT_TRUE(keyboard.press(leftArrow, hyper));
    EXPECT_TRUE(log.lines().empty());
}

TEST(HotKeyManagerLifetimeTest, HandlersQueuedBeforeTheManagerWentAwayDoNothing) {
    SimDesktop desktop;
    SimKeyboard keyboard;
    ManualScheduler mainLoop;
    int runs = 0;
    {
        HotKeyManager manager(desktop, keyboard, mainLoop);
        manager.registerCommands(stockCommands(), [&](const ZoneCommand&) { ++runs; });
        keyboard.press(leftArrow, hyper);
    }
    EXPECT_FALSE(keyboard.hasTap());
    mainLoop.runDue();
    EXPECT_EQ(runs, 0);
}

} // namespace
} // namespace panemark
