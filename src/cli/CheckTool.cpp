#include "cli/CheckTool.h"

#include "base/Text.h"
#include "cli/CommandFile.h"
#include "cli/CommandLinter.h"
#include "json/CommandListFile.h"
#include "model/StockCommands.h"
#include "placement/TargetRules.h"

#include <array>
#include <charconv>
#include <cmath>
#include <ostream>

namespace panemark {

namespace {

std::string formatRect(const Rect& rect) {
    return CheckTool::formatNumber(rect.x) + "," + CheckTool::formatNumber(rect.y) + "," +
           CheckTool::formatNumber(rect.width) + "," + CheckTool::formatNumber(rect.height);
}

} // namespace

void CheckTool::report(const std::vector<ZoneCommand>& commands, const Options& options,
                       std::ostream& out) {
    const Rect base = options.window.value_or(options.visibleFrame);
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const ZoneCommand& command = commands[i];
        const std::optional<Rect> target =
            TargetRules::ruleFor(command, options.gap)(options.visibleFrame, base);
        out << i + 1 << '\t' << Text::printable(command.displayName()) << '\t'
            << (command.shortcut ? command.shortcut->displayString() : "-") << '\t'
            << (target ? formatRect(*target) : "unchanged") << '\n';
    }
}

int CheckTool::main(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err) {
    ArgumentParser parser("check",
                          "Reads a command file and prints, for each command, its position, name, "
                          "shortcut and the frame it gives a window; names the element and key of "
                          "anything wrong, and warns about values that tile badly or never fire.",
                          "FILE|-");
    declare(parser);
    return parser.runWith(args, out, err, &options,
                          [&](const Options& chosen) { return run(chosen, in, out, err); });
}

void CheckTool::declare(ArgumentParser& parser) {
    parser.addFlag("stock", "Check the stock commands instead of a file.");
    parser.addValue("visible-frame", "X,Y,W,H",
                    "The screen area to tile, y down from the top (default 0,0,1920,1080).");
    parser.addValue("window", "X,Y,W,H", "The window's frame (default: the visible frame).");
    parser.addValue("gap", "G", "Gap between windows and edges, 0 to 1000 (default 0).");
    parser.addFlag("json", "Print the commands as JSON, one object per line.");
    parser.addFlag("strict", "Exit with status 1 when there are warnings.");
}

Result<CheckTool::Options> CheckTool::options(const ArgumentParser& parser) {
    Options options;
    options.stock = parser.isSet("stock");
    options.json = parser.isSet("json");
    options.strict = parser.isSet("strict");
    const std::vector<std::string> files = parser.positional();
    if (files.size() > 1) {
        return Error{"name one command file, not " + std::to_string(files.size())};
    }
    if (options.stock && !files.empty()) {
        return Error{"--stock and a command file exclude each other"};
    }
    if (!options.stock && files.empty()) {
        return Error{"name a command file (or - for standard input), or --stock"};
    }
    if (!files.empty()) {
        options.file = files.front();
    }
    for (const char* name : {"visible-frame", "window"}) {
        if (!parser.isSet(name)) {
            continue;
        }
        Result<Rect> rect = CommandFile::parseRect(parser.value(name), std::string("--") + name);
        if (!rect) {
            return Error{rect.error()};
        }
        if (std::string(name) == "window") {
            options.window = rect.value();
        } else {
            options.visibleFrame = rect.value();
        }
    }
    if (parser.isSet("gap")) {
        Result<double> gap = CommandFile::parseNumber(parser.value("gap"), "--gap", 0, maxGap);
        if (!gap) {
            return Error{gap.error()};
        }
        options.gap = gap.value();
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
            err << Text::printable(read.error()) << '\n';
            return 2;
        }
        commands = std::move(read).value();
    }
    const std::vector<std::string> warnings = CommandLinter::warnings(commands);
    for (const std::string& warning : warnings) {
        err << "warning: " << Text::printable(warning) << '\n';
    }
    if (options.json) {
        out << CommandListFile::format(commands);
    } else {
        report(commands, options, out);
    }
    out.flush();
    return options.strict && !warnings.empty() ? 1 : 0;
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
