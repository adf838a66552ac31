#include "ChildProcess.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace panemark::ChildProcess {

pid_t start(const std::vector<std::string>& argv, const Environment& environment,
            const std::string& outputFile, const std::function<int()>& inChild) {
    std::vector<std::string> entries;
    for (const auto& [name, value] : environment) {
        if (!value.empty()) {
            entries.push_back(name + "=" + value);
        }
    }
    std::vector<char*> envp;
    for (std::string& entry : entries) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> arguments = argv;
    std::vector<char*> args;
    for (std::string& argument : arguments) {
        args.push_back(argument.data());
    }
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        const int out = ::open(outputFile.empty() ? "/dev/null" : outputFile.c_str(),
                               O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        if (inChild) {
            if (const int status = inChild(); status != 0) {
                ::_exit(status);
            }
        }
        ::execvpe(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    return pid;
}

int finish(pid_t pid, double seconds) {
    int status = -1;
    if (!waitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, seconds)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void stop(pid_t pid) {
    if (pid <= 0) {
        return;
    }
    ::kill(-pid, SIGTERM);
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

std::optional<double> cpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return std::nullopt;
    }
    // After the command's name in parentheses: state, then 10 more fields, then utime, stime.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long long user = 0;
    unsigned long long system = 0;
    for (int i = 0; i < 11; ++i) {
        fields >> field;
    }
    if (!(fields >> user >> system)) {
        return std::nullopt;
    }
    return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

std::optional<double> cpuSecondsOver(pid_t pid, double seconds) {
    const std::optional<double> before = cpuSeconds(pid);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const std::optional<double> after = cpuSeconds(pid);
    if (!before || !after) {
        return std::nullopt;
    }
    return *after - *before;
}

} // namespace panemark::ChildProcess
