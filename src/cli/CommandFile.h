#pragma once

#include "model/Rect.h"
#include "model/ZoneCommand.h"
#include "runtime/Result.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace panemark {

// What the command-line tools share: reading a command file, and option values.
namespace CommandFile {

constexpr std::size_t maxFileSize = 16 * 1024 * 1024;

// The commands of a file ("-" for standard input), or an error that starts with its name.
Result<std::vector<ZoneCommand>> read(const std::string& file, std::istream& in);

// Option values: finite numbers only, and rectangles written X,Y,W,H.
Result<double> parseNumber(const std::string& text, const std::string& option);
Result<Rect> parseRect(const std::string& text, const std::string& option);

} // namespace CommandFile

} // namespace panemark
