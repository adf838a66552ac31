#pragma once

#include "ChildProcess.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace panemark {

// A session bus of a test's own (dbus-daemon in a folder of its own), made this process's
// session bus. Qt connects to the session bus once per process: one per test program run.
class PrivateSessionBus {
public:
    PrivateSessionBus()
        : folder_(newFolder()), address_("unix:path=" + (folder_ / "bus").string()),
          daemon_(ChildProcess::start(
              {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + address_}, {},
              "")) {
        // Ready once it takes a connection: the socket's file exists a moment before the daemon
        // listens on it, and a connection refused then would stay refused for this process.
        ready_ = ChildProcess::waitFor([&] { return accepts(folder_ / "bus"); }, 10);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    }

    ~PrivateSessionBus() {
        ChildProcess::stop(daemon_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool ready() const { return ready_; }
    const std::string& address() const { return address_; }

private:
    static bool accepts(const std::filesystem::path& socket) {
        const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = socket.string();
        if (probe < 0 || path.size() >= sizeof address.sun_path) {
            return false;
        }
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        const bool connected =
            ::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(probe);
        return connected;
    }

    static std::filesystem::path newFolder() {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() /
            ("panemark-bus-" + std::to_string(::getpid()) + "-" +
             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(folder);
        return folder;
    }

    std::filesystem::path folder_;
    std::string address_;
    pid_t daemon_;
    bool ready_ = false;
};

} // namespace panemark
