#pragma once

#include "ChildProcess.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
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
        ready_ =
            ChildProcess::waitFor([&] { return std::filesystem::exists(folder_ / "bus"); }, 10);
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
