#include "cli/CheckTool.h"

#include "cli/CommandFile.h"
#include "model/CommandListFile.h"
#include "model/StockCommands.h"
#include "placement/TargetRules.h"

#include <array>
#include <charconv>
#include <cmath>
#include <ostream>

namespace panemark {

namespace {

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

void report(const std::vector<ZoneCommand>& commands, const CheckTool::Options& options,
            std::ostream& out) {
    const Rect base = options.window.value_or(options.visibleFrame);
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const ZoneCommand& command = commands[i];
        const std::optional<Rect> target =
            TargetRules::ruleFor(command, options.gap)(options.visibleFrame, base);
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
            Result<Rect> rect = value ? CommandFile::parseRect(value.value(), arg)
                                      : Result<Rect>(Error{value.error()});
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
            Result<double> gap = value ? CommandFile::parseNumber(value.value(), arg)
                                       : Result<double>(Error{value.error()});
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
        Result<std::vector<ZoneCommand>> read = CommandFile::read(options.file, in);
        if (!read) {
            err << read.error() << '\n';
            return 2;
        }
        commands = std::move(read).value();
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
