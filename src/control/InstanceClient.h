#pragma once

#include "control/InstanceAddress.h"
#include "control/InstanceProtocol.h"

#include <string>

namespace panemark {

// The command line's end of the instance socket: sends one request to the running program and
// waits, bounded, for its one-line reply.
class InstanceClient {
public:
    using Json = InstanceProtocol::Json;

    struct Answer {
        enum class Outcome { replied, notRunning, failed };
        Outcome outcome = Outcome::failed;
        Json reply;        // when replied: the program's reply, "ok" true or false
        std::string error; // when failed: what went wrong talking to it
    };

    static constexpr double defaultTimeout = 5.0;

    static Answer ask(const InstanceAddress& address, const Json& request,
                      double timeoutSeconds = defaultTimeout);
    // The same with the request line as it goes on the wire, newline included.
    static Answer askLine(const InstanceAddress& address, const std::string& line,
                          double timeoutSeconds = defaultTimeout);
    // Whether a program answers on the socket at all.
    static bool isRunning(const InstanceAddress& address);
};

} // namespace panemark
