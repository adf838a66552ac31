#include "core/InstanceServer.h"

#include "runtime/Guard.h"

#include <QLocalSocket>
#include <QTimer>
#include <QtGlobal>

namespace panemark {

Result<InstanceServer::Claim> InstanceServer::claim(const InstanceAddress& address) {
    auto lock = std::make_unique<QLockFile>(QString::fromStdString(address.lockPath));
    // Never stale by age: only by its holder having died, which QLockFile checks by process id.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        switch (lock->error()) {
        case QLockFile::LockFailedError:
            return Claim{};
        case QLockFile::PermissionError:
            return Error{"cannot create the lock file " + address.lockPath + ": permission denied"};
        default:
            return Error{"cannot create the lock file " + address.lockPath};
        }
    }
    std::unique_ptr<InstanceServer> server(new InstanceServer(address, std::move(lock)));
    if (Result<bool> listening = server->listen(); !listening) {
        return Error{listening.error()};
    }
    return Claim{std::move(server)};
}

InstanceServer::InstanceServer(InstanceAddress address, std::unique_ptr<QLockFile> lock)
    : address_(std::move(address)), lock_(std::move(lock)) {}

InstanceServer::~InstanceServer() {
    server_.close(); // removes the socket file
    lock_->unlock();
}

Result<bool> InstanceServer::listen() {
    const QString path = QString::fromStdString(address_.socketPath);
    // We hold the lock, so whatever is at the socket's path was left by an instance that died.
    QLocalServer::removeServer(path);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(path)) {
        return Error{"cannot listen on " + address_.socketPath + ": " +
                     server_.errorString().toStdString()};
    }
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] { accept(); });
    return true;
}

void InstanceServer::handle(const std::string& request, Handler handler) {
    handlers_[request] = std::move(handler);
}

void InstanceServer::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(requestTimeoutMilliseconds, socket,
                           [socket] { socket->disconnectFromServer(); });
        auto buffer = std::make_shared<std::string>();
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket, buffer] {
            const QByteArray data = socket->readAll();
            const std::size_t searched = buffer->size(); // only the new part can hold it
            buffer->append(data.constData(), static_cast<std::size_t>(data.size()));
            const std::size_t newline = buffer->find('\n', searched);
            const std::size_t length = std::min(newline, buffer->size());
            std::string reply;
            if (length > InstanceProtocol::maxRequestSize) {
                reply = InstanceProtocol::line(InstanceProtocol::failure("request too large"));
            } else if (newline != std::string::npos) {
                reply = answer(buffer->substr(0, newline));
            } else {
                return; // more to come
            }
            QObject::disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
            socket->write(reply.data(), static_cast<qint64>(reply.size()));
            socket->flush();
            socket->disconnectFromServer(); // after what is written has gone out
        });
    }
}

std::string InstanceServer::answer(const std::string& line) {
    Result<Json> request = InstanceProtocol::parse(line);
    if (!request) {
        return InstanceProtocol::line(InstanceProtocol::failure(request.error()));
    }
    const Json& message = request.value();
    const auto name = message.find("request");
    if (name == message.end() || !name->is_string()) {
        return InstanceProtocol::line(InstanceProtocol::failure("no request named"));
    }
    const auto handler = handlers_.find(name->get<std::string>());
    if (handler == handlers_.end()) {
        return InstanceProtocol::line(
            InstanceProtocol::failure("unknown request \"" + name->get<std::string>() + "\""));
    }
    Json reply = InstanceProtocol::failure("the request failed");
    Guard::run("answering \"" + handler->first + "\"", [&] { reply = handler->second(message); });
    return InstanceProtocol::line(reply);
}

} // namespace panemark
