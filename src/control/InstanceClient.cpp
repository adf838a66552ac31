#include "control/InstanceClient.h"

#include "base/Deadline.h"

#include <QLocalSocket>
#include <algorithm>

namespace panemark {

namespace {

using Answer = InstanceClient::Answer;

Answer failed(std::string why) {
    Answer answer;
    answer.error = std::move(why);
    return answer;
}

int milliseconds(const Deadline& deadline) {
    return std::max(0, static_cast<int>(deadline.remaining() * 1000));
}

// Connected, not running (no socket, or nobody listening), or failed. Used in blocking mode:
// the command line runs no event loop.
Answer::Outcome connectTo(QLocalSocket& socket, const std::string& path, const Deadline& deadline,
                          std::string* why) {
    socket.connectToServer(QString::fromStdString(path));
    if (socket.waitForConnected(milliseconds(deadline))) {
        return Answer::Outcome::replied;
    }
    const QLocalSocket::LocalSocketError error = socket.error();
    if (error == QLocalSocket::ServerNotFoundError ||
        error == QLocalSocket::ConnectionRefusedError) {
        return Answer::Outcome::notRunning;
    }
    *why = "cannot connect to " + path + ": " + socket.errorString().toStdString();
    return Answer::Outcome::failed;
}

} // namespace

Answer InstanceClient::ask(const InstanceAddress& address, const Json& request,
                           double timeoutSeconds) {
    return askLine(address, InstanceProtocol::line(request), timeoutSeconds);
}

Answer InstanceClient::askLine(const InstanceAddress& address, const std::string& line,
                               double timeoutSeconds) {
    const Deadline deadline(timeoutSeconds);
    QLocalSocket socket;
    std::string why;
    const Answer::Outcome connected = connectTo(socket, address.socketPath, deadline, &why);
    if (connected != Answer::Outcome::replied) {
        Answer answer = failed(why);
        answer.outcome = connected;
        return answer;
    }
    // A refused request (too large, say) is answered before it has all been sent: the answer is
    // read whether or not the sending went through.
    socket.write(line.data(), static_cast<qint64>(line.size()));
    std::string received;
    while (received.find('\n') == std::string::npos) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(milliseconds(deadline))) {
            if (socket.state() != QLocalSocket::ConnectedState) {
                return failed("the running Panemark closed the connection without an answer");
            }
            return failed(socket.bytesToWrite() > 0
                              ? "the running Panemark did not take the request"
                              : "the running Panemark did not answer in time");
        }
        const QByteArray chunk = socket.readAll();
        received.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
        if (received.size() > InstanceProtocol::maxReplySize) {
            return failed("the running Panemark's answer is too large");
        }
    }
    Result<Json> reply = InstanceProtocol::parse(received.substr(0, received.find('\n')));
    if (!reply) {
        return failed("the running Panemark " + reply.error());
    }
    Answer answer;
    answer.outcome = Answer::Outcome::replied;
    answer.reply = std::move(reply).value();
    return answer;
}

bool InstanceClient::isRunning(const InstanceAddress& address) {
    QLocalSocket socket;
    std::string why;
    return connectTo(socket, address.socketPath, Deadline(defaultTimeout), &why) ==
           Answer::Outcome::replied;
}

} // namespace panemark
