#include "platform/gnome/GnomePlatform.h"

#include "platform/compositor/HelperReplies.h"
#include "runtime/Log.h"

#include <QDBusConnection>

namespace panemark {

namespace {

constexpr double screensTimeout = 1.0;

} // namespace

Result<std::unique_ptr<GnomePlatform>> GnomePlatform::open(Scheduler&) {
    if (!QDBusConnection::sessionBus().isConnected()) {
        return Error{"there is no session bus to reach GNOME Shell on"};
    }
    std::unique_ptr<GnomePlatform> platform(new GnomePlatform());
    platform->helper_ = std::make_unique<GnomeShellHelper>();
    platform->snapshot_ = std::make_unique<HelperSnapshot>(*platform->helper_);
    platform->windows_ = std::make_unique<HelperWindows>(*platform->snapshot_);
    platform->screens_ = std::make_unique<HelperScreens>(*platform->snapshot_);
    platform->shortcuts_ = std::make_unique<GnomeShortcuts>(*platform->helper_);
    platform->keyboardDevices_ = SysfsKeyboards::forThisSystem();
    GnomePlatform* self = platform.get();
    platform->screensChanged_ = platform->helper_->screensChanged.connect([self] {
        // The signal carries nothing: the screens are read anew.
        self->snapshot_->invalidate();
        if (Result<std::string> look = self->helper_->look(screensTimeout)) {
            if (Result<HelperReplies::Look> read = HelperReplies::look(look.value())) {
                self->screens_->reported(read.value().screens);
            }
        }
    });
    return platform;
}

std::string GnomePlatform::desktopName() {
    const std::string version = helper_->shellVersion();
    return "gnome (" + (version.empty() ? std::string("without Panemark's extension") : version) +
           ")";
}

Subscription GnomePlatform::onPaletteRequested(std::function<void()> listener) {
    return helper_->paletteRequested.connect(std::move(listener));
}

} // namespace panemark
