#pragma once

#include "base/Signal.h"
#include "platform/linux/UeventSource.h"

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace panemark {

// Kernel uevents from a netlink socket, read by the event loop of the thread that made it.
class NetlinkUeventSource : public UeventSource {
public:
    NetlinkUeventSource();
    ~NetlinkUeventSource() override;
    NetlinkUeventSource(const NetlinkUeventSource&) = delete;
    NetlinkUeventSource& operator=(const NetlinkUeventSource&) = delete;

    std::optional<std::string> failure() const override { return failure_; }
    Subscription onInputEvent(std::function<void()> callback) override;

    // Whether a uevent message (ACTION@DEVPATH, then KEY=VALUE fields, NUL-separated) is about
    // the input subsystem.
    static bool isInputEvent(std::string_view message);
    // Reads messages with receive (recv's contract) until none is waiting; whether any was about
    // input, or may have been: an overflowed socket (ENOBUFS) dropped messages unseen.
    static bool drainMentionsInput(const std::function<long(char*, std::size_t)>& receive);

private:
    void read();

    int fd_ = -1;
    std::optional<std::string> failure_;
    std::unique_ptr<QSocketNotifier> notifier_;
    Signal<> inputEvents_;
};

} // namespace panemark
