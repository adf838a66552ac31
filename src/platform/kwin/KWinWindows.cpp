#include "platform/kwin/KWinWindows.h"

#include "runtime/Log.h"

#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace panemark {

namespace {

// What carrying the script's answer back over the bus takes at most, on a busy machine.
constexpr double answerMargin = 0.05;

Rect wholePixels(const Rect& frame) {
    return {std::round(frame.x), std::round(frame.y), std::max(1.0, std::round(frame.width)),
            std::max(1.0, std::round(frame.height))};
}

} // namespace

std::optional<WindowRef> KWinWindows::focusedWindow(double timeout) {
    const std::optional<KWinScriptMessages::Look> look = snapshot_.refresh(timeout);
    if (!look || !look->window) {
        return std::nullopt;
    }
    return refFor(look->window->id);
}

std::optional<Rect> KWinWindows::readFrame(WindowRef window, double timeout) {
    const auto described = describe(window, timeout);
    return described ? std::optional<Rect>(described->frame) : std::nullopt;
}

void KWinWindows::writeFrame(WindowRef window, const Rect& frame, double timeout) {
    const std::optional<std::string> id = idOf(window);
    if (!id) {
        return;
    }
    snapshot_.invalidate();
    const int wait = placementWaitMilliseconds(timeout);
    Result<std::string> answer = snapshot_.channel().request(
        [&](std::uint64_t serial) {
            return KWinScriptMessages::placeRequest(serial, *id, wholePixels(frame), wait);
        },
        timeout);
    snapshot_.invalidate();
    if (!answer) {
        Log::write(answer.error());
    }
}

std::optional<bool> KWinWindows::isSizeSettable(WindowRef window, double timeout) {
    const auto described = describe(window, timeout);
    return described ? std::optional<bool>(described->resizable) : std::nullopt;
}

std::optional<std::int64_t> KWinWindows::processId(WindowRef window, double timeout) {
    const auto described = describe(window, timeout);
    if (!described || described->pid <= 0) {
        return std::nullopt;
    }
    return described->pid;
}

std::int64_t KWinWindows::ownProcessId() {
    return static_cast<std::int64_t>(::getpid());
}

int KWinWindows::placementWaitMilliseconds(double timeout) {
    return static_cast<int>(std::max(0.0, timeout - answerMargin) * 1000);
}

std::optional<KWinScriptMessages::Window> KWinWindows::describe(WindowRef window, double timeout) {
    const std::optional<std::string> id = idOf(window);
    if (!id) {
        return std::nullopt;
    }
    // Mostly the window a command has just found in front: its look describes it.
    if (const auto look = snapshot_.get(timeout); look && look->window && look->window->id == *id) {
        return look->window;
    }
    Result<std::string> answer = snapshot_.channel().request(
        [&](std::uint64_t serial) { return KWinScriptMessages::windowRequest(serial, *id); },
        timeout);
    if (!answer) {
        Log::write(answer.error());
        return std::nullopt;
    }
    Result<std::optional<KWinScriptMessages::Window>> described =
        KWinScriptMessages::window(answer.value());
    if (!described) {
        Log::write(described.error());
        return std::nullopt;
    }
    return described.value();
}

WindowRef KWinWindows::refFor(const std::string& id) {
    std::lock_guard lock(idsMutex_);
    const auto [entry, added] = numbers_.try_emplace(id, numbers_.size() + 1);
    if (added) {
        ids_[entry->second] = id;
    }
    return WindowRef{entry->second};
}

std::optional<std::string> KWinWindows::idOf(WindowRef window) {
    std::lock_guard lock(idsMutex_);
    const auto found = ids_.find(window.id);
    if (found == ids_.end()) {
        return std::nullopt;
    }
    return found->second;
}

} // namespace panemark
