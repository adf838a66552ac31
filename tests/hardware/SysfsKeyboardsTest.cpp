#include "platform/linux/SysfsKeyboards.h"

#include "base/ManualScheduler.h"
#include "base/Signal.h"
#include "hardware/HIDKeyboardWatcher.h"
#include "platform/linux/NetlinkUeventSource.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace panemark {
namespace {

class FakeUevents : public UeventSource {
public:
    std::optional<std::string> failure() const override { return std::nullopt; }
    Subscription onInputEvent(std::function<void()> callback) override {
        return events.connect([callback = std::move(callback)] { callback(); });
    }
    Signal<> events;
};

// A /sys of our own: class/input/inputN with the attributes the kernel gives.
class SysfsKeyboardsTest : public ::testing::Test {
protected:
    ~SysfsKeyboardsTest() override { std::filesystem::remove_all(root); }

    void device(const std::string& node, const std::string& keys, const std::string& vendor,
                const std::string& product, const std::string& name) {
        const auto dir = root / "class" / "input" / node;
        std::filesystem::create_directories(dir / "capabilities");
        std::filesystem::create_directories(dir / "id");
        std::ofstream(dir / "capabilities" / "key") << keys << "\n";
        std::ofstream(dir / "id" / "vendor") << vendor << "\n";
        std::ofstream(dir / "id" / "product") << product << "\n";
        std::ofstream(dir / "name") << name << "\n";
    }

    std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("panemark-sysfs-" + std::to_string(getpid()));
};

constexpr const char* fullKeyboard = "120013 0 0 0 1000000000000 e000000000000 fffffffffffffffe";

TEST_F(SysfsKeyboardsTest, KeyboardsAreTheDevicesWithTheKeysEscapeThroughS) {
    device("input3", fullKeyboard, "046d", "c31c", "Logitech USB Keyboard");
    device("input4", "4 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0", "046d", "c077", "Mouse"); // buttons only
    device("input5", "100000 0 0 0", "0000", "0001", "Power Button");
    device("input6", fullKeyboard, "05ac", "0250", "");
    device("input7", fullKeyboard, "zz", "0250", "Broken ids");
    std::filesystem::create_directories(root / "class" / "input" / "event3");
    SysfsKeyboards keyboards(root.string(), std::make_unique<FakeUevents>());
    std::vector<KeyboardDevice> found = keyboards.list();
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.vendorID < b.vendorID; });
    EXPECT_EQ(found, (std::vector<KeyboardDevice>{{0x046D, 0xC31C, "Logitech USB Keyboard"},
                                                  {0x05AC, 0x0250, "Unknown keyboard"}}));
    EXPECT_FALSE(keyboards.unavailable());
}

TEST_F(SysfsKeyboardsTest, PluggingAKeyboardInTheTreeReachesTheWatcherAfterItsDebounce) {
    device("input3", fullKeyboard, "046d", "c31c", "Logitech USB Keyboard");
    auto events = std::make_unique<FakeUevents>();
    FakeUevents& kernel = *events;
    SysfsKeyboards keyboards(root.string(), std::move(events));
    ManualScheduler clock;
    HIDKeyboardWatcher watcher(keyboards, clock);
    int changes = 0;
    watcher.onChange = [&] { ++changes; };
    device("input9", fullKeyboard, "05ac", "0250", "Apple Keyboard");
    kernel.events.emit(); // add
    kernel.events.emit(); // and its event node
    clock.advance(HIDKeyboardWatcher::debounce + 0.01);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(watcher.currentDeviceIDs().size(), 2u);
    std::filesystem::remove_all(root / "class" / "input" / "input9");
    kernel.events.emit();
    clock.advance(HIDKeyboardWatcher::debounce + 0.01);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(watcher.currentDeviceIDs(),
              (std::unordered_set<HIDDeviceID>{HIDDeviceID{0x046D, 0xC31C}}));
}

TEST_F(SysfsKeyboardsTest, InputEventsReachTheWatcherAndOthersDoNot) {
    auto events = std::make_unique<FakeUevents>();
    FakeUevents& fake = *events;
    SysfsKeyboards keyboards(root.string(), std::move(events));
    int changes = 0;
    auto subscription = keyboards.onDevicesChanged([&] { ++changes; });
    fake.events.emit();
    EXPECT_EQ(changes, 1);

    using namespace std::string_literals;
    EXPECT_TRUE(NetlinkUeventSource::isInputEvent(
        "add@/devices/pci/usb1/1-1/input/input9\0ACTION=add\0SUBSYSTEM=input\0"s));
    EXPECT_FALSE(NetlinkUeventSource::isInputEvent(
        "add@/devices/pci/usb1/1-1\0ACTION=add\0SUBSYSTEM=usb\0SUBSYSTEM=inputs"s));
    EXPECT_FALSE(SysfsKeyboards::hasKeyboardKeys("fffffffffffffffe0"));
    EXPECT_TRUE(SysfsKeyboards::hasKeyboardKeys("fffffffe"));
    // Only every key from Esc through S makes a keyboard: a remote with Esc, or with the digits
    // and a few letters, is none.
    for (const char* partial : {"2", "ffe", "7fe", "fffffffc", "1 fffffff"}) {
        EXPECT_FALSE(SysfsKeyboards::hasKeyboardKeys(partial)) << partial;
    }
}

TEST_F(SysfsKeyboardsTest, LostEventsAndAnUnreadableTreeNeverLeaveAWrongSet) {
    // An overflowed socket says so instead of giving the lost messages: a re-read follows.
    std::vector<long> replies{-ENOBUFS, -EAGAIN};
    std::size_t next = 0;
    EXPECT_TRUE(NetlinkUeventSource::drainMentionsInput([&](char*, std::size_t) -> long {
        const long reply = replies[std::min(next++, replies.size() - 1)];
        errno = static_cast<int>(-reply);
        return -1;
    }));
    EXPECT_FALSE(NetlinkUeventSource::drainMentionsInput([&](char*, std::size_t) -> long {
        errno = EAGAIN;
        return -1;
    }));

    device("input3", fullKeyboard, "046d", "c31c", "Logitech USB Keyboard");
    SysfsKeyboards keyboards(root.string(), std::make_unique<FakeUevents>());
    ASSERT_EQ(keyboards.list().size(), 1u);
    const auto input = root / "class" / "input";
    std::filesystem::rename(input, root / "class" / "elsewhere");
    std::ofstream(input) << "not a folder"; // cannot be listed
    EXPECT_EQ(keyboards.list().size(), 1u); // the previous set, not "all unplugged"
    std::filesystem::remove(input);
    std::filesystem::create_directories(input); // readable, and empty: truly none
    EXPECT_TRUE(keyboards.list().empty());
}

} // namespace
} // namespace panemark
