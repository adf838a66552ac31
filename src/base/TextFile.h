#pragma once

#include "base/Result.h"

#include <cstddef>
#include <istream>
#include <string>

namespace panemark {

// Whole-file reads that cannot hang or exhaust memory: only regular files are read (a FIFO or a
// device is refused without blocking on it), and nothing larger than a limit.
class TextFile {
public:
    enum class Problem { none, missing, notRegular, tooLarge, unreadable };

    struct Read {
        Problem problem = Problem::none;
        std::string text;
        std::string message; // "FILE: why", when there is a problem
    };

    static Read read(const std::string& path, std::size_t maxSize);
    // The same for a stream (standard input); named in messages as `name`.
    static Read read(std::istream& stream, const std::string& name, std::size_t maxSize);
    // As above, for callers that only want the text or the message.
    static Result<std::string> readText(const std::string& path, std::size_t maxSize);

    static std::string sizeInWords(std::size_t bytes); // "16 MiB"
};

} // namespace panemark
