#include "platform/helper/HelperWindows.h"

#include "base/Log.h"
#include "platform/FramePixels.h"

#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace panemark {

namespace {

// What carrying the helper's answer back over the bus takes at most, on a busy machine.
constexpr double answerMargin = 0.05;

} // namespace

std::optional<WindowRef> HelperWindows::focusedWindow(double timeout) {
    const std::optional<HelperReplies::Look> look = snapshot_.refresh(timeout);
    if (!look || !look->window) {
        return std::nullopt;
    }
    return refFor(look->window->id);
}

std::optional<Rect> HelperWindows::readFrame(WindowRef window, double timeout) {
    const auto described = describe(window, timeout);
    return described ? std::optional<Rect>(described->frame) : std::nullopt;
}

void HelperWindows::writeFrame(WindowRef window, const Rect& frame, double timeout) {
    const std::optional<std::string> id = idOf(window);
    if (!id) {
        return;
    }
    snapshot_.invalidate();
    Result<std::string> answer = snapshot_.helper().place(
        *id, FramePixels::rounded(frame), placementWaitMilliseconds(timeout), timeout);
    snapshot_.invalidate();
    if (!answer) {
        Log::write(answer.error());
    }
}

std::optional<bool> HelperWindows::isSizeSettable(WindowRef window, double timeout) {
    const auto described = describe(window, timeout);
    return described ? std::optional<bool>(described->resizable) : std::nullopt;
}

std::optional<std::int64_t> HelperWindows::processId(WindowRef window, double timeout) {
    const auto described = describe(window, timeout);
    if (!described || described->pid <= 0) {
        return std::nullopt;
    }
    return described->pid;
}

std::int64_t HelperWindows::ownProcessId() {
    return static_cast<std::int64_t>(::getpid());
}

int HelperWindows::placementWaitMilliseconds(double timeout) {
    return static_cast<int>(std::max(0.0, timeout - answerMargin) * 1000);
}

std::optional<HelperReplies::Window> HelperWindows::describe(WindowRef window, double timeout) {
    const std::optional<std::string> id = idOf(window);
    if (!id) {
        return std::nullopt;
    }
    // Mostly the window a command has just found in front: its look describes it.
    if (const auto look = snapshot_.get(timeout); look && look->window && look->window->id == *id) {
        return look->window;
    }
    Result<std::string> answer = snapshot_.helper().window(*id, timeout);
    if (!answer) {
        Log::write(answer.error());
        return std::nullopt;
    }
    Result<std::optional<HelperReplies::Window>> described = HelperReplies::window(answer.value());
    if (!described) {
        Log::write(described.error());
        return std::nullopt;
    }
    return described.value();
}

WindowRef HelperWindows::refFor(const std::string& id) {
    std::lock_guard lock(idsMutex_);
    const auto [entry, added] = numbers_.try_emplace(id, numbers_.size() + 1);
    if (added) {
        ids_[entry->second] = id;
    }
    return WindowRef{entry->second};
}

std::optional<std::string> HelperWindows::idOf(WindowRef window) {
    std::lock_guard lock(idsMutex_);
    const auto found = ids_.find(window.id);
    if (found == ids_.end()) {
        return std::nullopt;
    }
    return found->second;
}

} // namespace panemark
