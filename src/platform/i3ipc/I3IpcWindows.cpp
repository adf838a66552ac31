#include "platform/i3ipc/I3IpcWindows.h"

#include "runtime/Log.h"

#include <cmath>
#include <unistd.h>

namespace panemark {

namespace {

// What the tree said is good for the rest of one command, not for the next.
constexpr auto seenLifetime = std::chrono::milliseconds(200);

long long pixels(double value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    return std::llround(std::clamp(value, -1e6, 1e6));
}

} // namespace

I3IpcWindows::I3IpcWindows(I3IpcClient& client, I3IpcReplies::Dialect dialect)
    : client_(client), dialect_(dialect) {}

std::string I3IpcWindows::placement(std::int64_t id, const Rect& frame, bool fullscreen) {
    const std::string target = "[con_id=" + std::to_string(id) + "] ";
    std::string command = target;
    if (fullscreen) {
        command += "fullscreen disable, ";
    }
    command += "floating enable, resize set " + std::to_string(std::max(1LL, pixels(frame.width))) +
               " px " + std::to_string(std::max(1LL, pixels(frame.height))) +
               " px, move absolute position " + std::to_string(pixels(frame.x)) + " px " +
               std::to_string(pixels(frame.y)) + " px";
    return command;
}

void I3IpcWindows::remember(const std::optional<I3IpcReplies::Window>& window) {
    std::lock_guard lock(mutex_);
    lastSeen_ = window;
    seenAt_ = std::chrono::steady_clock::now();
}

std::optional<I3IpcReplies::Window> I3IpcWindows::lookUp(WindowRef window, double timeout) {
    {
        std::lock_guard lock(mutex_);
        if (lastSeen_ && static_cast<std::uint64_t>(lastSeen_->id) == window.id &&
            std::chrono::steady_clock::now() - seenAt_ < seenLifetime) {
            return lastSeen_;
        }
    }
    Result<std::string> tree = client_.request(I3IpcCodec::getTree, "", timeout);
    if (!tree) {
        Log::write(tree.error());
        return std::nullopt;
    }
    Result<std::optional<I3IpcReplies::Window>> found =
        I3IpcReplies::windowWithId(tree.value(), static_cast<std::int64_t>(window.id), dialect_);
    if (!found) {
        Log::write(found.error());
        return std::nullopt;
    }
    remember(found.value());
    return found.value();
}

std::optional<WindowRef> I3IpcWindows::focusedWindow(double timeout) {
    Result<std::string> tree = client_.request(I3IpcCodec::getTree, "", timeout);
    if (!tree) {
        Log::write(tree.error());
        return std::nullopt;
    }
    Result<std::optional<I3IpcReplies::Window>> focused =
        I3IpcReplies::focusedWindow(tree.value(), dialect_);
    if (!focused) {
        Log::write(focused.error());
        return std::nullopt;
    }
    remember(focused.value());
    if (!focused.value()) {
        return std::nullopt;
    }
    return WindowRef{static_cast<std::uint64_t>(focused.value()->id)};
}

std::optional<Rect> I3IpcWindows::readFrame(WindowRef window, double timeout) {
    const std::optional<I3IpcReplies::Window> found = lookUp(window, timeout);
    return found ? std::optional<Rect>(found->frame) : std::nullopt;
}

std::optional<std::int64_t> I3IpcWindows::processId(WindowRef window, double timeout) {
    const std::optional<I3IpcReplies::Window> found = lookUp(window, timeout);
    return found ? found->pid : std::nullopt;
}

std::int64_t I3IpcWindows::ownProcessId() {
    return static_cast<std::int64_t>(::getpid());
}

void I3IpcWindows::writeFrame(WindowRef window, const Rect& frame, double timeout) {
    bool fullscreen = false;
    {
        std::lock_guard lock(mutex_);
        fullscreen = lastSeen_ && static_cast<std::uint64_t>(lastSeen_->id) == window.id &&
                     lastSeen_->fullscreen;
        lastSeen_.reset(); // the tree changes now
    }
    Result<std::string> reply = client_.request(
        I3IpcCodec::runCommand, placement(static_cast<std::int64_t>(window.id), frame, fullscreen),
        timeout);
    if (!reply) {
        Log::write(reply.error());
        return;
    }
    // A window that has gone since is no error worth a line; anything else is.
    if (const std::optional<std::string> failure = I3IpcReplies::commandFailure(reply.value());
        failure && failure->find("No matching node") == std::string::npos) {
        Log::write("the compositor did not place the window: " + *failure);
    }
}

} // namespace panemark
