#include "platform/i3ipc/I3IpcConnection.h"

#include "platform/i3ipc/I3IpcCodec.h"

namespace panemark {

Result<I3IpcConnection> I3IpcConnection::open(const std::string& socket,
                                              I3IpcReplies::Dialect dialect,
                                              const std::vector<std::string>& eventKinds,
                                              double timeout) {
    const std::string compositor = dialect == I3IpcReplies::Dialect::sway ? "sway" : "i3";
    I3IpcConnection connection;
    connection.client = std::make_unique<I3IpcClient>(socket);
    Result<std::string> version = connection.client->request(I3IpcCodec::getVersion, "", timeout);
    if (!version) {
        return Error{compositor + " does not answer at " + socket + ": " + version.error()};
    }
    connection.desktopName = compositor + " (" +
                             I3IpcReplies::version(version.value()).value_or("unknown version") +
                             ")";
    Result<std::unique_ptr<I3IpcEvents>> events =
        I3IpcEvents::open(socket, eventKinds, connection.desktopName);
    if (!events) {
        return Error{events.error()};
    }
    connection.events = std::move(events).value();
    connection.tree = std::make_unique<I3IpcTree>(*connection.client, dialect);
    return connection;
}

} // namespace panemark
