#include "platform/i3ipc/I3IpcEvents.h"

#include "base/Guard.h"
#include "base/Log.h"

#include <nlohmann/json.hpp>

namespace panemark {

Result<std::unique_ptr<I3IpcEvents>> I3IpcEvents::open(const std::string& socketPath,
                                                       const std::vector<std::string>& names,
                                                       const std::string& desktop) {
    std::unique_ptr<I3IpcEvents> events(new I3IpcEvents);
    events->desktop_ = desktop;
    events->socket_.connectToServer(QString::fromStdString(socketPath));
    if (!events->socket_.waitForConnected(2000)) {
        return Error{"cannot reach the compositor's events at " + socketPath + ": " +
                     events->socket_.errorString().toStdString()};
    }
    // One subscription per kind: sway 1.8 and older refuse a whole list that names a kind they
    // do not send, which would take every other kind with it.
    for (const std::string& name : names) {
        const std::string request =
            I3IpcCodec::encode(I3IpcCodec::subscribe, nlohmann::json::array({name}).dump());
        events->socket_.write(request.data(), static_cast<qint64>(request.size()));
        events->pendingSubscriptions_.push_back(name);
    }
    // Each subscription's reply arrives before that kind's first event.
    QObject::connect(
        &events->socket_, &QLocalSocket::readyRead, &events->socket_,
        [raw = events.get()] { Guard::run("IPC event", [raw] { raw->readAvailable(); }); });
    QObject::connect(&events->socket_, &QLocalSocket::disconnected, &events->socket_,
                     [raw = events.get()] { raw->close(); });
    events->socket_.flush();
    return events;
}

I3IpcEvents::~I3IpcEvents() {
    QObject::disconnect(&socket_, nullptr, nullptr, nullptr);
}

Subscription I3IpcEvents::onEvent(std::function<void(std::uint32_t, const std::string&)> slot) {
    return events_.connect(std::move(slot));
}

Subscription I3IpcEvents::onClosed(std::function<void()> slot) {
    return closed_.connect(std::move(slot));
}

void I3IpcEvents::readAvailable() {
    const QByteArray bytes = socket_.readAll();
    decoder_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    for (;;) {
        Result<std::optional<I3IpcCodec::Message>> message = decoder_.next();
        if (!message) {
            Log::write(message.error());
            socket_.abort();
            close();
            return;
        }
        if (!message.value()) {
            return;
        }
        if ((message.value()->type & I3IpcCodec::eventBit) != 0) {
            events_.emit(message.value()->type, message.value()->payload);
        } else if (message.value()->type == I3IpcCodec::subscribe) {
            subscribed(message.value()->payload);
        }
    }
}

void I3IpcEvents::subscribed(const std::string& reply) {
    if (pendingSubscriptions_.empty()) {
        return;
    }
    const std::string name = pendingSubscriptions_.front();
    pendingSubscriptions_.pop_front();
    const nlohmann::json answer = nlohmann::json::parse(reply, nullptr, false);
    const bool success = answer.is_object() && answer.value("success", false) == true;
    if (!success) {
        refused_.push_back(name);
        Log::write(desktop_ + " refused to send its " + name + " events; Panemark goes on without");
    }
}

std::vector<std::string> I3IpcEvents::refused() const {
    return refused_;
}

void I3IpcEvents::close() {
    if (std::exchange(open_, false)) {
        closed_.emit();
    }
}

} // namespace panemark
