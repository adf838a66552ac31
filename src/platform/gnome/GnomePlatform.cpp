#include "platform/gnome/GnomePlatform.h"

#include "base/Log.h"
#include "platform/gnome/GnomeShellSetup.h"
#include "platform/helper/HelperReplies.h"

#include <QDBusConnection>

namespace panemark {

namespace {

constexpr double screensTimeout = 1.0;

// A distribution upgrade leaves the extension written for the old shell, which the new one
// refuses (or which an older Panemark wrote): Panemark writes the user a fitting copy.
std::optional<DesktopAccess> refreshExtension() {
    const std::optional<int> major = GnomeShellSetup::runningShellMajor();
    if (!major) {
        return std::nullopt;
    }
    const Result<bool> rewritten = GnomeShellSetup::refreshInstalledCopy(*major);
    const std::string shell = "GNOME Shell " + std::to_string(*major);
    if (!rewritten) {
        return DesktopAccess{false,
                             "The Panemark shell extension does not fit " + shell +
                                 " and cannot be written anew: " + rewritten.error(),
                             "Run `panemark setup gnome-shell`."};
    }
    if (!rewritten.value()) {
        return std::nullopt;
    }
    Log::write("the installed Panemark shell extension did not fit " + shell +
               "; wrote the user a copy for it");
    return DesktopAccess{false, "The Panemark shell extension was written anew for " + shell + ".",
                         "Log out and back in to finish."};
}

} // namespace

DesktopAccess GnomePlatform::access() {
    return rewritten_ ? *rewritten_ : helper_->access();
}

Result<std::unique_ptr<GnomePlatform>> GnomePlatform::open(Scheduler&) {
    if (!QDBusConnection::sessionBus().isConnected()) {
        return Error{"there is no session bus to reach GNOME Shell on"};
    }
    std::unique_ptr<GnomePlatform> platform(new GnomePlatform());
    platform->rewritten_ = refreshExtension();
    platform->helper_ = std::make_unique<GnomeShellHelper>();
    platform->snapshot_ = std::make_unique<HelperSnapshot>(*platform->helper_);
    platform->windows_ = std::make_unique<HelperWindows>(*platform->snapshot_);
    platform->screens_ = std::make_unique<HelperScreens>(*platform->snapshot_);
    platform->shortcuts_ = std::make_unique<GnomeShortcuts>(*platform->helper_);
    GnomePlatform* self = platform.get();
    // The extension reports the focused window and the screens whenever either changes, in
    // the order it sent them; a command then asks nothing before it places.
    platform->stateChanged_ =
        platform->helper_->stateChanged.connect([self](const std::string& state) {
            if (Result<HelperReplies::Look> look = HelperReplies::look(state)) {
                self->snapshot_->followed(look.value());
            } else {
                Log::write(look.error());
            }
        });
    // The extension goes when the user turns it off, or the shell turns it off for the lock
    // screen; what it reported no longer holds, and status and settings say so at once.
    platform->departed_ = platform->helper_->departed.connect([self] {
        self->snapshot_->stopFollowing();
        self->accessChanged_.emit();
    });
    platform->arrived_ =
        platform->helper_->arrived.connect([self] { self->accessChanged_.emit(); });
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

Subscription GnomePlatform::onAccessChanged(std::function<void()> listener) {
    return accessChanged_.connect(std::move(listener));
}

Subscription GnomePlatform::onPaletteRequested(std::function<void()> listener) {
    return helper_->paletteRequested.connect(std::move(listener));
}

} // namespace panemark
