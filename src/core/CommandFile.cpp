#include "core/CommandFile.h"

#include "model/CommandListFile.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>

namespace panemark::CommandFile {

namespace {

Result<std::string> readAll(std::istream& stream, const std::string& name) {
    std::string text;
    std::array<char, 65536> buffer{};
    while (stream.read(buffer.data(), buffer.size()) || stream.gcount() > 0) {
        text.append(buffer.data(), static_cast<std::size_t>(stream.gcount()));
        if (text.size() > maxFileSize) {
            return Error{name + ": larger than " + std::to_string(maxFileSize / (1024 * 1024)) +
                         " MiB, not a command file"};
        }
    }
    if (stream.bad()) {
        return Error{name + ": cannot be read"};
    }
    return text;
}

Result<std::string> readInput(const std::string& file, std::istream& in) {
    if (file == "-") {
        return readAll(in, "standard input");
    }
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) {
        return Error{file + ": is a directory"};
    }
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        return Error{file + ": cannot be opened: " + std::strerror(errno)};
    }
    return readAll(stream, file);
}

} // namespace

Result<double> parseNumber(const std::string& text, const std::string& option) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) {
        return Error{option + ": \"" + text + "\" is not a number"};
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
            return Error{option + ": expected X,Y,W,H, found \"" + text + "\""};
        }
        Result<double> value =
            parseNumber(text.substr(start, last ? std::string::npos : comma - start), option);
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
    Result<std::string> text = readInput(file, in);
    if (!text) {
        return Error{text.error()};
    }
    Result<std::vector<ZoneCommand>> commands = CommandListFile::parse(text.value());
    if (!commands) {
        return Error{name + ": " + commands.error()};
    }
    return commands;
}

} // namespace panemark::CommandFile
