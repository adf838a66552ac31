#include "cli/InstanceTool.h"

#include "base/Deadline.h"
#include "base/Text.h"
#include "cli/ArgumentParser.h"
#include "cli/HardwareTool.h"
#include "control/InstanceClient.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <ostream>
#include <thread>

namespace panemark {

namespace {

using Json = InstanceClient::Json;

std::string stringField(const Json& reply, const char* key) {
    const auto found = reply.find(key);
    return found != reply.end() && found->is_string() ? Text::printable(found->get<std::string>())
                                                      : "?";
}

// Asks the running program; on anything but a successful reply, says why and gives the status.
std::optional<int> ask(const std::string& request, Json* reply, std::ostream& out,
                       std::ostream& err) {
    Result<InstanceAddress> address = InstanceAddress::forThisSession();
    if (!address) {
        err << "panemark: " << address.error() << '\n';
        return 1;
    }
    InstanceClient::Answer answer =
        InstanceClient::ask(address.value(), InstanceProtocol::request(request));
    switch (answer.outcome) {
    case InstanceClient::Answer::Outcome::notRunning:
        out << "Panemark is not running\n";
        return InstanceTool::notRunningStatus;
    case InstanceClient::Answer::Outcome::failed:
        err << "panemark: " << Text::printable(answer.error) << '\n';
        return 1;
    case InstanceClient::Answer::Outcome::replied:
        break;
    }
    if (answer.reply.value("ok", false) != true) {
        err << "panemark: the running Panemark refused: " << stringField(answer.reply, "error")
            << '\n';
        return 1;
    }
    *reply = std::move(answer.reply);
    return std::nullopt;
}

// A zombie has ended all but its exit status, which its parent has yet to collect.
bool isAlive(std::int64_t pid) {
    if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) != 0) {
        return false;
    }
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t nameEnd = line.rfind(')');
    return nameEnd == std::string::npos || line.size() < nameEnd + 3 || line[nameEnd + 2] != 'Z';
}

} // namespace

int InstanceTool::status(const std::vector<std::string>& args, std::istream& /*in*/,
                         std::ostream& out, std::ostream& err) {
    ArgumentParser parser("status", "Says whether Panemark runs on this display and, if it does, "
                                    "its version, process, display, desktop and bound shortcuts.");
    parser.addFlag("json", "Print what the running Panemark says as one JSON object.");
    if (const std::optional<int> exit = parser.parseOrExit(args, out, err)) {
        return *exit;
    }
    if (!parser.positional().empty()) {
        return parser.usageError(err, "takes no arguments");
    }
    Json reply;
    if (const std::optional<int> exit = ask("status", &reply, out, err)) {
        return *exit;
    }
    if (parser.isSet("json")) {
        reply.erase("panemark");
        reply.erase("ok");
        out << reply.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
        return 0;
    }
    out << stringField(reply, "version") << " is running\n"
        << "pid: " << reply.value("pid", 0) << '\n'
        << "display: " << stringField(reply, "display") << '\n';
    if (reply.contains("desktop")) {
        out << "desktop: " << stringField(reply, "desktop") << '\n';
    }
    if (reply.contains("desktopAccess")) {
        out << "  " << stringField(reply, "desktopAccess") << '\n';
    }
    if (reply.contains("keyboardLayout")) {
        out << "keyboard layout: " << stringField(reply, "keyboardLayout") << '\n';
    }
    if (reply.contains("profile")) {
        out << "profile: " << stringField(reply, "profile") << " (" << stringField(reply, "dataDir")
            << ")\n";
        out << "auto-switch: " << (reply.value("autoSwitchEnabled", false) ? "on" : "off") << '\n';
    }
    if (reply.contains("displays")) {
        const std::size_t displays = reply.value("displays", Json::array()).size();
        const std::size_t keyboards = reply.value("keyboards", Json::array()).size();
        out << "hardware: " << displays
            << (displays == 1 ? " external display, " : " external displays, ") << keyboards
            << (keyboards == 1 ? " keyboard model" : " keyboard models")
            << (reply.value("keyboardsFollowed", true) ? "" : " (keyboards not followed)") << '\n';
        for (const Json& uuid : reply.value("displays", Json::array())) {
            out << "  display "
                << (uuid.is_string() ? Text::printable(uuid.get<std::string>()) : "") << '\n';
        }
        for (const Json& keyboard : reply.value("keyboards", Json::array())) {
            out << "  keyboard "
                << HardwareTool::keyboardId(keyboard.value("vendorID", std::int64_t{0}),
                                            keyboard.value("productID", std::int64_t{0}))
                << '\n';
        }
    }
    const Json shortcuts = reply.value("shortcuts", Json::array());
    out << "shortcuts: " << shortcuts.size() << '\n';
    for (const Json& entry : shortcuts) {
        if (entry.is_object()) {
            out << "  " << stringField(entry, "shortcut") << '\t' << stringField(entry, "command")
                << (entry.value("takenElsewhere", false) ? "\t(held by another program)" : "")
                << '\n';
        }
    }
    return 0;
}

namespace {

// Asks the running program to show one of its windows; there is nothing to show without it.
int showWindow(const char* request, const char* summary, const std::vector<std::string>& args,
               std::ostream& out, std::ostream& err) {
    ArgumentParser parser(request, summary);
    if (const std::optional<int> exit = parser.parseOrExit(args, out, err)) {
        return *exit;
    }
    if (!parser.positional().empty()) {
        return parser.usageError(err, "takes no arguments");
    }
    Json reply;
    return ask(request, &reply, out, err).value_or(0);
}

} // namespace

int InstanceTool::palette(const std::vector<std::string>& args, std::istream& /*in*/,
                          std::ostream& out, std::ostream& err) {
    return showWindow("palette",
                      "Opens the command palette of the running Panemark at the pointer (or "
                      "closes it). Bind it to a key in your desktop's keyboard settings where "
                      "there is no tray.",
                      args, out, err);
}

int InstanceTool::settings(const std::vector<std::string>& args, std::istream& /*in*/,
                           std::ostream& out, std::ostream& err) {
    return showWindow("settings",
                      "Opens the settings window of the running Panemark: the commands of the "
                      "active profile, their shortcuts, and the general settings.",
                      args, out, err);
}

int InstanceTool::about(const std::vector<std::string>& args, std::istream& /*in*/,
                        std::ostream& out, std::ostream& err) {
    return showWindow("about",
                      "Opens the About window of the running Panemark: its version, build and "
                      "the update check.",
                      args, out, err);
}

int InstanceTool::quit(const std::vector<std::string>& args, std::istream& /*in*/,
                       std::ostream& out, std::ostream& err) {
    ArgumentParser parser("quit", "Ends the Panemark that runs on this display.");
    if (const std::optional<int> exit = parser.parseOrExit(args, out, err)) {
        return *exit;
    }
    if (!parser.positional().empty()) {
        return parser.usageError(err, "takes no arguments");
    }
    Json reply;
    if (const std::optional<int> exit = ask("quit", &reply, out, err)) {
        return *exit;
    }
    // Gone means the process has ended, lock and socket with it, so that a start right after
    // this succeeds.
    const Deadline deadline(quitWaitSeconds);
    const std::int64_t pid = reply.value("pid", std::int64_t{0});
    while (isAlive(pid)) {
        if (deadline.passed()) {
            err << "panemark: Panemark was asked to quit but still runs\n";
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    out << "Panemark has quit\n";
    return 0;
}

} // namespace panemark
