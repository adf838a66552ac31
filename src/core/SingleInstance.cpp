#include "core/SingleInstance.h"

#include <QLocalSocket>
#include <cctype>
#include <cstdlib>
#include <unistd.h>

namespace panemark {

std::unique_ptr<SingleInstance> SingleInstance::claim(const std::string& name) {
    const QString serverName = QString::fromStdString(name);
    QLocalSocket probe;
    probe.connectToServer(serverName);
    if (probe.waitForConnected(500)) {
        return nullptr;
    }
    // Nobody answers: a socket left behind by a crash is ours to take over.
    QLocalServer::removeServer(serverName);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(serverName)) {
        return nullptr;
    }
    return std::unique_ptr<SingleInstance>(new SingleInstance(std::move(server)));
}

std::string SingleInstance::nameForThisSession() {
    std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    for (char& c : display) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return "panemark-" + std::to_string(getuid()) + "-" + display;
}

} // namespace panemark
