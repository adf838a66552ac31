#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace panemark {

// Programs the session tests start: each in a process group of its own (so that stopping it
// stops what it started), with exactly the environment given, its output appended to a file
// or dropped.
namespace ChildProcess {

using Environment = std::map<std::string, std::string>;

// `inChild` runs in the child before the program (dropping privileges, say); a non-zero result
// ends the child with that status.
pid_t start(const std::vector<std::string>& argv, const Environment& environment,
            const std::string& outputFile, const std::function<int()>& inChild = {});
// Waits for a started program to end, at most `seconds` (then kills it): its exit status, or
// -1 when it did not exit by itself.
int finish(pid_t pid, double seconds);
// Stops a started program and everything in its group.
void stop(pid_t pid);
// The processor time a running program has used so far, user and system, in seconds; none
// once it is gone. How a test tells waiting from spinning.
std::optional<double> cpuSeconds(pid_t pid);
// The processor time a running program uses over the next `seconds` (a stretch of waiting to
// measure); none when it is gone.
std::optional<double> cpuSecondsOver(pid_t pid, double seconds);
// The most processor time a program that waits without spinning uses over 3 s: a tenth of it.
// A sanitized build's own threads (ThreadSanitizer's, above all) work while the program
// waits, so it is given a third there; a busy loop takes all of it either way.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
inline constexpr double idleCpuSecondsOver3s = 1.0;
#else
inline constexpr double idleCpuSecondsOver3s = 0.3;
#endif

// Polls a condition every 10 ms until it holds or `seconds` have passed; whether it held.
template <class Condition> bool waitFor(Condition condition, double seconds) {
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    while (std::chrono::steady_clock::now() < until) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

} // namespace ChildProcess

} // namespace panemark
