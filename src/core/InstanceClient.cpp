#include "core/InstanceClient.h"

#include "runtime/Deadline.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace panemark {

namespace {

using Answer = InstanceClient::Answer;

Answer failed(std::string why) {
    Answer answer;
    answer.error = std::move(why);
    return answer;
}

class Socket {
public:
    Socket() : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

bool waitFor(int fd, short events, const Deadline& deadline) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int milliseconds = static_cast<int>(deadline.remaining() * 1000) + 1;
        const int ready = ::poll(&entry, 1, deadline.passed() ? 0 : milliseconds);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0;
    }
}

// Connected, not running (nothing listens), or failed.
Answer::Outcome connectTo(const Socket& socket, const std::string& path, std::string* why) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) {
        *why = "the socket path " + path + " is too long";
        return Answer::Outcome::failed;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) {
        return Answer::Outcome::replied;
    }
    const int error = errno;
    if (error == ENOENT || error == ECONNREFUSED) {
        return Answer::Outcome::notRunning;
    }
    *why = "cannot connect to " + path + ": " + std::strerror(error);
    return Answer::Outcome::failed;
}

bool sendAll(const Socket& socket, const std::string& text, const Deadline& deadline) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        if (!waitFor(socket.fd(), POLLOUT, deadline)) {
            return false;
        }
        const ssize_t count =
            ::send(socket.fd(), text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno != EINTR && errno != EAGAIN) {
            return false;
        }
        sent += count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    return true;
}

} // namespace

Answer InstanceClient::ask(const InstanceAddress& address, const Json& request,
                           double timeoutSeconds) {
    return askLine(address, InstanceProtocol::line(request), timeoutSeconds);
}

Answer InstanceClient::askLine(const InstanceAddress& address, const std::string& line,
                               double timeoutSeconds) {
    const Deadline deadline(timeoutSeconds);
    Socket socket;
    if (socket.fd() < 0) {
        return failed(std::string("cannot make a socket: ") + std::strerror(errno));
    }
    std::string why;
    const Answer::Outcome connected = connectTo(socket, address.socketPath, &why);
    if (connected != Answer::Outcome::replied) {
        Answer answer = failed(why);
        answer.outcome = connected;
        return answer;
    }
    ::fcntl(socket.fd(), F_SETFL, ::fcntl(socket.fd(), F_GETFL) | O_NONBLOCK);
    // A refused request (too large, say) is answered before it has all been sent: read the
    // answer whether or not the sending went through.
    const bool sent = sendAll(socket, line, deadline);
    std::string received;
    char buffer[65536];
    while (received.find('\n') == std::string::npos) {
        if (!waitFor(socket.fd(), POLLIN, deadline)) {
            return failed(sent ? "the running Panemark did not answer in time"
                               : "the running Panemark did not take the request");
        }
        const ssize_t count = ::recv(socket.fd(), buffer, sizeof(buffer), 0);
        if (count == 0) {
            return failed("the running Panemark closed the connection without an answer");
        }
        if (count < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            return failed(std::string("reading the answer failed: ") + std::strerror(errno));
        }
        received.append(buffer, static_cast<std::size_t>(count));
        if (received.size() > InstanceProtocol::maxReplySize) {
            return failed("the running Panemark's answer is too large");
        }
    }
    Result<Json> reply = InstanceProtocol::parse(received.substr(0, received.find('\n')));
    if (!reply) {
        return failed("the running Panemark " + reply.error());
    }
    Answer answer;
    answer.outcome = Answer::Outcome::replied;
    answer.reply = std::move(reply).value();
    return answer;
}

bool InstanceClient::isRunning(const InstanceAddress& address) {
    Socket socket;
    std::string why;
    return socket.fd() >= 0 &&
           connectTo(socket, address.socketPath, &why) == Answer::Outcome::replied;
}

} // namespace panemark
