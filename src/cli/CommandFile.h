#pragma once

#include "base/Result.h"
#include "model/Rect.h"
#include "model/ZoneCommand.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace panemark {

// What the command-line tools share: reading a command file, and option values.
namespace CommandFile {

constexpr std::size_t maxFileSize = 16 * 1024 * 1024;

// The commands of a file ("-" for standard input), or an error that starts with its name.
Result<std::vector<ZoneCommand>> read(const std::string& file, std::istream& in);

// What X can hold: positions in 16 signed bits, sizes up to 32767.
constexpr double minCoordinate = -32768;
constexpr double maxCoordinate = 32767;

// Option values: finite numbers from min to max, and rectangles written X,Y,W,H whose
// corner and size X can hold (a negative size is refused).
Result<double> parseNumber(const std::string& text, const std::string& option, double min,
                           double max);
Result<Rect> parseRect(const std::string& text, const std::string& option);

} // namespace CommandFile

} // namespace panemark
