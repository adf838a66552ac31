#include "platform/i3ipc/I3IpcWindows.h"

#include "base/Log.h"
#include "platform/FramePixels.h"

#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace panemark {

namespace {

// What the tree said is good for the rest of one command, not for the next.
constexpr double seenLifetime = 0.2;

} // namespace

I3IpcWindows::I3IpcWindows(I3IpcTree& tree, Options options)
    : tree_(tree), client_(tree.client()), dialect_(tree.dialect()), options_(options),
      checks_("Panemark.SettleCheck") {}

std::string I3IpcWindows::placement(std::int64_t id, const Rect& frame, bool fullscreen,
                                    bool byXWindow) {
    const auto whole = [](double value) { return std::to_string(static_cast<long long>(value)); };
    const Rect target = rounded(frame);
    std::string command = (byXWindow ? "[id=" : "[con_id=") + std::to_string(id) + "] ";
    if (fullscreen) {
        command += "fullscreen disable, ";
    }
    return command + "floating enable, resize set " + whole(target.width) + " px " +
           whole(target.height) + " px, move absolute position " + whole(target.x) + " px " +
           whole(target.y) + " px";
}

std::optional<I3IpcReplies::Window> I3IpcWindows::lookUp(WindowRef window, double timeout) {
    const std::shared_ptr<const JsonValue> tree = tree_.get(seenLifetime, timeout);
    return tree
               ? I3IpcReplies::windowWithIdIn(*tree, static_cast<std::int64_t>(window.id), dialect_)
               : std::nullopt;
}

std::optional<WindowRef> I3IpcWindows::focusedWindow(double timeout) {
    const std::shared_ptr<const JsonValue> tree = tree_.get(0, timeout); // always asked afresh
    const std::optional<I3IpcReplies::Window> focused =
        tree ? I3IpcReplies::focusedWindowIn(*tree, dialect_) : std::nullopt;
    if (!focused) {
        return std::nullopt;
    }
    return WindowRef{static_cast<std::uint64_t>(focused->id)};
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

bool I3IpcWindows::send(WindowRef window, const Rect& frame, bool fullscreen, double timeout) {
    Result<std::string> reply = client_.request(
        I3IpcCodec::runCommand,
        placement(static_cast<std::int64_t>(window.id), frame, fullscreen, options_.namedByXWindow),
        timeout);
    if (!reply) {
        Log::write(reply.error());
        return false;
    }
    const std::optional<std::string> failure = I3IpcReplies::commandFailure(reply.value());
    // A window that has gone since is no error worth a line; anything else is.
    if (failure && failure->find("No matching node") == std::string::npos) {
        Log::write("the compositor did not place the window: " + *failure);
    }
    return !failure;
}

void I3IpcWindows::writeFrame(WindowRef window, const Rect& frame, double timeout) {
    // The steps of an animation follow each other by the frame: the first left full screen, if
    // the window was; the others need not ask the tree again.
    const auto now = std::chrono::steady_clock::now();
    bool recentlyPlaced = false;
    {
        std::lock_guard lock(placedMutex_);
        recentlyPlaced = lastPlaced_ == window && now - placedAt_ < std::chrono::seconds(1);
        lastPlaced_ = window;
        placedAt_ = now;
    }
    const std::optional<I3IpcReplies::Window> known =
        recentlyPlaced ? std::nullopt : lookUp(window, settleCheckTimeout);
    place(window, frame, known && known->fullscreen, timeout);
}

void I3IpcWindows::place(WindowRef window, const Rect& frame, bool fullscreen, double timeout) {
    tree_.forget(); // the tree changes now
    const std::uint64_t write = ++writes_;
    if (send(window, frame, fullscreen, timeout) && options_.settleChecks &&
        timeout >= settleCheckTimeout) {
        SettleLook look;
        look.window = window;
        look.wanted = rounded(frame);
        look.write = write;
        scheduleSettleCheck(look, settleDelay);
    }
}

void I3IpcWindows::scheduleSettleCheck(const SettleLook& look, double delay) {
    checks_.after(delay, [this, look] { settleCheck(look); }).detach();
}

void I3IpcWindows::settleCheck(SettleLook look) {
    // A client still drawing an earlier size may commit it after this one was asked for, and
    // sway then takes the client's size for the window's, where we put it: look once the client
    // has had a few frames, and ask again. A size that comes back twice the same is the
    // compositor's or the application's own limit, and stays; a window somewhere else was
    // moved by someone else since, and is left to them; a newer write has its own look.
    if (writes_ != look.write) {
        return;
    }
    Result<std::string> tree = client_.request(I3IpcCodec::getTree, "", settleCheckTimeout);
    if (!tree) {
        return;
    }
    const auto found = I3IpcReplies::windowWithId(
        tree.value(), static_cast<std::int64_t>(look.window.id), dialect_);
    if (!found || !found.value() || writes_ != look.write) {
        return;
    }
    const Rect landed = found.value()->frame;
    const bool movedSince = landed.x != look.wanted.x || landed.y != look.wanted.y;
    if (movedSince || landed == look.previous) {
        return;
    }
    if (landed == look.wanted) {
        lookAgainLater(look);
        return;
    }
    if (send(look.window, look.wanted, false, settleCheckTimeout) &&
        look.attempt < settleAttempts) {
        look.attempt += 1;
        look.previous = landed;
        scheduleSettleCheck(look, settleDelay);
    }
}

void I3IpcWindows::lookAgainLater(SettleLook look) {
    if (look.lateLookDone) {
        return;
    }
    look.lateLookDone = true;
    scheduleSettleCheck(look, lateLookDelay);
}

Rect I3IpcWindows::rounded(const Rect& frame) {
    return FramePixels::rounded(frame);
}

} // namespace panemark
