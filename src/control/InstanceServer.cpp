#include "control/InstanceServer.h"

#include "base/Guard.h"
#include "base/Log.h"

#include <QTimer>
#include <QtGlobal>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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
    notifier_.reset();
    const QObjectList connections = context_.children();
    qDeleteAll(connections);
    clients_.clear();
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(address_.socketPath.c_str());
    }
    lock_->unlock();
}

Result<bool> InstanceServer::listen() {
    const std::string& path = address_.socketPath;
    sockaddr_un name{};
    name.sun_family = AF_UNIX;
    if (path.size() >= sizeof(name.sun_path)) {
        return Error{"cannot listen on " + path + ": the path is too long"};
    }
    std::memcpy(name.sun_path, path.c_str(), path.size() + 1);
    // We hold the lock, so whatever is at the socket's path was left by an instance that died.
    ::unlink(path.c_str());
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener < 0) {
        return Error{"cannot listen on " + path + ": " + std::strerror(errno)};
    }
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&name), sizeof(name)) != 0 ||
        ::chmod(path.c_str(), S_IRUSR | S_IWUSR) != 0 || ::listen(listener, 128) != 0) {
        const std::string why = std::strerror(errno);
        ::close(listener);
        return Error{"cannot listen on " + path + ": " + why};
    }
    listener_ = listener;
    notifier_ = std::make_unique<QSocketNotifier>(listener_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, &context_,
                     [this] { acceptPending(); });
    return true;
}

void InstanceServer::handle(const std::string& request, Handler handler) {
    handlers_[request] = std::move(handler);
}

void InstanceServer::acceptPending() {
    for (;;) {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client >= 0) {
            if (clients_.size() >= maxClients) {
                closeOldestClient();
            }
            auto* socket = new QLocalSocket(&context_);
            socket->setSocketDescriptor(client, QLocalSocket::ConnectedState, QIODevice::ReadWrite);
            serve(socket);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            // Out of descriptors (or memory): make room and come back shortly. The socket keeps
            // listening; what waits in its queue is taken then.
            if (!std::exchange(pausedOnce_, true)) {
                Log::write(std::string("accepting a command-line connection failed (") +
                           std::strerror(errno) + "); the oldest ones are closed to make room");
            }
            closeOldestClient();
            pauseAccepting();
        }
        return;
    }
}

void InstanceServer::pauseAccepting() {
    notifier_->setEnabled(false);
    QTimer::singleShot(acceptPauseMilliseconds, &context_, [this] {
        notifier_->setEnabled(true);
        acceptPending();
    });
}

void InstanceServer::closeOldestClient() {
    if (clients_.empty()) {
        return;
    }
    QLocalSocket* oldest = clients_.front();
    clients_.pop_front();
    received_.erase(oldest);
    QObject::disconnect(oldest, nullptr, &context_, nullptr);
    oldest->abort();
    delete oldest; // its descriptor is free at once, not a turn of the loop later
}

void InstanceServer::serve(QLocalSocket* socket) {
    clients_.push_back(socket);
    received_[socket];
    QObject::connect(socket, &QObject::destroyed, &context_, [this, socket] {
        clients_.remove(socket);
        received_.erase(socket);
    });
    // A lambda, not &QObject::deleteLater: Qt's call of a member function is one instance of a
    // template shared by every file that connects one, which this file's build options (see
    // its CMakeLists) cannot reach.
    QObject::connect(socket, &QLocalSocket::disconnected, socket,
                     [socket] { socket->deleteLater(); });
    QTimer::singleShot(requestTimeoutMilliseconds, socket,
                       [socket] { socket->disconnectFromServer(); });
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        std::string* buffer = &received_[socket];
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
