#include "platform/LaunchAtLogin.h"

#include "base/Log.h"

namespace panemark::LaunchAtLogin {

void set(LoginItem& item, bool enabled) {
    const LoginItem::Status status = item.status();
    if (enabled == (status == LoginItem::Status::enabled)) {
        return;
    }
    // Turning on also repairs an entry that needs approval or points at a program that is gone.
    const Result<bool> done = enabled ? item.registerItem() : item.unregisterItem();
    if (!done) {
        Log::write("launch-at-login toggle failed: " + done.error());
    }
}

} // namespace panemark::LaunchAtLogin
