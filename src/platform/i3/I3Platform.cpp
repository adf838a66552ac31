#include "platform/i3/I3Platform.h"

namespace panemark {

namespace {

constexpr double requestTimeout = 2.0;
// Outputs and workspaces announce their changes; only a bar that docks does not.
constexpr double screensKeptFor = 2.0;

} // namespace

Result<std::unique_ptr<I3Platform>> I3Platform::open(Scheduler& mainLoop,
                                                     const std::string& socketFromEnvironment) {
    std::unique_ptr<I3Platform> platform(new I3Platform());
    Result<std::unique_ptr<X11Platform>> x11 = X11Platform::open(mainLoop);
    if (!x11) {
        return Error{x11.error()};
    }
    platform->x11_ = std::move(x11).value();
    std::string socket = socketFromEnvironment;
    if (socket.empty()) {
        socket =
            platform->x11_->connection().rootText("I3_SOCKET_PATH", requestTimeout).value_or("");
    }
    if (socket.empty()) {
        return Error{"i3 names no IPC socket (neither $I3SOCK nor the root window's "
                     "I3_SOCKET_PATH)"};
    }
    Result<I3IpcConnection> ipc =
        I3IpcConnection::open(socket, I3IpcReplies::Dialect::i3,
                              {"output", "workspace", "window", "shutdown"}, requestTimeout);
    if (!ipc) {
        return Error{ipc.error()};
    }
    platform->ipc_ = std::move(ipc).value();
    platform->placer_ = std::make_unique<I3IpcWindows>(
        *platform->ipc_.tree, I3IpcWindows::Options{.namedByXWindow = true, .settleChecks = false});
    platform->windows_ = std::make_unique<I3Windows>(platform->x11_->connection(),
                                                     platform->x11_->windows(), *platform->placer_);
    platform->screens_ = std::make_unique<I3IpcScreens>(*platform->ipc_.tree,
                                                        *platform->ipc_.events, screensKeptFor);
    return platform;
}

} // namespace panemark
