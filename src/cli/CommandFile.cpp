#include "cli/CommandFile.h"

#include "base/Text.h"
#include "base/TextFile.h"
#include "cli/CheckTool.h"
#include "json/CommandListFile.h"

#include <array>
#include <charconv>
#include <cmath>

namespace panemark::CommandFile {

Result<double> parseNumber(const std::string& text, const std::string& option, double min,
                           double max) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    const bool outOfRange = error == std::errc::result_out_of_range;
    if ((error != std::errc() && !outOfRange) || stop != end || std::isnan(value)) {
        return Error{option + ": \"" + Text::printable(text) + "\" is not a number"};
    }
    if (outOfRange || !(value >= min && value <= max)) {
        return Error{option + ": " + Text::printable(text) + " is outside " +
                     CheckTool::formatNumber(min) + " to " + CheckTool::formatNumber(max)};
    }
    return value;
}

Result<Rect> parseRect(const std::string& text, const std::string& option) {
    std::array<double, 4> values{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t comma = text.find(',', start);
        const bool last = i + 1 == values.size();
        if (last != (comma == std::string::npos)) {
            return Error{option + ": expected X,Y,W,H, found \"" + Text::printable(text) + "\""};
        }
        const bool isSize = i >= 2;
        Result<double> value = parseNumber(
            text.substr(start, last ? std::string::npos : comma - start),
            option + (isSize ? (i == 2 ? " width" : " height") : (i == 0 ? " x" : " y")),
            isSize ? 0 : minCoordinate, maxCoordinate);
        if (!value) {
            return Error{value.error()};
        }
        values[i] = value.value();
        start = comma + 1;
    }
    return Rect{values[0], values[1], values[2], values[3]};
}

Result<std::vector<ZoneCommand>> read(const std::string& file, std::istream& in) {
    const std::string name = file == "-" ? "standard input" : file;
    TextFile::Read text =
        file == "-" ? TextFile::read(in, name, maxFileSize) : TextFile::read(file, maxFileSize);
    if (text.problem != TextFile::Problem::none) {
        return Error{text.message};
    }
    Result<std::vector<ZoneCommand>> commands = CommandListFile::parse(text.text);
    if (!commands) {
        return Error{name + ": " + commands.error()};
    }
    if (commands.value().empty()) {
        return Error{"no command in " + name};
    }
    return commands;
}

} // namespace panemark::CommandFile
