#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace panemark {

// `panemark keys`: the key codes and modifier bits a command file's shortcuts use.
class KeysTool {
public:
    static int main(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err);
};

} // namespace panemark
