#pragma once

#include <QLocalServer>
#include <memory>
#include <string>

namespace panemark {

// One running Panemark per user and display: the first claims a local socket, later ones find
// it taken.
class SingleInstance {
public:
    // None when another instance already holds the name.
    static std::unique_ptr<SingleInstance> claim(const std::string& name);
    // Per user and per display, since hot keys belong to a display.
    static std::string nameForThisSession();

private:
    explicit SingleInstance(std::unique_ptr<QLocalServer> server) : server_(std::move(server)) {}
    std::unique_ptr<QLocalServer> server_;
};

} // namespace panemark
