#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace panemark {

// `panemark status`, `palette`, `settings`, `about` and `quit`: requests to the running program
// over its socket.
class InstanceTool {
public:
    static constexpr int notRunningStatus = 3;
    // How long `quit` waits for the program to be gone.
    static constexpr double quitWaitSeconds = 5.0;

    static int status(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                      std::ostream& err);
    static int palette(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                       std::ostream& err);
    static int settings(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                        std::ostream& err);
    static int about(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                     std::ostream& err);
    static int quit(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err);
};

} // namespace panemark
