#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace panemark {

// SIGINT and SIGTERM, delivered on the event loop: the handler only writes a byte to a pipe,
// which the loop watches, so nothing unsafe runs inside the signal handler.
class SignalPipe {
public:
    explicit SignalPipe(std::function<void(int)> onSignal);
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

private:
    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace panemark
