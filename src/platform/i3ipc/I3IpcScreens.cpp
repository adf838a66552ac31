#include "platform/i3ipc/I3IpcScreens.h"

#include "base/Log.h"
#include "platform/ScreenIdentity.h"
#include "platform/i3ipc/I3IpcReplies.h"

#include <algorithm>

namespace panemark {

namespace {

constexpr double queryTimeout = 0.25;
constexpr double treeLifetime = 0.2;

} // namespace

I3IpcScreens::I3IpcScreens(I3IpcTree& tree, I3IpcEvents& events, double keepFor)
    : tree_(tree), events_(events), keepFor_(keepFor) {
    subscription_ = events.onEvent([this](std::uint32_t type, const std::string&) {
        if (type == I3IpcCodec::outputEvent || type == I3IpcCodec::workspaceEvent ||
            type == I3IpcCodec::windowEvent) {
            std::lock_guard lock(mutex_);
            kept_.reset();
        }
        if (type == I3IpcCodec::outputEvent) {
            changed_.emit();
        } else if (type == I3IpcCodec::workspaceEvent && outputEventsRefused()) {
            followOutputsByWorkspaces();
        }
    });
    // What a first workspace event is compared with.
    if (std::vector<Screen> first = read(); !first.empty()) {
        lastAnnounced_ = std::move(first);
    }
}

bool I3IpcScreens::outputEventsRefused() const {
    const std::vector<std::string> refused = events_.refused();
    return std::find(refused.begin(), refused.end(), "output") != refused.end();
}

void I3IpcScreens::followOutputsByWorkspaces() {
    // sway 1.8 and older send no output events; an output that comes or goes makes or moves a
    // workspace, so the outputs are read again then, and a change is announced as one.
    tree_.forget();
    std::vector<Screen> now = read();
    if (now.empty()) {
        return;
    }
    bool differ = false;
    {
        std::lock_guard lock(mutex_);
        differ = lastAnnounced_.has_value() && *lastAnnounced_ != now;
        lastAnnounced_ = std::move(now);
    }
    if (differ) {
        changed_.emit();
    }
}

Screen I3IpcScreens::describe(const I3IpcReplies::Output& output, std::uint32_t number) {
    return ScreenIdentity::screenFor(
        {output.name, output.make, output.model, output.serial, output.frame, output.usable},
        number);
}

std::vector<Screen> I3IpcScreens::read() {
    // The tree a command has just read for its window answers this too.
    const std::shared_ptr<const JsonValue> tree = tree_.get(treeLifetime, queryTimeout);
    if (!tree) {
        return {};
    }
    std::vector<Screen> screens;
    for (const I3IpcReplies::Output& output : I3IpcReplies::outputsInTree(*tree, tree_.dialect())) {
        screens.push_back(describe(output, static_cast<std::uint32_t>(screens.size() + 1)));
    }
    // The screen at the layout's origin first: it is the primary one.
    std::stable_partition(screens.begin(), screens.end(), [](const Screen& screen) {
        return screen.frame.x == 0 && screen.frame.y == 0;
    });
    return screens;
}

std::vector<Screen> I3IpcScreens::screens() {
    if (keepFor_ <= 0) {
        return read(); // the tree a command has just read answers this
    }
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard lock(mutex_);
        if (kept_ && now - readAt_ < std::chrono::duration<double>(keepFor_)) {
            return *kept_;
        }
    }
    std::vector<Screen> screens = read();
    std::lock_guard lock(mutex_);
    if (!screens.empty()) {
        kept_ = screens;
        readAt_ = now;
    }
    return screens;
}

Subscription I3IpcScreens::onScreensChanged(std::function<void()> callback) {
    return changed_.connect(std::move(callback));
}

} // namespace panemark
