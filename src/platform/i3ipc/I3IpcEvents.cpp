#include "platform/i3ipc/I3IpcEvents.h"

#include "runtime/Guard.h"
#include "runtime/Log.h"

#include <nlohmann/json.hpp>

namespace panemark {

Result<std::unique_ptr<I3IpcEvents>> I3IpcEvents::open(const std::string& socketPath,
                                                       const std::vector<std::string>& names) {
    std::unique_ptr<I3IpcEvents> events(new I3IpcEvents);
    events->socket_.connectToServer(QString::fromStdString(socketPath));
    if (!events->socket_.waitForConnected(2000)) {
        return Error{"cannot reach the compositor's events at " + socketPath + ": " +
                     events->socket_.errorString().toStdString()};
    }
    const std::string request =
        I3IpcCodec::encode(I3IpcCodec::subscribe, nlohmann::json(names).dump());
    events->socket_.write(request.data(), static_cast<qint64>(request.size()));
    // The subscription's own reply arrives first and is passed over like any other reply.
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
        }
    }
}

void I3IpcEvents::close() {
    if (std::exchange(open_, false)) {
        closed_.emit();
    }
}

} // namespace panemark
