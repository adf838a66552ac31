#include "control/AppController.h"

#include "../support/Printers.h"
#include "base/Log.h"
#include "base/ManualScheduler.h"
#include "model/StockCommands.h"
#include "platform/sim/SimPlatform.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace panemark {
namespace {

constexpr std::uint32_t hyper = KeyEvent::control | KeyEvent::option | KeyEvent::command;

// The controller on a simulated desktop with one 1000 × 800 screen (no bars) and one window.
class AppControllerTest : public ::testing::Test {
protected:
    AppControllerTest() {
        desktop.setScreens({Screen{{0, 0, 1000, 800}, {0, 0, 1000, 800}, 1, "Screen", true, "S"}});
        desktop.removeWindow(WindowRef{1}); // the simulated platform's own window
        window = desktop.addWindow({.frame = {100, 100, 300, 200}});
        desktop.focus(window);
    }

    std::unique_ptr<AppController>
    makeController(std::vector<ZoneCommand> commands = stockCommands()) {
        auto queue = std::make_unique<ManualScheduler>();
        animatorQueue = queue.get();
        auto animator = std::make_unique<WindowAnimator>(desktop, std::move(queue),
                                                         std::make_unique<ManualScheduler>());
        auto controller = std::make_unique<AppController>(platform, preferences, mainLoop,
                                                          std::move(animator), std::move(commands));
        controller->config().setAnimateWindows(false);
        return controller;
    }

    // A key press all the way to the window: the handler on the main loop, the write on the queue.
    void press(std::uint32_t keyCode) {
        keyboard.press(keyCode, hyper);
        mainLoop.runDue();
        animatorQueue->runDue();
    }

    std::filesystem::path preferencesFile =
        std::filesystem::temp_directory_path() /
        ("panemark-controller-" + std::to_string(getpid()) + ".conf");
    PreferencesStore preferences{preferencesFile.string()};
    SimPlatform platform;
    SimDesktop& desktop = platform.desktop();
    SimShortcuts& keyboard = platform.simShortcuts();
    ManualScheduler mainLoop;
    ManualScheduler* animatorQueue = nullptr;
    WindowRef window;

    ~AppControllerTest() override { std::filesystem::remove(preferencesFile); }
};

TEST_F(AppControllerTest, ADesktopThatRefusesPanemarkIsReportedOnceAtStart) {
    Log::Capture log;
    platform.desktopAccess = {false, "GNOME Shell has not enabled Panemark's extension.",
                              "Enable it in Extensions."};
    auto controller = makeController();
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "Panemark: GNOME Shell has not enabled Panemark's extension. "
                               "Enable it in Extensions."}));
}

TEST_F(AppControllerTest, AProfileThatFitsTheHardwareAtStartIsTheOneFirstBound) {
    const std::filesystem::path data =
        std::filesystem::temp_directory_path() / ("panemark-launch-" + std::to_string(getpid()));
    Profile standard{Uuid::random(), "Default", stockCommands(), 0, {}};
    Profile desk{Uuid::random(), "Desk", {stockCommands()[3]}, 0, {}};
    desk.commands[0].shortcut =
        Shortcut{2, Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask}; // ⌃⌥⌘D
    desk.trigger.displayUUIDs = {"EXTERNAL"};
    {
        ProfileFileStore store(data.string());
        store.saveProfile(standard);
        store.saveProfile(desk);
        store.saveIndex(ProfileIndex{1, standard.id, {standard.id, desk.id}, true});
    }
    desktop.setScreens(
        {Screen{{0, 0, 1000, 800}, {0, 0, 1000, 800}, 1, "Built-in", true, "S"},
         Screen{{1000, 0, 1000, 800}, {1000, 0, 1000, 800}, 2, "Desk", false, "EXTERNAL"}});
    auto queue = std::make_unique<ManualScheduler>();
    auto controller = std::make_unique<AppController>(
        platform, preferences, mainLoop,
        std::make_unique<WindowAnimator>(desktop, std::move(queue),
                                         std::make_unique<ManualScheduler>()),
        ProfileFileStore(data.string()));
    EXPECT_EQ(controller->profiles().activeProfile().name, "Desk");
    // The very first grab is the switched-to profile's: the stock shortcuts were never taken.
    ASSERT_FALSE(keyboard.bindingSets.empty());
    EXPECT_EQ(keyboard.taken, std::vector<Shortcut>{*desk.commands[0].shortcut});
    controller.reset();
    std::filesystem::remove_all(data);
}

TEST_F(AppControllerTest, APressedShortcutMovesTheFocusedWindow) {
    auto controller = makeController();
    press(124); // ⌃⌥⌘→
    EXPECT_EQ(desktop.frameOf(window), (Rect{500, 0, 500, 800}));
}

TEST_F(AppControllerTest, ACommandWithNothingToMoveBeepsWhereTheDesktopHasABell) {
    auto controller = makeController();
    desktop.removeWindow(window); // nothing has the focus
    press(124);
    EXPECT_EQ(desktop.beepCount(), 1);
    // A Wayland desktop gives its clients no bell: the command is refused in silence.
    controller.reset();
    platform.lacks.bell = true;
    controller = makeController();
    press(124);
    press(123);
    EXPECT_EQ(desktop.beepCount(), 1);
    desktop.focus(desktop.addWindow({.frame = {100, 100, 300, 200}}));
    press(124); // and the next works
    EXPECT_EQ(desktop.frameOf(*desktop.focusedWindow(0)), (Rect{500, 0, 500, 800}));
}

TEST_F(AppControllerTest, RunPicksFixedSizeThenMaximizeThenHalfStepThenGrid) {
    auto controller = makeController();
    ZoneCommand command = stockCommands()[0];
    command.halfAction = HalfAction::bottom;
    command.maximize = false;
    controller->run(command); // a half-step: cut to the bottom half, keeping x and width
    animatorQueue->runDue();
    EXPECT_EQ(desktop.frameOf(window), (Rect{100, 400, 300, 400}));
    command.maximize = true;
    command.fixedSize = FixedSizeSpec{400, 200};
    controller->run(command);
    animatorQueue->runDue();
    EXPECT_EQ(desktop.frameOf(window), (Rect{300, 300, 400, 200}));
}

TEST_F(AppControllerTest, ANewCommandListIsRegisteredAtOnceAndOldShortcutsStop) {
    auto controller = makeController();
    std::vector<ZoneCommand> commands = stockCommands();
    commands.erase(commands.begin() + 3); // no more ⌃⌥⌘←
    controller->profiles().editCommands(commands);
    EXPECT_FALSE(keyboard.press(123, hyper));
    EXPECT_TRUE(keyboard.press(124, hyper));
}

TEST_F(AppControllerTest, EditingANameGridOrGapTouchesNoGrabAndANewShortcutSwapsOne) {
    auto controller = makeController();
    ASSERT_EQ(keyboard.bindingSets.size(), 1u);
    std::vector<ZoneCommand> commands = controller->profiles().commands.get();
    commands[0].name = "Renamed";
    commands[1].cols = 4;
    controller->profiles().editCommands(commands);
    controller->profiles().editGap(12);
    EXPECT_EQ(keyboard.bindingSets.size(), 1u); // no combination is let go or taken
    // Only the new name, for desktops that list shortcuts.
    ASSERT_EQ(keyboard.relabelledSets.size(), 1u);
    EXPECT_EQ(keyboard.relabelledSets[0][0].label, "Renamed");

    keyboard.taken.clear();
    const Shortcut old = *commands[2].shortcut;
    commands[2].shortcut = Shortcut{2, old.modifiers}; // ⌃⌥⌘D instead of ⌃⌥⌘3
    controller->profiles().editCommands(commands);
    ASSERT_EQ(keyboard.bindingSets.size(), 2u);
    EXPECT_EQ(keyboard.released, std::vector<Shortcut>{old});
    EXPECT_EQ(keyboard.taken, std::vector<Shortcut>{*commands[2].shortcut});
    EXPECT_TRUE(keyboard.press(2, hyper));
}

TEST_F(AppControllerTest, TheGapAndAnimationAreReadAfreshOnEveryRun) {
    auto controller = makeController();
    controller->profiles().editGap(10);
    press(123); // ⌃⌥⌘←
    EXPECT_EQ(desktop.frameOf(window), (Rect{10, 10, 485, 780}));

    controller->config().setAnimateWindows(true);
    press(124);
    EXPECT_EQ(animatorQueue->pendingCount(), 1u); // an animation's frame timer
    animatorQueue->advance(1);
    EXPECT_EQ(desktop.frameOf(window), (Rect{505, 10, 485, 780}));
}

} // namespace
} // namespace panemark
