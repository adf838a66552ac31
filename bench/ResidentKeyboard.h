#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace panemark {

// One of the tests' keyboards kept running with --lines: starting a process per press would
// cost more than what the benches measure.
class ResidentKeyboard {
public:
    ResidentKeyboard(const char* program, const std::map<std::string, std::string>& environment) {
        int toChild[2];
        int fromChild[2];
        if (pipe(toChild) != 0 || pipe(fromChild) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(toChild[0], 0);
            dup2(fromChild[1], 1);
            for (const int end : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) {
                close(end); // else it would never see the end of its input
            }
            for (const auto& [name, value] : environment) {
                setenv(name.c_str(), value.c_str(), 1);
            }
            execl(program, program, "--lines", nullptr);
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        in_ = fdopen(toChild[1], "w");
        out_ = fdopen(fromChild[0], "r");
    }

    ~ResidentKeyboard() {
        if (in_) {
            std::fclose(in_);
        }
        if (out_) {
            std::fclose(out_);
        }
        if (pid_ > 0) {
            waitpid(pid_, nullptr, 0);
        }
    }

    ResidentKeyboard(const ResidentKeyboard&) = delete;
    ResidentKeyboard& operator=(const ResidentKeyboard&) = delete;

    // Presses an evdev key with Ctrl, Alt and Super held; returns once the compositor has it.
    bool pressWithHyper(int evdevCode) {
        if (!in_ || !out_) {
            return false;
        }
        std::fprintf(in_, "%d ctrl alt logo\n", evdevCode);
        std::fflush(in_);
        char line[64];
        return std::fgets(line, sizeof line, out_) != nullptr;
    }

    struct PressTimes {
        std::vector<double> milliseconds; // of the presses that landed
        int missed = 0;
    };
    // Presses ⌃⌥⌘← and ⌃⌥⌘→ in turn, timing each from the press until placed(toLeft) says the
    // window is on that half.
    PressTimes timeHalves(int presses, const std::function<bool(bool toLeft)>& placed) {
        PressTimes result;
        for (int i = 0; i < presses; ++i) {
            const bool toLeft = i % 2 == 0;
            const auto start = std::chrono::steady_clock::now();
            if (!pressWithHyper(toLeft ? 105 : 106)) {
                break;
            }
            if (placed(toLeft)) {
                result.milliseconds.push_back(std::chrono::duration<double, std::milli>(
                                                  std::chrono::steady_clock::now() - start)
                                                  .count());
            } else {
                ++result.missed;
            }
        }
        return result;
    }

    // As timeHalves, for a desktop that tells when the frame changed: `watch(toLeft)` starts its
    // stopwatch before each press, and `placedAfter(toLeft, pressedAt)` answers the milliseconds
    // from the press to the frame (none when it never came).
    PressTimes timeHalvesTold(
        int presses, const std::function<void(bool toLeft)>& watch,
        const std::function<std::optional<double>(
            bool toLeft, std::chrono::steady_clock::time_point pressedAt)>& placedAfter) {
        PressTimes result;
        for (int i = 0; i < presses; ++i) {
            const bool toLeft = i % 2 == 0;
            watch(toLeft);
            const auto pressedAt = std::chrono::steady_clock::now();
            if (!pressWithHyper(toLeft ? 105 : 106)) {
                break;
            }
            if (const std::optional<double> placed = placedAfter(toLeft, pressedAt)) {
                result.milliseconds.push_back(*placed);
            } else {
                ++result.missed;
            }
        }
        return result;
    }

private:
    pid_t pid_ = -1;
    FILE* in_ = nullptr;
    FILE* out_ = nullptr;
};

} // namespace panemark
