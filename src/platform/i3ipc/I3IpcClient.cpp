#include "platform/i3ipc/I3IpcClient.h"

#include "base/Deadline.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace panemark {

namespace {

int millisecondsLeft(const Deadline& deadline) {
    return static_cast<int>(std::max(0.0, deadline.remaining()) * 1000) + 1;
}

// Waits until the socket is ready for `events`; false on timeout or error.
bool await(int socket, short events, const Deadline& deadline) {
    for (;;) {
        pollfd entry{socket, events, 0};
        const int ready = ::poll(&entry, 1, millisecondsLeft(deadline));
        if (ready > 0) {
            return (entry.revents & events) != 0;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

} // namespace

I3IpcClient::I3IpcClient(std::string socketPath) : socketPath_(std::move(socketPath)) {}

I3IpcClient::~I3IpcClient() {
    std::lock_guard lock(mutex_);
    closeLocked();
}

void I3IpcClient::closeLocked() {
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
    decoder_ = I3IpcCodec::Decoder();
}

Result<bool> I3IpcClient::connectLocked(double timeout) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath_.empty() || socketPath_.size() >= sizeof address.sun_path) {
        return Error{"the compositor's IPC socket path \"" + socketPath_ + "\" is unusable"};
    }
    std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
    socket_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket_ < 0) {
        return Error{std::string("cannot make a socket: ") + std::strerror(errno)};
    }
    const Deadline deadline(timeout);
    if (::connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        if (error != EINPROGRESS || !await(socket_, POLLOUT, deadline)) {
            closeLocked();
            return Error{"cannot reach the compositor at " + socketPath_ + ": " +
                         std::strerror(error == EINPROGRESS ? ETIMEDOUT : error)};
        }
    }
    return true;
}

Result<std::string> I3IpcClient::request(std::uint32_t type, std::string_view payload,
                                         double timeout) {
    std::lock_guard lock(mutex_);
    const Deadline deadline(timeout);
    if (socket_ < 0) {
        if (Result<bool> connected = connectLocked(timeout); !connected) {
            return Error{connected.error()};
        }
    }
    const std::string frame = I3IpcCodec::encode(type, payload);
    for (std::size_t sent = 0; sent < frame.size();) {
        const ssize_t written =
            ::send(socket_, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
        if (written > 0) {
            sent += static_cast<std::size_t>(written);
        } else if (written < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!await(socket_, POLLOUT, deadline)) {
                closeLocked();
                return Error{"the compositor took no request within the time allowed"};
            }
        } else {
            const std::string why = std::strerror(errno);
            closeLocked();
            return Error{"the compositor's IPC socket failed: " + why};
        }
    }
    char buffer[65536];
    for (;;) {
        Result<std::optional<I3IpcCodec::Message>> message = decoder_.next();
        if (!message) {
            closeLocked();
            return Error{message.error()};
        }
        if (message.value() && message.value()->type == type) {
            return std::move(message.value()->payload);
        }
        if (message.value()) {
            continue; // not ours (an event on a connection that asked for none): passed over
        }
        const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
        if (got > 0) {
            decoder_.feed(std::string_view(buffer, static_cast<std::size_t>(got)));
        } else if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!await(socket_, POLLIN, deadline)) {
                closeLocked(); // a late reply would answer the next request
                return Error{"the compositor did not answer within the time allowed"};
            }
        } else {
            closeLocked();
            return Error{"the compositor closed its IPC socket"};
        }
    }
}

} // namespace panemark
