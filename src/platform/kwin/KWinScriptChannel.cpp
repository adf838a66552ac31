#include "platform/kwin/KWinScriptChannel.h"

#include "platform/kwin/KWinScriptEndpoint.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMetaObject>
#include <limits>

namespace panemark {

KWinScriptChannel::KWinScriptChannel(Listener listener) : listener_(std::move(listener)) {}

Result<std::unique_ptr<KWinScriptChannel>> KWinScriptChannel::open(Listener listener) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return Error{"there is no session bus to talk to KWin on (" +
                     bus.lastError().message().toStdString() + ")"};
    }
    std::unique_ptr<KWinScriptChannel> channel(new KWinScriptChannel(std::move(listener)));
    channel->thread_.setObjectName("KWin script");
    channel->thread_.start();
    channel->endpoint_ = new KWinScriptEndpoint(*channel);
    channel->endpoint_->moveToThread(&channel->thread_);
    if (!bus.registerObject(objectPath, channel->endpoint_, QDBusConnection::ExportAllSlots)) {
        return Error{"cannot offer an object on the session bus at " + std::string(objectPath)};
    }
    channel->service_ = bus.registerService(programServiceName) ? programServiceName
                                                                : bus.baseService().toStdString();
    return channel;
}

KWinScriptChannel::~KWinScriptChannel() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (ownsProgramName()) {
        bus.unregisterService(programServiceName);
    }
    bus.unregisterObject(objectPath);
    failAllPending();
    if (endpoint_) {
        // On its own thread, which owns its timer, and before that thread stops.
        QMetaObject::invokeMethod(
            endpoint_, [endpoint = endpoint_] { delete endpoint; }, Qt::BlockingQueuedConnection);
    }
    thread_.quit();
    thread_.wait();
}

void KWinScriptChannel::expect(const std::string& token) {
    {
        std::lock_guard lock(mutex_);
        token_ = token;
        heardAt_.reset();
        outbound_.clear();
    }
    failAllPending();
    QMetaObject::invokeMethod(
        endpoint_, [endpoint = endpoint_] { endpoint->stopOtherCopies(); }, Qt::QueuedConnection);
}

Result<std::string>
KWinScriptChannel::request(const std::function<std::string(std::uint64_t)>& make, double timeout) {
    auto pending = std::make_shared<Pending>();
    std::uint64_t serial = 0;
    {
        std::lock_guard lock(mutex_);
        if (token_.empty()) {
            return Error{"KWin has not loaded Panemark's script"};
        }
        if (!heardAt_) {
            // Nothing to wait for: this copy has not asked for work yet (it is starting, or the
            // main loop that serves its calls is not running yet).
            return Error{"Panemark's KWin script has not started yet"};
        }
        serial = nextSerial_++;
        pending_[serial] = pending;
        outbound_.emplace_back(serial, make(serial));
    }
    QMetaObject::invokeMethod(
        endpoint_, [endpoint = endpoint_] { endpoint->dispatch(); }, Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(std::max(0.0, timeout)));
    answered_.wait_until(lock, deadline, [&] { return pending->answered; });
    pending_.erase(serial);
    if (!pending->answered) {
        // Still queued: the script never asked for it, so it must not get it late.
        std::erase_if(outbound_, [&](const auto& queued) { return queued.first == serial; });
        return Error{"KWin's script did not answer in time"};
    }
    if (pending->answer.empty()) {
        return Error{"KWin's script was replaced before it answered"};
    }
    return pending->answer;
}

Result<std::string> KWinScriptChannel::look(double timeout) {
    return request(KWinScriptMessages::lookRequest, timeout);
}

Result<std::string> KWinScriptChannel::window(const std::string& id, double timeout) {
    return request(
        [&](std::uint64_t serial) { return KWinScriptMessages::windowRequest(serial, id); },
        timeout);
}

Result<std::string> KWinScriptChannel::place(const std::string& id, const Rect& frame,
                                             int waitMilliseconds, double timeout) {
    return request(
        [&](std::uint64_t serial) {
            return KWinScriptMessages::placeRequest(serial, id, frame, waitMilliseconds);
        },
        timeout);
}

double KWinScriptChannel::secondsSinceHeard() const {
    std::lock_guard lock(mutex_);
    if (!heardAt_) {
        return std::numeric_limits<double>::infinity();
    }
    return std::chrono::duration<double>(Clock::now() - *heardAt_).count();
}

bool KWinScriptChannel::isExpected(const std::string& token) const {
    std::lock_guard lock(mutex_);
    return !token_.empty() && token == token_;
}

std::optional<std::string> KWinScriptChannel::nextRequest(const std::string& token) {
    std::lock_guard lock(mutex_);
    if (token != token_) {
        return std::nullopt;
    }
    heardAt_ = Clock::now();
    if (outbound_.empty()) {
        return std::nullopt;
    }
    std::string request = std::move(outbound_.front().second);
    outbound_.pop_front();
    return request;
}

void KWinScriptChannel::answer(const std::string& token, std::uint64_t serial,
                               const std::string& text) {
    std::lock_guard lock(mutex_);
    if (token != token_) {
        return;
    }
    heardAt_ = Clock::now();
    const auto pending = pending_.find(serial);
    if (pending == pending_.end()) {
        return; // its asker gave up
    }
    pending->second->answered = true;
    pending->second->answer = text.empty() ? "{}" : text;
    answered_.notify_all();
}

void KWinScriptChannel::failAllPending() {
    std::lock_guard lock(mutex_);
    for (auto& [serial, pending] : pending_) {
        pending->answered = true;
        pending->answer.clear();
    }
    answered_.notify_all();
}

} // namespace panemark
