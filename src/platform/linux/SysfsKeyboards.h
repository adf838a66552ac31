#pragma once

#include "platform/KeyboardDevices.h"
#include "platform/linux/UeventSource.h"

#include <memory>
#include <string>

namespace panemark {

// Keyboards as Linux knows them: the input devices under <sysfs>/class/input that have the keys
// Escape through S (the rule udev uses for ID_INPUT_KEYBOARD), with their id/vendor and
// id/product (hexadecimal) and name. Plugging and unplugging come from a uevent source.
class SysfsKeyboards : public KeyboardDevices {
public:
    SysfsKeyboards(std::string sysfsRoot, std::unique_ptr<UeventSource> events);
    // /sys with the kernel's netlink events.
    static std::unique_ptr<SysfsKeyboards> forThisSystem();

    // A device folder that cannot be read at all gives the set read last, not an empty one
    // (which would look like every keyboard unplugged).
    std::vector<KeyboardDevice> list() override;
    std::optional<std::string> unavailable() override { return events_->failure(); }
    Subscription onDevicesChanged(std::function<void()> callback) override;

    // The last word of a capabilities/key bitmap ("… 1 fffffffffffffffe") has keys 1 to 31.
    static bool hasKeyboardKeys(const std::string& capabilities);

private:
    std::string root_;
    std::unique_ptr<UeventSource> events_;
    std::vector<KeyboardDevice> last_;
};

} // namespace panemark
