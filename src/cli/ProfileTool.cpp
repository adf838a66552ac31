#include "cli/ProfileTool.h"

#include "base/ManualScheduler.h"
#include "base/Text.h"
#include "cli/ArgumentParser.h"
#include "cli/CheckTool.h"
#include "cli/CommandFile.h"
#include "cli/CommandLinter.h"
#include "control/DataFolderLock.h"
#include "control/InstanceClient.h"
#include "control/ProfileRequests.h"
#include "json/CommandJson.h"
#include "json/CommandListFile.h"
#include "profiles/ProfileDocument.h"
#include "profiles/ProfileJson.h"

#include <QDir>
#include <filesystem>
#include <ostream>

namespace panemark {

namespace {

using Json = InstanceProtocol::Json;

constexpr int refusedStatus = 2;

// The files themselves, through a profile manager of our own; its pending save is written when
// it goes. A request that only reads opens them read-only: it writes nothing, not even to repair.
Json answerFromFiles(const std::string& dataDir, const Json& request) {
    ManualScheduler clock;
    const ProfileFileStore::Access access = ProfileRequests::isReadOnly(request)
                                                ? ProfileFileStore::Access::readOnly
                                                : ProfileFileStore::Access::readWrite;
    ProfileManager manager(ProfileFileStore(dataDir, access), clock);
    return ProfileRequests::answer(manager, request);
}

// A program's reply when it keeps these files; nothing when it keeps others or none runs.
std::optional<Json> askProgram(const InstanceAddress& address, const Json& request,
                               std::ostream& err, int* status) {
    InstanceClient::Answer answer = InstanceClient::ask(address, request);
    if (answer.outcome == InstanceClient::Answer::Outcome::failed) {
        err << "panemark: " << Text::printable(answer.error) << '\n';
        *status = 1;
        return std::nullopt;
    }
    if (answer.outcome == InstanceClient::Answer::Outcome::replied &&
        !answer.reply.value("elsewhere", false)) {
        return std::move(answer.reply);
    }
    return std::nullopt;
}

// The files are answered from only by whoever holds the data folder: the running program that
// holds it (reached on whatever display it runs), or this command line while nothing else does.
std::optional<Json> answerByHolder(const std::string& dataDir, const Json& request,
                                   std::ostream& err, int* status) {
    Result<DataFolderLock::Attempt> attempt = DataFolderLock::take(dataDir, 3000);
    if (!attempt) {
        if (ProfileRequests::isReadOnly(request)) {
            return answerFromFiles(dataDir, request); // a folder we may not write to is still read
        }
        err << "panemark: " << Text::printable(attempt.error()) << '\n';
        *status = 1;
        return std::nullopt;
    }
    if (attempt.value().lock) {
        return answerFromFiles(dataDir, request);
    }
    if (const std::optional<DataFolderLock::Holder>& holder = attempt.value().holder) {
        InstanceAddress address;
        address.socketPath = holder->socketPath;
        if (std::optional<Json> reply = askProgram(address, request, err, status)) {
            return reply;
        }
        if (*status != 0) {
            return std::nullopt;
        }
        err << "panemark: Panemark is running with this data folder (pid " << holder->pid
            << ", display " << Text::printable(holder->display)
            << "); run this where it runs, or `panemark quit` first\n";
    } else {
        err << "panemark: the data folder " << Text::printable(dataDir)
            << " is in use by another process; try again\n";
    }
    *status = 1;
    return std::nullopt;
}

// The reply, from the running Panemark when it keeps these files, else from the files. On a
// refusal or a failure, says why and gives the exit status.
std::optional<int> ask(Json request, const std::string& dataDir, Json* reply, std::ostream& err) {
    request["dataDir"] = dataDir;
    int status = 0;
    std::optional<Json> answer;
    if (Result<InstanceAddress> address = InstanceAddress::forThisSession()) {
        answer = askProgram(address.value(), request, err, &status);
    }
    if (!answer && status == 0) {
        answer = answerByHolder(dataDir, request, err, &status);
    }
    if (!answer) {
        return status;
    }
    *reply = std::move(*answer);
    if (reply->value("ok", false) != true) {
        err << "panemark: " << Text::printable(reply->value("error", std::string("refused")))
            << '\n';
        // Not saved is a failure, not a refusal: the request itself was fine.
        return reply->value("unsaved", false) ? 1 : refusedStatus;
    }
    return std::nullopt;
}

std::string field(const Json& json, const char* key) {
    const auto found = json.find(key);
    return found != json.end() && found->is_string() ? Text::printable(found->get<std::string>())
                                                     : "";
}

void declareDataDir(ArgumentParser& parser) {
    parser.addValue("data-dir", "DIR",
                    "Use the profiles in DIR instead of ~/.local/share/Panemark.");
}

struct Verb {
    const char* name;
    std::vector<const char*> arguments; // their names, for the usage error
};

const std::vector<Verb>& verbs() {
    static const std::vector<Verb> all{
        {"activate", {"PROFILE"}},       {"create", {"NAME"}},
        {"duplicate", {"PROFILE"}},      {"rename", {"PROFILE", "NEW-NAME"}},
        {"delete", {"PROFILE"}},         {"move", {"PROFILE", "POSITION"}},
        {"export", {"PROFILE", "FILE"}}, {"import", {"FILE"}},
        {"commands", {"PROFILE"}},       {"set-commands", {"PROFILE", "FILE"}},
        {"set-gap", {"PROFILE", "GAP"}}, {"trigger", {"PROFILE"}},
    };
    return all;
}

// "046d:c31c" → the two numbers.
std::optional<HIDDeviceID> keyboardArgument(const std::string& text) {
    const std::size_t colon = text.find(':');
    auto hex = [](const std::string& part) -> std::optional<std::int64_t> {
        if (part.empty() || part.size() > 4 ||
            part.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            return std::nullopt;
        }
        return std::stoll(part, nullptr, 16);
    };
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    const auto vendor = hex(text.substr(0, colon));
    const auto product = hex(text.substr(colon + 1));
    if (!vendor || !product) {
        return std::nullopt;
    }
    return HIDDeviceID{*vendor, *product};
}

// The trigger the options of `profile trigger` describe, as JSON.
Result<Json> triggerOptions(const ArgumentParser& parser) {
    const bool manual = parser.isSet("manual");
    const bool noExternal = parser.isSet("no-external-display");
    const std::vector<std::string> displays = parser.values("display");
    const bool keyboard = parser.isSet("keyboard");
    if (manual && (noExternal || !displays.empty() || keyboard)) {
        return Error{"--manual and a condition exclude each other"};
    }
    if (!manual && !noExternal && displays.empty() && !keyboard) {
        return Error{"say --manual, or when to switch: --no-external-display, --display UUID, "
                     "--keyboard VVVV:PPPP"};
    }
    ProfileTrigger trigger;
    trigger.requireNoExternalDisplay = noExternal;
    trigger.displayUUIDs = displays;
    if (keyboard) {
        trigger.keyboard = keyboardArgument(parser.value("keyboard"));
        if (!trigger.keyboard) {
            return Error{"--keyboard: give vendor:product in hexadecimal, as panemark hardware "
                         "lists them (046d:c31c)"};
        }
    }
    return ProfileJson::encode(trigger);
}

// Builds the request of a verb from its arguments; the usage error otherwise.
Result<Json> requestFor(const std::string& verb, const std::vector<std::string>& words,
                        const ArgumentParser& parser, std::istream& in, std::ostream& err) {
    Json request = InstanceProtocol::request("profile." + verb);
    if (verb == "create") {
        request["name"] = words[0];
        request["from"] = parser.isSet("from") ? parser.value("from") : "defaults";
        return request;
    }
    if (verb == "import") {
        request["path"] = std::filesystem::absolute(words[0]).string();
        return request;
    }
    request["profile"] = words[0];
    if (verb == "rename") {
        request["name"] = words[1];
    } else if (verb == "move") {
        Result<double> position = CommandFile::parseNumber(words[1], "POSITION", 1, 1e6);
        if (!position || std::trunc(position.value()) != position.value()) {
            return Error{"POSITION: give a whole number from 1"};
        }
        request["position"] = static_cast<std::int64_t>(position.value());
    } else if (verb == "set-gap") {
        Result<double> gap = CommandFile::parseNumber(words[1], "GAP", 0, ProfileRequests::maxGap);
        if (!gap) {
            return Error{gap.error()};
        }
        request["gap"] = gap.value();
    } else if (verb == "trigger") {
        Result<Json> trigger = triggerOptions(parser);
        if (!trigger) {
            return Error{trigger.error()};
        }
        request = InstanceProtocol::request("profile.set-trigger");
        request["profile"] = words[0];
        request["trigger"] = std::move(trigger).value();
    } else if (verb == "set-commands") {
        Result<std::vector<ZoneCommand>> commands = CommandFile::read(words[1], in);
        if (!commands) {
            return Error{"!" + commands.error()}; // a file error, not a usage error
        }
        for (const std::string& warning : CommandLinter::warnings(commands.value())) {
            err << "warning: " << Text::printable(warning) << '\n';
        }
        Json list = Json::array();
        for (const ZoneCommand& command : commands.value()) {
            list.push_back(CommandJson::encode(command));
        }
        request["commands"] = std::move(list);
    }
    return request;
}

int printResult(const std::string& verb, const std::vector<std::string>& words,
                const ArgumentParser& parser, const Json& reply, std::ostream& out,
                std::ostream& err) {
    if (verb == "create") {
        out << field(reply, "id") << '\n';
    } else if (verb == "trigger") {
        out << field(reply, "trigger") << '\n';
    } else if (verb == "duplicate" || verb == "import") {
        out << field(reply, "name") << '\n';
    } else if (verb == "export") {
        const std::string text = reply.value("text", std::string());
        if (words[1] == "-") {
            out << text << '\n';
        } else {
            Result<ProfileFile> file = ProfileJson::decodeFile(text);
            Result<bool> written = file ? ProfileDocument{file.value()}.write(words[1])
                                        : Result<bool>(Error{file.error()});
            if (!written) {
                err << "panemark: cannot write " << Text::printable(written.error()) << '\n';
                return 1;
            }
        }
    } else if (verb == "commands") {
        std::vector<ZoneCommand> commands;
        for (const Json& element : reply.value("commands", Json::array())) {
            if (Result<ZoneCommand> command =
                    CommandJson::decodeCommand(JsonValue::parse(element.dump()))) {
                commands.push_back(std::move(command).value());
            }
        }
        if (parser.isSet("json")) {
            out << CommandListFile::format(commands);
        } else {
            CheckTool::Options options;
            options.gap = reply.value("gap", 0.0);
            CheckTool::report(commands, options, out);
        }
    }
    return 0;
}

} // namespace

std::string ProfileTool::dataDirectory(const std::string& option) {
    return DataFolderLock::canonical(option.empty() ? ProfileFileStore::defaultBaseDirectory()
                                                    : option);
}

int ProfileTool::profiles(const std::vector<std::string>& args, std::istream& /*in*/,
                          std::ostream& out, std::ostream& err) {
    ArgumentParser parser("profiles", "Lists the profiles: position, * for the active one, name, "
                                      "what switches to it, and its number of commands.");
    parser.addFlag("json", "Print the list as JSON.");
    declareDataDir(parser);
    if (const std::optional<int> status = parser.parseOrExit(args, out, err)) {
        return *status;
    }
    if (!parser.positional().empty()) {
        return parser.usageError(err, "takes no arguments");
    }
    Json reply;
    if (const std::optional<int> status =
            ask(InstanceProtocol::request("profiles"), dataDirectory(parser.value("data-dir")),
                &reply, err)) {
        return *status;
    }
    const Json list = reply.value("profiles", Json::array());
    const Json skipped = reply.value("skipped", Json::array());
    if (parser.isSet("json")) {
        const Json listing{{"profiles", list}, {"skipped", skipped}};
        out << listing.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
        return 0;
    }
    for (const Json& profile : list) {
        const std::size_t commands = profile.value("commands", std::size_t{0});
        out << profile.value("position", 0) << '\t' << (profile.value("active", false) ? "*" : " ")
            << '\t' << field(profile, "name") << '\t' << field(profile, "trigger") << '\t'
            << commands << (commands == 1 ? " command" : " commands") << '\n';
    }
    for (const Json& file : skipped) {
        out << "-\tskipped\t" << field(file, "file") << '\t' << field(file, "error") << '\n';
    }
    return 0;
}

int ProfileTool::profile(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                         std::ostream& err) {
    std::string usage;
    for (const Verb& verb : verbs()) {
        usage += std::string(usage.empty() ? "" : "|") + verb.name;
    }
    ArgumentParser parser("profile",
                          "Changes the profiles. PROFILE is a name or an id. create prints the "
                          "new id; duplicate and import print the new name; export writes FILE "
                          "(- for standard output); set-commands checks FILE as check does first; "
                          "trigger sets when the profile is chosen by itself.",
                          usage + " ARGUMENTS");
    parser.addValue("from", "SEED",
                    "For create: start empty, from the defaults, or from the "
                    "active profile (empty|defaults|active; default: defaults).");
    parser.addFlag("json", "For commands: print the commands as JSON objects.");
    parser.addFlag("manual", "For trigger: switch to it only by hand.");
    parser.addFlag("no-external-display", "For trigger: while no external display is connected.");
    parser.addRepeatableValue("display", "UUID",
                              "For trigger: while this display is connected (any one of several).");
    parser.addValue("keyboard", "VVVV:PPPP", "For trigger: while this keyboard is connected.");
    declareDataDir(parser);
    if (const std::optional<int> status = parser.parseOrExit(args, out, err)) {
        return *status;
    }
    std::vector<std::string> words = parser.positional();
    if (words.empty()) {
        return parser.usageError(err, "say what to do: " + usage);
    }
    const std::string verb = words.front();
    words.erase(words.begin());
    const auto found =
        std::find_if(verbs().begin(), verbs().end(), [&](const Verb& v) { return verb == v.name; });
    if (found == verbs().end()) {
        return parser.usageError(err, "unknown action \"" + Text::printable(verb) + "\"");
    }
    if (words.size() != found->arguments.size()) {
        std::string expected;
        for (const char* argument : found->arguments) {
            expected += std::string(" ") + argument;
        }
        return parser.usageError(err, verb + " takes" + expected);
    }
    if (parser.isSet("from") && verb != "create") {
        return parser.usageError(err, "--from goes with create");
    }
    const bool triggerOption = parser.isSet("manual") || parser.isSet("no-external-display") ||
                               parser.isSet("display") || parser.isSet("keyboard");
    if (triggerOption && verb != "trigger") {
        return parser.usageError(err, "--manual, --no-external-display, --display and --keyboard "
                                      "go with trigger");
    }
    Result<Json> request = requestFor(verb, words, parser, in, err);
    if (!request) {
        if (request.error().starts_with("!")) {
            err << Text::printable(request.error().substr(1)) << '\n';
            return refusedStatus;
        }
        return parser.usageError(err, request.error());
    }
    Json reply;
    if (const std::optional<int> status =
            ask(request.value(), dataDirectory(parser.value("data-dir")), &reply, err)) {
        return *status;
    }
    return printResult(verb, words, parser, reply, out, err);
}

int ProfileTool::autoSwitch(const std::vector<std::string>& args, std::istream& /*in*/,
                            std::ostream& out, std::ostream& err) {
    ArgumentParser parser("auto-switch",
                          "Turns switching profiles by connected hardware on or off, or says "
                          "whether it is on.",
                          "on|off|status");
    declareDataDir(parser);
    if (const std::optional<int> status = parser.parseOrExit(args, out, err)) {
        return *status;
    }
    const std::vector<std::string> words = parser.positional();
    if (words.size() != 1 || (words[0] != "on" && words[0] != "off" && words[0] != "status")) {
        return parser.usageError(err, "say on, off or status");
    }
    Json request = InstanceProtocol::request("auto-switch");
    request["value"] = words[0];
    Json reply;
    if (const std::optional<int> status =
            ask(request, dataDirectory(parser.value("data-dir")), &reply, err)) {
        return *status;
    }
    out << "auto-switch: " << (reply.value("autoSwitchEnabled", false) ? "on" : "off") << '\n';
    return 0;
}

} // namespace panemark
