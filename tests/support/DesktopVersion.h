#pragma once

#include <cstdio>
#include <regex>
#include <string>

namespace panemark {

// The version a desktop's own program reports ("1.10.1" from "sway version 1.10.1"), so a
// test expects what Panemark should say on whatever version is installed; empty when the
// program does not answer.
inline std::string desktopVersion(const std::string& command) {
    std::FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) {
        return {};
    }
    std::string text;
    for (char buffer[256]; std::fgets(buffer, sizeof buffer, pipe);) {
        text += buffer;
    }
    ::pclose(pipe);
    std::smatch match;
    if (std::regex_search(text, match, std::regex(R"((\d+(\.\d+)+))"))) {
        return match[1].str();
    }
    return {};
}

} // namespace panemark
