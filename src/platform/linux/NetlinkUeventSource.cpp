#include "platform/linux/NetlinkUeventSource.h"

#include "base/Guard.h"

#include <cerrno>
#include <cstring>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace panemark {

namespace {

constexpr unsigned kernelEventGroup = 1;

} // namespace

NetlinkUeventSource::NetlinkUeventSource() {
    fd_ = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT);
    if (fd_ < 0) {
        failure_ = std::string("cannot open the kernel's device events: ") + std::strerror(errno);
        return;
    }
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = kernelEventGroup;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        failure_ =
            std::string("cannot listen to the kernel's device events: ") + std::strerror(errno);
        ::close(fd_);
        fd_ = -1;
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { read(); });
}

NetlinkUeventSource::~NetlinkUeventSource() {
    notifier_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

Subscription NetlinkUeventSource::onInputEvent(std::function<void()> callback) {
    return inputEvents_.connect([callback = std::move(callback)] { callback(); });
}

bool NetlinkUeventSource::isInputEvent(std::string_view message) {
    for (std::size_t at = 0; at < message.size();) {
        const std::size_t end = std::min(message.find('\0', at), message.size());
        if (message.substr(at, end - at) == "SUBSYSTEM=input") {
            return true;
        }
        at = end + 1;
    }
    return false;
}

bool NetlinkUeventSource::drainMentionsInput(
    const std::function<long(char*, std::size_t)>& receive) {
    char buffer[8192];
    bool input = false;
    for (;;) {
        const long count = receive(buffer, sizeof(buffer));
        if (count > 0) {
            input = input || isInputEvent({buffer, static_cast<std::size_t>(count)});
        } else if (count < 0 && errno == ENOBUFS) {
            input = true; // what was lost may have been a keyboard coming or going
        } else if (!(count < 0 && errno == EINTR)) {
            return input; // drained (EAGAIN), or nothing more to read
        }
    }
}

void NetlinkUeventSource::read() {
    const bool input = drainMentionsInput([this](char* buffer, std::size_t size) {
        return static_cast<long>(::recv(fd_, buffer, size, 0));
    });
    if (input) {
        Guard::run("reading device events", [this] { inputEvents_.emit(); });
    }
}

} // namespace panemark
