#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace panemark {

// `panemark profiles`, `panemark profile …` and `panemark auto-switch …`: the profile operations
// from a terminal. They go to the running Panemark when it keeps the same data folder, so its
// hot keys follow at once and its state and the files never diverge; otherwise they act on the
// files directly.
class ProfileTool {
public:
    static int profiles(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                        std::ostream& err);
    static int profile(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                       std::ostream& err);
    static int autoSwitch(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                          std::ostream& err);

    // --data-dir, made absolute, or the default folder.
    static std::string dataDirectory(const std::string& option);
};

} // namespace panemark
