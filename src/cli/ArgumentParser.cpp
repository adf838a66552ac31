#include "cli/ArgumentParser.h"

#include <QStringList>
#include <ostream>

namespace panemark {

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

// Wraps prose at word boundaries, as terminals show help best.
std::string wrapped(const std::string& text, std::size_t width = 79) {
    std::string result;
    std::size_t lineLength = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string word = text.substr(start, end - start);
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            result += '\n';
            lineLength = 0;
        } else if (lineLength > 0) {
            result += ' ';
            ++lineLength;
        }
        result += word;
        lineLength += word.size();
        start = end + 1;
    }
    return result;
}

} // namespace

ArgumentParser::ArgumentParser(std::string command, std::string summary, std::string arguments)
    : command_(std::move(command)), summary_(std::move(summary)), arguments_(std::move(arguments)) {
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser_.addOption(QCommandLineOption({"h", "help"}, "Show this help."));
}

void ArgumentParser::addFlag(const std::string& name, const std::string& description) {
    parser_.addOption(QCommandLineOption(q(name), q(description)));
}

void ArgumentParser::addValue(const std::string& name, const std::string& valueName,
                              const std::string& description) {
    parser_.addOption(QCommandLineOption(q(name), q(description), q(valueName)));
    valued_ << q(name);
}

void ArgumentParser::addRepeatableValue(const std::string& name, const std::string& valueName,
                                        const std::string& description) {
    addValue(name, valueName, description);
    repeatable_ << q(name);
}

std::vector<std::string> ArgumentParser::values(const std::string& name) const {
    std::vector<std::string> all;
    for (const QString& value : parser_.values(q(name))) {
        all.push_back(value.toStdString());
    }
    return all;
}

ArgumentParser::Outcome ArgumentParser::parse(const std::vector<std::string>& args,
                                              std::ostream& out, std::ostream& err) {
    QStringList list{"panemark"};
    for (const std::string& arg : args) {
        list << q(arg);
    }
    if (!parser_.parse(list)) {
        usageError(err, parser_.errorText().toLower().toStdString());
        return Outcome::usageError;
    }
    if (parser_.isSet("help")) {
        out << help();
        return Outcome::helpShown;
    }
    for (const QString& name : parser_.optionNames()) {
        // QCommandLineParser keeps the last of repeated values; a repeat is more likely a slip.
        // Only options with values are asked: newer Qt warns on standard error when a flag is.
        if (valued_.contains(name) && !repeatable_.contains(name) &&
            parser_.values(name).size() > 1) {
            usageError(err, "--" + name.toStdString() + " is given more than once");
            return Outcome::usageError;
        }
    }
    return Outcome::run;
}

std::optional<int> ArgumentParser::parseOrExit(const std::vector<std::string>& args,
                                               std::ostream& out, std::ostream& err) {
    switch (parse(args, out, err)) {
    case Outcome::helpShown:
        return 0;
    case Outcome::usageError:
        return usageErrorStatus;
    case Outcome::run:
        break;
    }
    return std::nullopt;
}

bool ArgumentParser::isSet(const std::string& name) const {
    return parser_.isSet(q(name));
}

std::string ArgumentParser::value(const std::string& name) const {
    return parser_.value(q(name)).toStdString();
}

std::vector<std::string> ArgumentParser::positional() const {
    std::vector<std::string> values;
    for (const QString& value : parser_.positionalArguments()) {
        values.push_back(value.toStdString());
    }
    return values;
}

int ArgumentParser::usageError(std::ostream& err, const std::string& message) const {
    const std::string where = command_.empty() ? "panemark" : "panemark " + command_;
    err << "panemark: " << (command_.empty() ? "" : command_ + ": ") << message << '\n'
        << "Try '" << where << " --help'.\n";
    return usageErrorStatus;
}

std::string ArgumentParser::help() const {
    // Qt's own help text starts with its idea of the usage line; ours names the subcommand.
    QString text = parser_.helpText();
    const qsizetype optionsStart = text.indexOf("Options:");
    const std::string options = optionsStart < 0 ? "" : text.mid(optionsStart).toStdString();
    const std::string name = command_.empty() ? "panemark" : "panemark " + command_;
    return "usage: " + name + " [options]" + (arguments_.empty() ? "" : " " + arguments_) + "\n\n" +
           wrapped(summary_) + "\n\n" + options;
}

} // namespace panemark
