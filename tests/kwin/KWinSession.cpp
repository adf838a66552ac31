#include "KWinSession.h"

#include "../support/ChildProcess.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <regex>

namespace panemark {

namespace {

// Prints every window's frame, caption and whether it is active whenever one of them changes.
constexpr const char* frameReporter = R"js(
var last = {};
// KWin 5 names its windows clients; KWin 6 windows.
var kwin6 = workspace.activeWindow !== undefined;
function report() {
    var active = kwin6 ? workspace.activeWindow : workspace.activeClient;
    var activeId = active ? String(active.internalId) : "";
    var clients = kwin6 ? workspace.windowList() : workspace.clientList();
    for (var i = 0; i < clients.length; ++i) {
        var c = clients[i];
        var f = c.frameGeometry;
        var id = String(c.internalId);
        var caption = c.captionNormal !== undefined ? c.captionNormal : c.caption;
        var line = caption + "|" + f.x + "|" + f.y + "|" + f.width + "|" + f.height + "|" +
                   (id === activeId ? 1 : 0);
        if (last[id] !== line) {
            last[id] = line;
            print("panemark-test-frame " + line);
        }
    }
}
// And each screen's usable area as KWin gives it to maximized windows, with how many docks it
// manages: where the panel goes is KWin's to say (KWin 6.7 honours no X11 dock's strut).
var lastArea = "";
function reportAreas() {
    var screens = kwin6 ? workspace.screens : [];
    var count = kwin6 ? screens.length : workspace.numScreens;
    var line = "";
    for (var i = 0; i < count; ++i) {
        var a = workspace.clientArea(KWin.MaximizeArea, kwin6 ? screens[i] : i,
                                     workspace.currentDesktop);
        line += "|" + a.x + "," + a.y + "," + a.width + "," + a.height;
    }
    var windows = kwin6 ? workspace.windowList() : workspace.clientList();
    var docks = windows.filter(function (w) { return w.dock; }).length;
    line = docks + line;
    if (line !== lastArea) {
        lastArea = line;
        print("panemark-test-areas " + line);
    }
}
var timer = new QTimer();
timer.timeout.connect(reportAreas);
timer.timeout.connect(report);
timer.start(20);
)js";

// KWin offers its fake input and its screenshots only to programs a desktop file names with
// these interfaces.
void allowTestHelpers(const std::filesystem::path& applications) {
    std::filesystem::create_directories(applications);
    std::ofstream(applications / "panemark-test-keyboard.desktop")
        << "[Desktop Entry]\nType=Application\nName=Panemark test keyboard\nExec=" FAKE_KEYBOARD
           "\nNoDisplay=true\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n";
#ifdef KWIN_SCREENSHOT
    std::ofstream(applications / "panemark-test-screenshot.desktop")
        << "[Desktop Entry]\nType=Application\nName=Panemark test screenshot\nExec=" KWIN_SCREENSHOT
           "\nNoDisplay=true\nX-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2\n";
#endif
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// KDE Frameworks 6 finds desktop files through its service cache, which indexes them only
// under a menu: a release whose packages ship no applications.menu gets the test's own.
void provideApplicationsMenu(const std::filesystem::path& configHome) {
    std::filesystem::create_directories(configHome / "menus");
    std::ofstream(configHome / "menus" / "applications.menu")
        << "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd\">\n"
           "<Menu><Name>Applications</Name><DefaultAppDirs/><DefaultDirectoryDirs/>"
           "<Include><All/></Include></Menu>\n";
}

// Plasma's keyboard settings, which KWin reads at start and when told to reload them.
void writeLayouts(const std::filesystem::path& configHome, const std::string& layouts) {
    if (!layouts.empty()) {
        std::ofstream(configHome / "kxkbrc")
            << "[Layout]\nUse=true\nLayoutList=" << layouts << "\nVariantList=\n";
    }
}

} // namespace

using ChildProcess::waitFor;

KWinSession::KWinSession(const std::string& layouts, const std::string& scale, Start start)
    : HeadlessSession("kwin"), scale_(scale) {
    if (!problem_.empty()) {
        return;
    }
    writeLayouts(home_, layouts);
    waylandDisplay_ = "panemark-kwin-" + unique_;
    allowTestHelpers(home_ / "applications");
    provideApplicationsMenu(home_);
    // Xwayland needs the folder of X sockets; a container may not have it.
    std::error_code ignored;
    if (std::filesystem::create_directories("/tmp/.X11-unix", ignored)) {
        std::filesystem::permissions("/tmp/.X11-unix", std::filesystem::perms::all |
                                                           std::filesystem::perms::sticky_bit);
    }

    wrapped_ = start == Start::restartable;
    if (start != Start::later) {
        startCompositor();
    }
}

bool KWinSession::startCompositor() {
    std::error_code ignored;
    // The copy must keep the name kwin_wayland: KWin's platform plugin looks for it. It runs
    // from a copy since the installed binary carries a file capability a container refuses.
    const std::filesystem::path kwin = root_ / "bin" / "kwin_wayland";
    std::filesystem::copy_file("/usr/bin/kwin_wayland", kwin, ignored);
    // KWin starts its session program once Xwayland is up, with DISPLAY set: this one writes it
    // down and stays.
    const std::filesystem::path sessionProgram = root_ / "bin" / "session";
    std::ofstream(sessionProgram) << "#!/bin/sh\necho \"$DISPLAY\" > "
                                  << (root_ / "display").string() << ".new\nmv "
                                  << (root_ / "display").string() << ".new "
                                  << (root_ / "display").string() << "\nexec sleep 100000\n";
    std::filesystem::permissions(sessionProgram, std::filesystem::perms::owner_all);
    const std::string& scale = scale_;
    std::vector<std::string> command{kwin.string(),
                                     "--virtual",
                                     "--width",
                                     scale.empty() ? "1280" : "1440",
                                     "--height",
                                     scale.empty() ? "800" : "900",
                                     "--output-count",
                                     "2",
                                     "--socket",
                                     waylandDisplay_,
                                     "--no-lockscreen",
                                     "--xwayland",
                                     "--exit-with-session",
                                     sessionProgram.string()};
    if (!scale.empty()) {
        command.insert(command.begin() + 1, {"--scale", scale});
    }
    if (wrapped_) {
        // The wrapper names the socket itself (the first free wayland-N of the session's own
        // runtime folder) and finds KWin on the PATH: the copy first.
        const auto socket = std::find(command.begin(), command.end(), "--socket");
        command.erase(socket, socket + 2);
        command[0] = "kwin_wayland_wrapper";
        command.insert(command.begin(), {"env", "PATH=" + kwin.parent_path().string() +
                                                    ":/usr/local/bin:/usr/bin:/bin"});
    }
    kwin_ = start(command, (root_ / "kwin.log").string());
    if (wrapped_ && !waitFor(
                        [&] {
                            for (const auto& entry :
                                 std::filesystem::directory_iterator(runtime_, ignored)) {
                                const std::string name = entry.path().filename().string();
                                if (name.starts_with("wayland-") && !name.ends_with(".lock")) {
                                    waylandDisplay_ = name;
                                    return true;
                                }
                            }
                            return false;
                        },
                        30)) {
        problem_ =
            "kwin_wayland_wrapper made no socket (see " + (root_ / "kwin.log").string() + ")";
        return false;
    }
    if (!waitFor([&] { return std::filesystem::exists(root_ / "display"); }, 30)) {
        problem_ = "KWin did not start its session (see " + (root_ / "kwin.log").string() + ")";
        return false;
    }
    std::getline(std::ifstream(root_ / "display"), xDisplay_);
    if (!loadFrameReporter()) {
        problem_ = "KWin did not run the test's frame reporter";
        return false;
    }
    ready_ = true;
    return true;
}

KWinSession::~KWinSession() {
    stopPrograms();
    ChildProcess::stop(kwin_);
}

std::map<std::string, std::string> KWinSession::environment() const {
    std::map<std::string, std::string> environment = HeadlessSession::environment();
    environment["XDG_CURRENT_DESKTOP"] = "KDE";
    environment["WAYLAND_DISPLAY"] = waylandDisplay_;
    environment["DISPLAY"] = xDisplay_;
    return environment;
}

bool KWinSession::press(unsigned evdevCode, const std::vector<std::string>& modifiers) {
    std::vector<std::string> command{FAKE_KEYBOARD, std::to_string(evdevCode)};
    command.insert(command.end(), modifiers.begin(), modifiers.end());
    return run(command).first == 0;
}

bool KWinSession::screenshot(const std::string& name) {
#ifdef KWIN_SCREENSHOT
    std::filesystem::create_directories(SCREENSHOT_DIR);
    return run({KWIN_SCREENSHOT, std::string(SCREENSHOT_DIR) + "/" + name + ".png"}).first == 0;
#else
    (void)name;
    return false;
#endif
}

bool KWinSession::movePointer(int x, int y) {
    // KWin 6 holds the pointer back at the edge between two outputs (by up to 100 px): a move
    // that crossed one is made again from where it stopped, which crosses none.
    const std::vector<std::string> move{FAKE_KEYBOARD, "--pointer", std::to_string(x),
                                        std::to_string(y)};
    return run(move).first == 0 && run(move).first == 0;
}

bool KWinSession::switchLayout(unsigned index) {
    return call("org.kde.keyboard", "/Layouts", "org.kde.KeyboardLayouts.setLayout",
                {"uint32:" + std::to_string(index)})
               .find("boolean true") != std::string::npos;
}

bool KWinSession::setLayouts(const std::string& layouts) {
    writeLayouts(home_, layouts);
    // Plasma's keyboard settings tell KWin in one of two ways, by release: a signal of the
    // layout service, or KDE's notice that a configuration file changed.
    run({"dbus-send", "--session", "--type=signal", "/Layouts", "org.kde.keyboard.reloadConfig"});
    run({"gdbus", "emit", "--session", "--object-path", "/kxkbrc", "--signal",
         "org.kde.kconfig.notify.ConfigChanged", "{'Layout': [b'LayoutList', b'Use']}"});
    // Applied once KWin lists the new layouts.
    const std::string first = "string \"" + layouts.substr(0, layouts.find(',')) + "\"";
    std::string listed;
    const bool applied = waitFor(
        [&] {
            listed = call("org.kde.keyboard", "/Layouts", "org.kde.KeyboardLayouts.getLayoutsList");
            return listed.find(first) != std::string::npos;
        },
        10);
    if (!applied) {
        std::fprintf(stderr, "KWin's layouts: %s\n", listed.c_str());
    }
    return applied;
}

std::vector<Rect> KWinSession::usableAreas(int docks) {
    const std::regex line(R"(panemark-test-areas (\d+)((\|-?\d+,-?\d+,\d+,\d+)+))");
    const std::regex one(R"(\|(-?\d+),(-?\d+),(\d+),(\d+))");
    const std::string log = readFile(compositorLog());
    std::vector<Rect> areas;
    for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator();
         ++it) {
        if (std::stoi((*it)[1]) != docks) {
            continue;
        }
        areas.clear();
        const std::string list = (*it)[2];
        for (auto a = std::sregex_iterator(list.begin(), list.end(), one);
             a != std::sregex_iterator(); ++a) {
            areas.push_back(
                {std::stod((*a)[1]), std::stod((*a)[2]), std::stod((*a)[3]), std::stod((*a)[4])});
        }
    }
    return areas;
}

std::optional<Rect> KWinSession::usableArea(int screen, int docks) {
    const std::regex line(R"(panemark-test-areas (\d+)((\|-?\d+,-?\d+,\d+,\d+)+))");
    std::optional<Rect> area;
    ChildProcess::waitFor(
        [&] {
            const std::string log = readFile(compositorLog());
            for (auto it = std::sregex_iterator(log.begin(), log.end(), line);
                 it != std::sregex_iterator(); ++it) {
                if (std::stoi((*it)[1]) != docks) {
                    continue;
                }
                std::vector<Rect> areas;
                const std::string list = (*it)[2];
                const std::regex one(R"(\|(-?\d+),(-?\d+),(\d+),(\d+))");
                for (auto a = std::sregex_iterator(list.begin(), list.end(), one);
                     a != std::sregex_iterator(); ++a) {
                    areas.push_back({std::stod((*a)[1]), std::stod((*a)[2]), std::stod((*a)[3]),
                                     std::stod((*a)[4])});
                }
                if (screen < static_cast<int>(areas.size())) {
                    area = areas[static_cast<std::size_t>(screen)];
                }
            }
            return area.has_value();
        },
        10);
    return area;
}

namespace {

// kscreen-doctor in the session, a Wayland client of KWin's output management.
std::vector<std::string> kscreenDoctor(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{"env", "QT_QPA_PLATFORM=wayland", "kscreen-doctor"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

} // namespace

std::string KWinSession::configureOutputs(const std::string& setting) {
    const auto [status, output] = run(kscreenDoctor({setting}));
    return status == 0 ? std::string() : "kscreen-doctor " + setting + " failed: " + output;
}

std::vector<std::string> KWinSession::outputNames() {
    const nlohmann::json config =
        nlohmann::json::parse(run(kscreenDoctor({"--json"})).second, nullptr, false);
    std::vector<std::pair<double, std::string>> found;
    if (config.is_object() && config.contains("outputs") && config["outputs"].is_array()) {
        for (const nlohmann::json& output : config["outputs"]) {
            if (output.value("enabled", false) && output.contains("pos") &&
                output["pos"].is_object()) {
                found.emplace_back(output["pos"].value("x", 0.0), output.value("name", ""));
            }
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (const auto& [x, name] : found) {
        names.push_back(name);
    }
    return names;
}

bool KWinSession::restartCompositor() {
    const std::string kwinCopy = (root_ / "bin" / "kwin_wayland").string();
    const auto kwinPid = [&]() -> pid_t {
        const auto [status, output] = run({"pgrep", "-f", "^" + kwinCopy});
        return status == 0 ? static_cast<pid_t>(std::atoi(output.c_str())) : -1;
    };
    const pid_t before = kwinPid();
    if (!wrapped_ || before <= 0 || ::kill(before, SIGKILL) != 0) {
        return false;
    }
    // Started again by the wrapper, on the bus, and running the test's frame reporter anew.
    if (!waitFor(
            [&] {
                const pid_t now = kwinPid();
                return now > 0 && now != before &&
                       call("org.kde.KWin", "/KWin", "org.kde.KWin.currentDesktop").find("int32") !=
                           std::string::npos;
            },
            30)) {
        return false;
    }
    return loadFrameReporter();
}

bool KWinSession::loadFrameReporter() {
    const std::filesystem::path script = root_ / "frames.js";
    std::ofstream(script) << frameReporter;
    const std::string loaded =
        call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting.loadScript",
             {"string:" + script.string(), "string:panemark-test-frames"});
    if (loaded.find("int32") == std::string::npos) {
        return false;
    }
    call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting.start");
    return true;
}

} // namespace panemark
