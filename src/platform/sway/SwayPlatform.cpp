#include "platform/sway/SwayPlatform.h"

#include "base/Log.h"
#include "platform/OwnWindows.h"
#include "platform/i3ipc/I3IpcReplies.h"

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
    Result<I3IpcConnection> ipc = I3IpcConnection::open(
        socketPath, I3IpcReplies::Dialect::sway,
        {"binding", "output", "workspace", "window", "shutdown"}, connectTimeout);
    if (!ipc) {
        return Error{ipc.error()};
    }
    platform->ipc_ = std::move(ipc).value();
    platform->keepOwnWindowsFromTheFocus();
    platform->windows_ = std::make_unique<I3IpcWindows>(*platform->ipc_.tree);
    platform->screens_ =
        std::make_unique<I3IpcScreens>(*platform->ipc_.tree, *platform->ipc_.events);
    platform->shortcuts_ =
        std::make_unique<SwayShortcuts>(*platform->ipc_.client, *platform->ipc_.events);
    platform->palettePlacer_ = std::make_unique<SwayPalettePlacer>(
        *platform->ipc_.client, *platform->ipc_.events, mainLoop, platform->ipc_.desktopName);
    platform->followConfigReloads();
    return platform;
}

namespace {

// A text as a regular expression of sway's criteria that matches it and nothing else.
std::string exactly(std::string_view text) {
    std::string pattern;
    for (const char c : text) {
        if (std::string_view("\\^$.|?*+()[]{}\"").find(c) != std::string_view::npos) {
            pattern += '\\';
        }
        pattern += c;
    }
    return pattern;
}

} // namespace

void SwayPlatform::keepOwnWindowsFromTheFocus() {
    // The palette moves the window the user works in, and the splash card is only shown: on
    // sway every new window takes the focus unless a rule says otherwise. Rules of a run
    // before this one are the same rules, so adding them again changes nothing.
    // One command each: sway splits a command at its commas, so the second half of
    // "for_window [...] floating enable, move position cursor" would run at once on whatever
    // window has the focus, moving the user's window under the pointer.
    const auto own = [](std::string_view title) {
        return "[app_id=\"^" + exactly(OwnWindows::appId) + "$\" title=\"^" + exactly(title) +
               "$\"]";
    };
    std::vector<std::string> rules;
    for (const std::string_view title : OwnWindows::quietTitles) {
        rules.push_back("no_focus " + own(title));
    }
    rules.push_back("for_window " + own(OwnWindows::paletteTitle) + " floating enable");
    rules.push_back("for_window " + own(OwnWindows::paletteTitle) + " move position cursor");
    for (const std::string& rule : rules) {
        Result<std::string> reply =
            ipc_.client->request(I3IpcCodec::runCommand, rule, connectTimeout);
        if (!reply) {
            Log::write(reply.error());
        } else if (const std::optional<std::string> refused =
                       I3IpcReplies::commandFailure(reply.value())) {
            Log::write(ipc_.desktopName + " refused \"" + rule + "\": " + *refused);
        }
    }
}

void SwayPlatform::followConfigReloads() {
    // `swaymsg reload` (what sway users do after every edit of their configuration) forgets the
    // bindings and window rules made at run time: both are given again at once.
    configReloads_ = ipc_.events->onEvent([this](std::uint32_t type, const std::string& payload) {
        if (type == I3IpcCodec::workspaceEvent && I3IpcReplies::isConfigReload(payload)) {
            Log::write(ipc_.desktopName +
                       " read its configuration again: binding the shortcuts again");
            keepOwnWindowsFromTheFocus();
            shortcuts_->bindAgain();
        }
    });
}

SwayPlatform::~SwayPlatform() {
    shortcuts_.reset(); // its bindings go while the socket is still there
}

Subscription SwayPlatform::onConnectionLost(std::function<void()> listener) {
    return ipc_.events->onClosed(std::move(listener));
}

} // namespace panemark
