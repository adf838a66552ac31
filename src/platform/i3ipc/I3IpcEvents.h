#pragma once

#include "base/Cancellable.h"
#include "base/Result.h"
#include "base/Signal.h"
#include "platform/i3ipc/I3IpcCodec.h"

#include <QLocalSocket>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace panemark {

// The compositor's events on a connection of their own, as the protocol advises, read on the
// main thread. Subscribes once at opening; a stream that breaks the protocol is logged and
// closed, which counts as the compositor going away.
class I3IpcEvents {
public:
    // names: the events to hear ("binding", "output", …); desktop: the compositor and its
    // version, as a kind it refuses is logged.
    static Result<std::unique_ptr<I3IpcEvents>> open(const std::string& socketPath,
                                                     const std::vector<std::string>& names,
                                                     const std::string& desktop);
    ~I3IpcEvents();
    I3IpcEvents(const I3IpcEvents&) = delete;
    I3IpcEvents& operator=(const I3IpcEvents&) = delete;

    // Called with every event's type and payload, in order.
    [[nodiscard]] Subscription onEvent(std::function<void(std::uint32_t, const std::string&)> slot);
    // Called once when the connection ends (the compositor exited or broke the protocol).
    [[nodiscard]] Subscription onClosed(std::function<void()> slot);

    // The kinds the compositor refused so far.
    std::vector<std::string> refused() const;

private:
    I3IpcEvents() = default;
    void readAvailable();
    void subscribed(const std::string& reply);
    void close();

    QLocalSocket socket_;
    I3IpcCodec::Decoder decoder_;
    Signal<std::uint32_t, std::string> events_;
    Signal<> closed_;
    bool open_ = true;
    std::string desktop_;
    std::deque<std::string> pendingSubscriptions_;
    std::vector<std::string> refused_;
};

} // namespace panemark
