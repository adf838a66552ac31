#include "hardware/ProfileAutoSwitcher.h"

#include "base/ManualScheduler.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimKeyboardDevices.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace panemark {
namespace {

Screen screen(const std::string& uuid, bool builtIn, double x = 0) {
    return Screen{{x, 0, 1440, 900}, {x, 0, 1440, 875}, 1, uuid, builtIn, uuid};
}

// A manager with Default (manual), Desk (display DESK) and Alone (no external display).
class ProfileAutoSwitcherTest : public ::testing::Test {
protected:
    ProfileAutoSwitcherTest() {
        desktop.setScreens({screen("LAPTOP", true)});
        manager = std::make_unique<ProfileManager>(ProfileFileStore(base.string()), clock);
        desk = manager->createProfile("Desk", ProfileManager::NewProfileSeed::empty);
        manager->setTrigger({false, {"DESK"}, std::nullopt}, desk);
        alone = manager->createProfile("Alone", ProfileManager::NewProfileSeed::defaults);
        manager->setTrigger({true, {}, std::nullopt}, alone);
    }
    ~ProfileAutoSwitcherTest() override {
        switcher.reset();
        manager.reset();
        std::filesystem::remove_all(base);
    }

    void dock(bool docked) {
        desktop.setScreens(
            docked ? std::vector<Screen>{screen("LAPTOP", true), screen("DESK", false, 1440)}
                   : std::vector<Screen>{screen("LAPTOP", true)});
        desktop.announceScreensChanged();
        clock.advance(DisplayWatcher::debounce + 0.01);
    }
    void start() {
        switcher = std::make_unique<ProfileAutoSwitcher>(*manager, desktop, keyboards, clock);
    }

    std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("panemark-switcher-" + std::to_string(getpid()));
    ManualScheduler clock;
    SimDesktop desktop;
    SimKeyboardDevices keyboards;
    std::unique_ptr<ProfileManager> manager;
    std::unique_ptr<ProfileAutoSwitcher> switcher;
    Uuid desk, alone;
};

TEST_F(ProfileAutoSwitcherTest, TheLaunchAndEveryDockOrUndockPickTheFittingProfile) {
    start(); // the laptop alone: Alone fits at once, before any hot key is registered
    EXPECT_EQ(manager->activeProfileID.get(), alone);
    dock(true);
    EXPECT_EQ(manager->activeProfileID.get(), desk);
    EXPECT_TRUE(manager->commands.get().empty()); // Desk's commands are the working ones
    dock(false);
    EXPECT_EQ(manager->activeProfileID.get(), alone);
}

TEST_F(ProfileAutoSwitcherTest, NothingFittingOrSwitchingOffLeavesTheActiveProfile) {
    manager->setTrigger({}, alone); // now only Desk has a trigger
    start();
    const Uuid first = manager->activeProfileID.get();
    dock(true);
    EXPECT_EQ(manager->activeProfileID.get(), desk);
    dock(false);
    EXPECT_EQ(manager->activeProfileID.get(), desk); // no fallback

    manager->activate(first);
    manager->setAutoSwitchEnabled(false);
    dock(true);
    EXPECT_EQ(manager->activeProfileID.get(), first);
    manager->setAutoSwitchEnabled(true); // turning it on does not switch by itself
    EXPECT_EQ(manager->activeProfileID.get(), first);
}

} // namespace
} // namespace panemark
