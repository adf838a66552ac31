#pragma once

#include "base/Result.h"

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace panemark {

// What the command line and the running program say to each other over the instance socket:
// one JSON object on one line each way, then the program closes the connection.
//   request: {"panemark":1,"request":"status", …arguments}
//   reply:   {"panemark":1,"ok":true, …results}  or  {"panemark":1,"ok":false,"error":"…"}
class InstanceProtocol {
public:
    using Json = nlohmann::ordered_json;

    static constexpr int version = 1;
    static constexpr std::size_t maxRequestSize = 1024 * 1024;
    static constexpr std::size_t maxReplySize = 64 * 1024 * 1024;
    // Far deeper than any message of ours (a command is four levels down in a request).
    static constexpr int maxNesting = 32;

    static Json request(std::string_view name);
    static Json reply();
    static Json failure(std::string_view message);

    // One line: compact JSON and a newline. Text that is not UTF-8 is replaced, never thrown on.
    static std::string line(const Json& message);
    // Reads one message; the reason when it is not a message of this protocol and version.
    static Result<Json> parse(std::string_view line);
};

} // namespace panemark
