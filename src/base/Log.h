#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace panemark {

// One line per failure, on standard error, each beginning "Panemark: ". Safe from any thread.
class Log {
public:
    static constexpr std::string_view prefix = "Panemark: ";

    // Writes prefix + message. A message that already carries the prefix is written as is.
    static void write(std::string_view message);

    // While alive, lines go to this capture instead of standard error (tests read them back).
    class Capture {
    public:
        Capture();
        ~Capture();
        Capture(const Capture&) = delete;
        Capture& operator=(const Capture&) = delete;

        std::vector<std::string> lines() const;
        void clear();

    private:
        friend class Log;
        void append(std::string line);
        Capture* previous_ = nullptr;
        std::vector<std::string> lines_;
    };
};

} // namespace panemark
