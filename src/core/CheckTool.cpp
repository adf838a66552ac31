#include "core/CheckTool.h"

#include "model/CommandListFile.h"
#include "model/StockCommands.h"
#include "placement/TargetRules.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>

namespace panemark {

namespace {

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
        Result<double> value = parseNumber(text.substr(start, last ? std::string::npos : comma - start), option);
        if (!value) {
            return Error{value.error()};
        }
        values[i] = value.value();
        start = comma + 1;
    }
    return Rect{values[0], values[1], values[2], values[3]};
}

Result<std::string> readAll(std::istream& stream, const std::string& name) {
    std::string text;
    std::array<char, 65536> buffer{};
    while (stream.read(buffer.data(), buffer.size()) || stream.gcount() > 0) {
        text.append(buffer.data(), static_cast<std::size_t>(stream.gcount()));
        if (text.size() > CheckTool::maxFileSize) {
            return Error{name + ": larger than " + std::to_string(CheckTool::maxFileSize / (1024 * 1024)) +
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

// Keeps the one-line, tab-separated report intact whatever a command's name holds.
std::string oneField(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

std::string formatRect(const Rect& rect) {
    return CheckTool::formatNumber(rect.x) + "," + CheckTool::formatNumber(rect.y) + "," +
           CheckTool::formatNumber(rect.width) + "," + CheckTool::formatNumber(rect.height);
}

void report(const std::vector<ZoneCommand>& commands, const CheckTool::Options& options, std::ostream& out) {
    const Rect base = options.window.value_or(options.visibleFrame);
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const ZoneCommand& command = commands[i];
        const std::optional<Rect> target = TargetRules::ruleFor(command, options.gap)(options.visibleFrame, base);
        out << i + 1 << '\t' << oneField(command.displayName()) << '\t'
            << (command.shortcut ? command.shortcut->displayString() : "-") << '\t'
            << (target ? formatRect(*target) : "unchanged") << '\n';
    }
}

} // namespace

Result<CheckTool::Options> CheckTool::parseOptions(const std::vector<std::string>& args) {
    Options options;
    bool haveFile = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto nextValue = [&]() -> Result<std::string> {
            if (i + 1 >= args.size()) {
                return Error{arg + " needs a value"};
            }
            return args[++i];
        };
        if (arg == "--json") {
            options.json = true;
        } else if (arg == "--stock") {
            options.stock = true;
        } else if (arg == "--visible-frame" || arg == "--window") {
            Result<std::string> value = nextValue();
            Result<Rect> rect = value ? parseRect(value.value(), arg) : Result<Rect>(Error{value.error()});
            if (!rect) {
                return Error{rect.error()};
            }
            if (arg == "--window") {
                options.window = rect.value();
            } else {
                options.visibleFrame = rect.value();
            }
        } else if (arg == "--gap") {
            Result<std::string> value = nextValue();
            Result<double> gap = value ? parseNumber(value.value(), arg) : Result<double>(Error{value.error()});
            if (!gap) {
                return Error{gap.error()};
            }
            options.gap = gap.value();
        } else if ((arg == "-" || !arg.starts_with("-")) && !haveFile) {
            options.file = arg;
            haveFile = true;
        } else {
            return Error{"unexpected argument \"" + arg + "\""};
        }
    }
    if (haveFile == options.stock) {
        return Error{"name one command file (or - for standard input), or --stock"};
    }
    return options;
}

int CheckTool::run(const Options& options, std::istream& in, std::ostream& out, std::ostream& err) {
    std::vector<ZoneCommand> commands;
    if (options.stock) {
        commands = stockCommands();
    } else {
        const std::string name = options.file == "-" ? "standard input" : options.file;
        Result<std::string> text = readInput(options.file, in);
        if (!text) {
            err << text.error() << '\n';
            return 2;
        }
        Result<std::vector<ZoneCommand>> parsed = CommandListFile::parse(text.value());
        if (!parsed) {
            err << name << ": " << parsed.error() << '\n';
            return 2;
        }
        commands = std::move(parsed).value();
    }
    if (options.json) {
        out << CommandListFile::format(commands);
    } else {
        report(commands, options, out);
    }
    out.flush();
    return 0;
}

std::string CheckTool::formatNumber(double value) {
    if (value == 0) {
        return "0"; // never "-0"
    }
    std::array<char, 400> buffer{}; // room for any double written out in full
    const bool whole = std::isfinite(value) && std::trunc(value) == value;
    auto [end, error] = whole ? std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                              std::chars_format::fixed)
                              : std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return error == std::errc() ? std::string(buffer.data(), end) : std::string("nan");
}

} // namespace panemark
