#include "base/Log.h"
#include "base/ManualScheduler.h"
#include "hardware/DisplayWatcher.h"
#include "hardware/HIDKeyboardWatcher.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimKeyboardDevices.h"

#include <gtest/gtest.h>

namespace panemark {
namespace {

Screen screen(const std::string& uuid, bool builtIn, double x = 0, double width = 1440) {
    return Screen{{x, 0, width, 900}, {x, 0, width, 875}, 1, uuid, builtIn, uuid};
}

class DisplayWatcherTest : public ::testing::Test {
protected:
    DisplayWatcherTest() { desktop.setScreens({screen("LAPTOP", true)}); }

    void plug(std::vector<Screen> screens) {
        desktop.setScreens(std::move(screens));
        desktop.announceScreensChanged();
    }

    SimDesktop desktop;
    ManualScheduler clock;
};

TEST_F(DisplayWatcherTest, BuiltInPanelsNeverCountAndAPlugCallsBackHalfASecondLater) {
    DisplayWatcher watcher(desktop, clock);
    int changes = 0;
    watcher.onChange = [&] { ++changes; };
    EXPECT_TRUE(watcher.currentUUIDs().empty());
    EXPECT_TRUE(DisplayWatcher::currentExternalDisplays(desktop).empty());

    plug({screen("LAPTOP", true), screen("DESK", false, 1440)});
    clock.advance(0.3);
    plug({screen("LAPTOP", true), screen("DESK", false, 1440)}); // a burst: one evaluation
    clock.advance(0.49);
    EXPECT_EQ(changes, 0);
    clock.advance(0.02);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(watcher.currentUUIDs(), std::set<std::string>{"DESK"});
    EXPECT_EQ(DisplayWatcher::currentExternalDisplays(desktop)[0].name, "DESK");
}

TEST_F(DisplayWatcherTest, RearrangingOrReplugInsideTheDebounceCallsNothing) {
    plug({screen("LAPTOP", true), screen("DESK", false, 1440)});
    DisplayWatcher watcher(desktop, clock);
    int changes = 0;
    watcher.onChange = [&] { ++changes; };
    plug({screen("LAPTOP", true), screen("DESK", false, 1440, 2560)}); // a new resolution
    clock.advance(1);
    plug({screen("LAPTOP", true)});
    clock.advance(0.2);
    plug({screen("LAPTOP", true), screen("DESK", false, 1440)}); // back within half a second
    clock.advance(1);
    EXPECT_EQ(changes, 0);
}

TEST(HIDKeyboardWatcherTest, ModelsNotDevicesCountAndChangesAreDebounced) {
    SimKeyboardDevices devices;
    devices.devices = {{0x046D, 0xC31C, "Logitech USB Keyboard"}};
    ManualScheduler clock;
    HIDKeyboardWatcher watcher(devices, clock);
    int changes = 0;
    watcher.onChange = [&] { ++changes; };
    EXPECT_EQ(watcher.currentDeviceIDs().size(), 1u);

    devices.connect({{0x046D, 0xC31C, "a"}, {0x046D, 0xC31C, "b"}}); // a second of one model
    clock.advance(1);
    EXPECT_EQ(changes, 0);
    devices.connect({{0x046D, 0xC31C, "a"}, {0x05AC, 0x0250, ""}});
    clock.advance(0.29);
    EXPECT_EQ(changes, 0);
    clock.advance(0.02);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(watcher.currentDeviceIDs().count(HIDDeviceID{0x05AC, 0x0250}), 1u);
}

TEST(HIDKeyboardWatcherTest, WithoutDeviceEventsItSaysSoOnceAndStaysEmpty) {
    SimKeyboardDevices devices;
    devices.devices = {{1, 2, "Keyboard"}};
    devices.failure = "cannot listen to the kernel's device events: Permission denied";
    ManualScheduler clock;
    Log::Capture log;
    HIDKeyboardWatcher watcher(devices, clock);
    devices.connect({{1, 2, "Keyboard"}, {3, 4, "Other"}});
    clock.advance(1);
    EXPECT_TRUE(watcher.currentDeviceIDs().empty());
    EXPECT_FALSE(watcher.isWatching());
    EXPECT_EQ(log.lines(), std::vector<std::string>{
                               "Panemark: cannot listen to the kernel's device events: Permission "
                               "denied — keyboard-based profile triggers disabled"});
}

} // namespace
} // namespace panemark
