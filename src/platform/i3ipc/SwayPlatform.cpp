#include "platform/i3ipc/SwayPlatform.h"

#include "platform/i3ipc/I3IpcReplies.h"
#include "runtime/Log.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace panemark {

namespace {

constexpr double connectTimeout = 2.0;

} // namespace

Result<std::unique_ptr<SwayPlatform>> SwayPlatform::open(Scheduler& mainLoop,
                                                         const std::string& socketPath) {
    std::unique_ptr<SwayPlatform> platform(new SwayPlatform());
    platform->client_ = std::make_unique<I3IpcClient>(socketPath);
    Result<std::string> reply =
        platform->client_->request(I3IpcCodec::getVersion, "", connectTimeout);
    if (!reply) {
        return Error{"sway does not answer at " + socketPath + ": " + reply.error()};
    }
    platform->desktopName_ =
        "sway (" + I3IpcReplies::version(reply.value()).value_or("unknown version") + ")";
    platform->keepOwnWindowsFromTheFocus();
    Result<std::unique_ptr<I3IpcEvents>> events = I3IpcEvents::open(
        socketPath, {"binding", "output", "workspace", "window", "shutdown"},
        platform->desktopName_);
    if (!events) {
        return Error{events.error()};
    }
    platform->events_ = std::move(events).value();
    platform->tree_ = std::make_unique<I3IpcTree>(*platform->client_, I3IpcReplies::Dialect::sway);
    platform->windows_ = std::make_unique<I3IpcWindows>(*platform->tree_);
    platform->screens_ = std::make_unique<I3IpcScreens>(*platform->tree_, *platform->events_);
    platform->shortcuts_ = std::make_unique<SwayShortcuts>(*platform->client_, *platform->events_);
    platform->palettePlacer_ = std::make_unique<SwayPalettePlacer>(
        *platform->client_, *platform->events_, mainLoop, platform->desktopName_);
    platform->keyboardDevices_ = SysfsKeyboards::forThisSystem();
    return platform;
}

void SwayPlatform::keepOwnWindowsFromTheFocus() {
    // The palette moves the window the user works in, and the splash card is only shown: on
    // sway every new window takes the focus unless a rule says otherwise. Rules of a run
    // before this one are the same rules, so adding them again changes nothing.
    // One command each: sway splits a command at its commas, so the second half of
    // "for_window [...] floating enable, move position cursor" would run at once on whatever
    // window has the focus, moving the user's window under the pointer.
    const char* const rules[] = {
        R"(no_focus [app_id="^panemark$" title="^Panemark Palette$"])",
        R"(no_focus [app_id="^panemark$" title="^Panemark$"])",
        R"(for_window [app_id="^panemark$" title="^Panemark Palette$"] floating enable)",
        R"(for_window [app_id="^panemark$" title="^Panemark Palette$"] move position cursor)",
    };
    for (const char* rule : rules) {
        Result<std::string> reply = client_->request(I3IpcCodec::runCommand, rule, connectTimeout);
        if (!reply) {
            Log::write(reply.error());
        } else if (const std::optional<std::string> refused =
                       I3IpcReplies::commandFailure(reply.value())) {
            Log::write(desktopName_ + " refused \"" + rule + "\": " + *refused);
        }
    }
}

SwayPlatform::~SwayPlatform() {
    shortcuts_.reset(); // its bindings go while the socket is still there
}

Subscription SwayPlatform::onConnectionLost(std::function<void()> listener) {
    return events_->onClosed(std::move(listener));
}

} // namespace panemark
