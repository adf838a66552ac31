#include "hardware/HIDKeyboardWatcher.h"

#include "base/Log.h"

namespace panemark {

HIDKeyboardWatcher::HIDKeyboardWatcher(KeyboardDevices& devices, Scheduler& mainLoop)
    : devices_(devices), mainLoop_(mainLoop) {
    if (const std::optional<std::string> why = devices_.unavailable()) {
        Log::write(*why + " — keyboard-based profile triggers disabled");
        return;
    }
    watching_ = true;
    observer_ = devices_.onDevicesChanged([this] { scheduleRefresh(); });
    refresh();
}

void HIDKeyboardWatcher::scheduleRefresh() {
    debounceWorkItem_ = mainLoop_.after(debounce, [this] { refresh(); });
}

void HIDKeyboardWatcher::refresh() {
    std::unordered_set<HIDDeviceID> models;
    for (const KeyboardDevice& device : devices_.list()) {
        models.insert({device.vendorID, device.productID});
    }
    if (models == current_) {
        return;
    }
    current_ = std::move(models);
    if (onChange) {
        onChange();
    }
}

} // namespace panemark
