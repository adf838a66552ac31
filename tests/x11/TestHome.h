#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace panemark {

// A home of the test's own for everything Panemark keeps: runtime (lock and socket, private as
// Qt expects), configuration and data (profiles) all in one folder, removed afterwards.
class TestHome {
public:
    explicit TestHome(const std::string& name)
        : path_(std::filesystem::temp_directory_path() /
                ("panemark-" + name + "-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(path_);
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
        for (const char* variable : {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            setenv(variable, path_.c_str(), 1);
        }
        showSplash(false); // a card in the middle of the screen is no part of most tests
    }

    // Whether Panemark shows its splash card when it starts.
    void showSplash(bool show) const {
        std::filesystem::create_directories(path_ / "Panemark");
        std::ofstream(path_ / "Panemark" / "Panemark.conf")
            << "[General]\nPanemark.showSplashAtLaunch=" << (show ? "true" : "false") << "\n";
    }
    ~TestHome() {
        for (const char* variable : {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            unsetenv(variable);
        }
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    const std::filesystem::path& path() const { return path_; }
    operator const std::filesystem::path&() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace panemark
