#pragma once

#include "base/Result.h"
#include "control/InstanceAddress.h"
#include "control/InstanceProtocol.h"

#include <QLocalSocket>
#include <QLockFile>
#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>

namespace panemark {

// The running program's end of the instance socket. Claiming it is what makes this process the
// one Panemark of its user and display: a lock file is taken atomically first (a lock left by
// a killed process is taken over), and only its holder listens on the socket.
class InstanceServer {
public:
    using Json = InstanceProtocol::Json;
    // Answers one request; the reply is written before anything the handler posted runs.
    using Handler = std::function<Json(const Json& request)>;

    struct Claim {
        std::unique_ptr<InstanceServer> server; // none when another instance holds the lock
    };

    // An error, with its reason, when the lock or the socket cannot be made at all.
    static Result<Claim> claim(const InstanceAddress& address);
    ~InstanceServer();
    InstanceServer(const InstanceServer&) = delete;
    InstanceServer& operator=(const InstanceServer&) = delete;

    void handle(const std::string& request, Handler handler);
    const InstanceAddress& address() const { return address_; }

    // A connection that has not sent its request within this long is closed.
    static constexpr int requestTimeoutMilliseconds = 5000;
    // Connections served at once; past it the oldest is closed, so a flood of idle connections
    // can neither use up the descriptors nor lock out the next request.
    static constexpr std::size_t maxClients = 64;
    // After accept fails for want of descriptors, accepting pauses this long (never stops).
    static constexpr int acceptPauseMilliseconds = 100;

    // Whether the socket is listening (for tests: it must stay so whatever reaches it).
    bool isListening() const { return listener_ >= 0; }

private:
    InstanceServer(InstanceAddress address, std::unique_ptr<QLockFile> lock);
    Result<bool> listen();
    void acceptPending();
    void pauseAccepting();
    void serve(QLocalSocket* socket);
    void closeOldestClient();
    std::string answer(const std::string& line);

    InstanceAddress address_;
    std::unique_ptr<QLockFile> lock_;
    // Our own listening socket rather than QLocalServer's, which stops listening for good at
    // the first failed accept.
    int listener_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QObject context_; // owns the client sockets and timers; goes before the listener closes
    std::list<QLocalSocket*> clients_; // oldest first
    // What each client has sent so far. Kept here rather than shared with the client's reading
    // handler: a handler holding no shared pointer is let go without the sanitizers' type
    // checks, which need descriptors of their own exactly when none are left.
    std::map<QLocalSocket*, std::string> received_;
    bool pausedOnce_ = false;
    std::map<std::string, Handler> handlers_;
};

} // namespace panemark
