#pragma once

#include "base/Result.h"

#include <QCommandLineParser>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace panemark {

// The options and arguments of one subcommand, on QCommandLineParser, with the house rules:
// `--help` prints the subcommand's help, and every usage error is one line "panemark: …" and a
// pointer to the help, with exit status 2.
class ArgumentParser {
public:
    static constexpr int usageErrorStatus = 2;

    // command: "check", or empty for the program itself; arguments: "FILE|-" and the like.
    ArgumentParser(std::string command, std::string summary, std::string arguments = "");

    void addFlag(const std::string& name, const std::string& description);
    void addValue(const std::string& name, const std::string& valueName,
                  const std::string& description);
    // An option that may be given several times; values() keeps their order.
    void addRepeatableValue(const std::string& name, const std::string& valueName,
                            const std::string& description);
    std::vector<std::string> values(const std::string& name) const;

    enum class Outcome { run, helpShown, usageError };
    // Parses the arguments that follow the subcommand's name.
    Outcome parse(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

    // The same, for callers that go on only when there is something to run: the exit status
    // otherwise (0 after the help, 2 after a usage error).
    std::optional<int> parseOrExit(const std::vector<std::string>& args, std::ostream& out,
                                   std::ostream& err);

    // For tools that turn the parsed arguments into options and run them: the exit status of
    // the help, of a usage error (the options' reason), or of run(options).
    template <class Options, class Run>
    int runWith(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                Result<Options> (*options)(const ArgumentParser&), Run run) {
        if (const std::optional<int> status = parseOrExit(args, out, err)) {
            return *status;
        }
        Result<Options> chosen = options(*this);
        if (!chosen) {
            return usageError(err, chosen.error());
        }
        return run(chosen.value());
    }

    bool isSet(const std::string& name) const;
    std::string value(const std::string& name) const;
    std::vector<std::string> positional() const;

    // Prints "panemark: message" and the pointer to the help; returns the usage-error status.
    int usageError(std::ostream& err, const std::string& message) const;
    std::string help() const;

private:
    std::string command_;
    std::string summary_;
    std::string arguments_;
    QCommandLineParser parser_;
    QStringList valued_;
    QStringList repeatable_;
};

} // namespace panemark
