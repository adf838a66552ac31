#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <sys/types.h>
#include <unistd.h>

namespace panemark {

// CPU time (user + system) a process has used so far, in seconds.
inline double cpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    if (text.rfind(')') == std::string::npos) {
        return 0;
    }
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15) {
            ticks += std::stod(field);
        }
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// One field of /proc/PID/status as the kernel writes it, "13204 kB", or "unknown".
inline std::string statusField(pid_t pid, const std::string& name) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(name + ":", 0) == 0) {
            const auto value = line.find_first_not_of(" \t", name.size() + 1);
            return value == std::string::npos ? "unknown" : line.substr(value);
        }
    }
    return "unknown";
}

// Resident memory (VmRSS), "13204 kB".
inline std::string residentMemory(pid_t pid) {
    return statusField(pid, "VmRSS");
}

// The process's own heap and stacks (RssAnon), "3652 kB": resident memory less the pages of
// libraries and fonts, which a desktop shares among all the programs that map them.
inline std::string anonymousMemory(pid_t pid) {
    return statusField(pid, "RssAnon");
}

} // namespace panemark
