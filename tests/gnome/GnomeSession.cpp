#include "GnomeSession.h"

#include "../support/ChildProcess.h"
#include "../support/DesktopVersion.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <regex>

namespace panemark {

namespace {

constexpr const char* testExtension = "panemark-test@panemark.app";

// Leaves the overview the shell opens at start, reports every window's frame, caption and focus
// whenever one of them changes, and once the monitors' usable areas and the Panemark button.
// One body for every shell, as Panemark's own extension has; the entries below hand it the
// shell's modules.
constexpr const char* testExtensionCode = R"js(
function createTestExtension({ Clutter, Gio, GLib, Meta, Shell, Main, Keyboard }) {
let timer = 0;
// A press of Panemark's top-bar button, for the test to ask for: a virtual pointer's clicks do
// not reach the top bar of a headless shell.
// And a picture of the whole desktop, for the test to save.
const testInterface = `<node><interface name="app.panemark.Test">
  <method name="PressPanemarkButton"/>
  <method name="EnterLockScreen"/>
  <method name="LeaveLockScreen"/>
  <method name="Screenshot"><arg type="s" name="path" direction="in"/></method>
  <method name="BindHalves"/>
  <method name="WatchFrame">
    <arg type="i" name="x" direction="in"/><arg type="i" name="y" direction="in"/>
    <arg type="i" name="width" direction="in"/><arg type="i" name="height" direction="in"/>
  </method>
  <method name="FrameTime">
    <arg type="u" name="timeout" direction="in"/><arg type="x" name="microseconds" direction="out"/>
  </method>
</interface></node>`;
// The floor a benchmark measures Panemark against: Ctrl+Alt+Super+Left and Right bound inside
// the shell, placing the focused window on the half of its monitor's work area, with nothing
// outside the shell on the way.
const halves = new Map();
let halvesHandler = 0;
function placeHalf(left) {
    const win = global.display.focus_window;
    if (!win)
        return;
    const a = global.workspace_manager.get_active_workspace()
        .get_work_area_for_monitor(win.get_monitor());
    const width = Math.round(a.width / 2);
    win.move_resize_frame(true, left ? a.x : a.x + width, a.y,
        left ? width : a.width - width, a.height);
}
const watch = { window: null, handlers: [], seenAt: 0, waiters: [] };
function stopWatching() {
    if (watch.window)
        watch.handlers.forEach(id => watch.window.disconnect(id));
    watch.window = null;
    watch.handlers = [];
    watch.seenAt = 0;
}
const testObject = Gio.DBusExportedObject.wrapJSObject(testInterface, {
    BindHalves() {
        for (const [key, left] of [['Left', true], ['Right', false]]) {
            const action = global.display.grab_accelerator(`<Control><Alt><Super>${key}`,
                Meta.KeyBindingFlags.NONE);
            Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action),
                Shell.ActionMode.NORMAL);
            halves.set(action, left);
        }
        halvesHandler = global.display.connect('accelerator-activated', (display, action) => {
            if (halves.has(action))
                placeHalf(halves.get(action));
        });
    },
    // A benchmark's stopwatch: WatchFrame notes the moment (the monotonic clock, as
    // CLOCK_MONOTONIC) the focused window's frame becomes the one given, from the window's own
    // signals, and FrameTime answers it once there is one (0 after `timeout` ms). Neither the
    // keyboard's round trip nor asking again and again is part of what is measured.
    WatchFrame(x, y, width, height) {
        stopWatching();
        const win = global.display.focus_window;
        if (!win)
            return;
        const check = () => {
            const r = win.get_frame_rect();
            if (r.x === x && r.y === y && r.width === width && r.height === height) {
                stopWatching();
                watch.seenAt = GLib.get_monotonic_time();
                watch.waiters.splice(0).forEach(answer => answer());
            }
        };
        watch.window = win;
        watch.handlers = [win.connect('position-changed', check), win.connect('size-changed', check)];
    },
    FrameTimeAsync([timeout], invocation) {
        let timer = 0;
        const answer = () => {
            if (timer)
                GLib.source_remove(timer);
            invocation.return_value(new GLib.Variant('(x)', [watch.seenAt]));
        };
        if (watch.seenAt || !watch.window) {
            answer();
            return;
        }
        watch.waiters.push(answer);
        timer = GLib.timeout_add(GLib.PRIORITY_DEFAULT, timeout, () => {
            timer = 0;
            watch.waiters = watch.waiters.filter(waiter => waiter !== answer);
            answer();
            return GLib.SOURCE_REMOVE;
        });
    },
    // What locking and unlocking the screen do to extensions: the shell's screen shield
    // enters the unlock dialog's session mode, which turns off every extension not made for it,
    // and leaves it on unlocking. (A headless shell has no screen shield: it can lock only where
    // a display manager runs.)
    EnterLockScreen() {
        Main.sessionMode.pushMode('unlock-dialog');
    },
    LeaveLockScreen() {
        Main.sessionMode.popMode('unlock-dialog');
    },
    PressPanemarkButton() {
        // GNOME 46 and later make no events from scripts; the button's handler reads none.
        const event = typeof Clutter.Event.new === 'function'
            ? Clutter.Event.new(Clutter.EventType.BUTTON_PRESS) : null;
        Main.panel.statusArea['panemark'].emit('button-press-event', event);
    },
    ScreenshotAsync([path], invocation) {
        const stream = Gio.File.new_for_path(path).replace(null, false,
            Gio.FileCreateFlags.NONE, null);
        new Shell.Screenshot().screenshot(false, stream, (shooter, result) => {
            try {
                shooter.screenshot_finish(result);
                stream.close(null);
                invocation.return_value(null);
            } catch (e) {
                invocation.return_dbus_error('app.panemark.Test.Error', e.message);
            }
        });
    },
});
const last = new Map();

let lastPointer = '';
let lastSource = null;
let lastAreas = '';

// Each monitor's work area, whenever one changes (a monitor scaled, a panel resized).
function reportAreas() {
    const workspace = global.workspace_manager.get_active_workspace();
    const lines = [];
    for (let i = 0; i < global.display.get_n_monitors(); ++i) {
        const a = workspace.get_work_area_for_monitor(i);
        lines.push(`panemark-test-area ${i}|${a.x}|${a.y}|${a.width}|${a.height}`);
    }
    if (lines.join() !== lastAreas) {
        lastAreas = lines.join();
        lines.forEach(line => log(line));
    }
}

function report() {
    const [px, py] = global.get_pointer();
    if (`${px}|${py}` !== lastPointer) {
        lastPointer = `${px}|${py}`;
        log(`panemark-test-pointer ${lastPointer}`);
    }
    // The input source the shell made active, once it has applied its layout.
    const source = Keyboard.getInputSourceManager().currentSource;
    const sourceId = source ? source.id : '';
    if (sourceId !== lastSource) {
        lastSource = sourceId;
        log(`panemark-test-source ${sourceId}`);
    }
    if (lastAreas !== '')
        reportAreas();
    const focus = global.display.focus_window;
    for (const win of global.display.list_all_windows()) {
        const r = win.get_frame_rect();
        const line = `${win.get_title()}|${r.x}|${r.y}|${r.width}|${r.height}|${win === focus ? 1 : 0}`;
        if (last.get(win) !== line) {
            last.set(win, line);
            log(`panemark-test-frame ${line}`);
        }
    }
    return GLib.SOURCE_CONTINUE;
}

function ready() {
    Main.overview.hide();
    GLib.timeout_add(GLib.PRIORITY_DEFAULT, 500, () => {
        reportAreas();
        const button = Main.panel.statusArea['panemark'];
        if (button) {
            const [x, y] = button.get_transformed_position();
            const [width, height] = button.get_transformed_size();
            log(`panemark-test-button ${Math.round(x + width / 2)}|${Math.round(y + height / 2)}`);
        }
        log('panemark-test-ready');
        return GLib.SOURCE_REMOVE;
    });
}

return {
        enable() {
            if (Main.layoutManager._startingUp)
                Main.layoutManager.connect('startup-complete', ready);
            else
                ready();
            timer = GLib.timeout_add(GLib.PRIORITY_DEFAULT, 20, report);
            testObject.export(Gio.DBus.session, '/app/panemark/Test');
        },
        disable() {
            if (halvesHandler)
                global.display.disconnect(halvesHandler);
            halves.forEach((left, action) => global.display.ungrab_accelerator(action));
            stopWatching();
            testObject.unexport();
            GLib.source_remove(timer);
        },
    };
}
)js";

constexpr const char* testExtensionLegacyEntry = R"js(
const { Clutter, Gio, GLib, Meta, Shell } = imports.gi;
function init() {
    return createTestExtension({ Clutter, Gio, GLib, Meta, Shell, Main: imports.ui.main,
        Keyboard: imports.ui.status.keyboard });
}
)js";

constexpr const char* testExtensionModuleEntry = R"js(
import Clutter from 'gi://Clutter';
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';
import Shell from 'gi://Shell';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import * as Keyboard from 'resource:///org/gnome/shell/ui/status/keyboard.js';
import { Extension } from 'resource:///org/gnome/shell/extensions/extension.js';

export default class PanemarkTestExtension extends Extension {
    enable() {
        this._test = createTestExtension({ Clutter, Gio, GLib, Meta, Shell, Main, Keyboard });
        this._test.enable();
    }

    disable() {
        this._test.disable();
        this._test = null;
    }
}
)js";

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

GnomeSession::GnomeSession(const std::string& layouts, const std::string& monitorSize,
                           bool logicalLayout)
    : HeadlessSession("gnome") {
    if (!problem_.empty()) {
        return;
    }
    waylandDisplay_ = "panemark-gnome-" + unique_;
    const std::filesystem::path systemSocket = root_ / "system-bus";
    systemBusAddress_ = "unix:path=" + systemSocket.string();
    systemBus_ = start(
        {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + systemBusAddress_},
        (root_ / "system-bus.log").string());
    if (!ChildProcess::waitFor([&] { return std::filesystem::exists(systemSocket); }, 10)) {
        problem_ = "the system bus did not start";
        return;
    }
    const auto [status, output] = run({PANEMARK_PROGRAM_PATH, "setup", "gnome-shell"});
    setupOutput_ = output;
    if (status != 0) {
        problem_ = "panemark setup gnome-shell failed: " + output;
        return;
    }
    installTestExtension();
    if (!layouts.empty()) {
        writeInputSources(layouts);
    }
    if (logicalLayout) {
        run({"gsettings", "set", "org.gnome.mutter", "experimental-features",
             "['scale-monitor-framebuffer']"});
    }
    shell_ =
        start({"gnome-shell", "--headless", "--wayland", "--no-x11", "--wayland-display",
               waylandDisplay_, "--virtual-monitor", monitorSize, "--virtual-monitor", monitorSize},
              compositorLog().string());
    if (!ChildProcess::waitFor(
            [&] {
                return readFile(compositorLog()).find("panemark-test-ready") != std::string::npos;
            },
            60)) {
        problem_ =
            "GNOME Shell did not start with the extensions (see " + compositorLog().string() + ")";
        return;
    }
    ready_ = true;
}

GnomeSession::~GnomeSession() {
    stopPrograms();
    ChildProcess::stop(shell_);
    ChildProcess::stop(systemBus_);
}

std::map<std::string, std::string> GnomeSession::environment() const {
    std::map<std::string, std::string> environment = HeadlessSession::environment();
    environment["XDG_CURRENT_DESKTOP"] = "GNOME";
    environment["WAYLAND_DISPLAY"] = waylandDisplay_;
    environment["DBUS_SYSTEM_BUS_ADDRESS"] = systemBusAddress_;
    return environment;
}

void GnomeSession::installTestExtension() {
    const std::filesystem::path folder = home_ / "gnome-shell" / "extensions" / testExtension;
    std::filesystem::create_directories(folder);
    // Written for the installed shell: 43 and 44 load scripts, 45 and later modules.
    const std::string version = desktopVersion("gnome-shell --version");
    const std::string major = version.substr(0, version.find('.'));
    const bool modules = !major.empty() && std::stoi(major) >= 45;
    std::ofstream(folder / "metadata.json")
        << R"({"uuid": ")" << testExtension
        << R"(", "name": "Panemark tests", "description": "Reports frames for Panemark's tests.", )"
           R"("session-modes": ["user", "unlock-dialog"], "shell-version": [")"
        << major << R"("]})";
    std::ofstream(folder / "extension.js")
        << testExtensionCode << (modules ? testExtensionModuleEntry : testExtensionLegacyEntry);
    run({"gsettings", "set", "org.gnome.shell", "enabled-extensions",
         "['panemark@panemark.app', 'panemark-test@panemark.app']"});
}

void GnomeSession::writeInputSources(const std::string& layouts) {
    std::string sources;
    for (std::size_t start = 0; start <= layouts.size();) {
        const std::size_t comma = std::min(layouts.find(',', start), layouts.size());
        sources += std::string(sources.empty() ? "" : ", ") + "('xkb', '" +
                   layouts.substr(start, comma - start) + "')";
        start = comma + 1;
    }
    run({"gsettings", "set", "org.gnome.desktop.input-sources", "sources", "[" + sources + "]"});
}

bool GnomeSession::setLayouts(const std::string& layouts) {
    writeInputSources(layouts);
    // The test extension reports each input source the shell makes active.
    const std::string first = layouts.substr(0, layouts.find(','));
    std::string active;
    const bool switched = ChildProcess::waitFor(
        [&] {
            const std::string log = readFile(compositorLog());
            const std::size_t line = log.rfind("panemark-test-source ");
            if (line == std::string::npos) {
                return false;
            }
            const std::size_t start = line + std::strlen("panemark-test-source ");
            active = log.substr(start, log.find('\n', start) - start);
            return active == first;
        },
        10);
    if (!switched) {
        std::fprintf(stderr, "the shell's active input source: %s\n", active.c_str());
    }
    return switched;
}

std::string GnomeSession::setMonitorScales(double left, double right) {
    const std::vector<std::string> displayConfig{"gdbus",
                                                 "call",
                                                 "--session",
                                                 "--dest",
                                                 "org.gnome.Mutter.DisplayConfig",
                                                 "--object-path",
                                                 "/org/gnome/Mutter/DisplayConfig",
                                                 "--method"};
    auto state = displayConfig;
    state.push_back("org.gnome.Mutter.DisplayConfig.GetCurrentState");
    const auto [status, text] = run(state);
    if (status != 0) {
        return "no display configuration: " + text;
    }
    // (serial, [((connector, vendor, product, serial), [(mode id, ...), ...], ...), ...], ...)
    std::smatch match;
    if (!std::regex_search(text, match, std::regex(R"(^\(uint32 (\d+),)"))) {
        return "no serial in " + text;
    }
    const std::string serial = match[1];
    const std::regex monitor(R"(\(\('([^']+)', '[^']*', '[^']*', '[^']*'\), \[\('([^']+)', (\d+))");
    std::vector<std::pair<std::string, std::string>> monitors; // connector, mode
    int leftWidth = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), monitor);
         it != std::sregex_iterator(); ++it) {
        monitors.emplace_back((*it)[1], (*it)[2]);
        if (monitors.size() == 1) {
            leftWidth = std::stoi((*it)[3]);
        }
    }
    if (monitors.size() < 2) {
        return "not two monitors in " + text;
    }
    // Physical layout (mutter's default): the second monitor starts where the first one's pixels
    // end; logical layout: where its points end.
    const bool logical = text.find("'layout-mode': <uint32 1>") != std::string::npos;
    const int rightX = logical ? static_cast<int>(leftWidth / left) : leftWidth;
    const auto logicalMonitor = [](int x, double scale, bool primary,
                                   const std::pair<std::string, std::string>& m) {
        return "(" + std::to_string(x) + ", 0, " + std::to_string(scale) + ", 0, " +
               (primary ? "true" : "false") + ", [('" + m.first + "', '" + m.second +
               "', @a{sv} {})])";
    };
    auto apply = displayConfig;
    apply.insert(apply.end(), {"org.gnome.Mutter.DisplayConfig.ApplyMonitorsConfig", serial, "1",
                               "[" + logicalMonitor(0, left, true, monitors[0]) + ", " +
                                   logicalMonitor(rightX, right, false, monitors[1]) + "]",
                               "@a{sv} {}"});
    const auto [applied, answer] = run(apply);
    return applied == 0 ? "" : "mutter refused the scales: " + answer;
}

bool GnomeSession::waitForSettledAreas() {
    const auto areaLines = [&] {
        const std::string log = readFile(compositorLog());
        std::size_t count = 0;
        for (std::size_t at = log.find("panemark-test-area "); at != std::string::npos;
             at = log.find("panemark-test-area ", at + 1)) {
            ++count;
        }
        return count;
    };
    std::size_t seen = areaLines();
    auto quietSince = std::chrono::steady_clock::now();
    return ChildProcess::waitFor(
        [&] {
            const std::size_t now = areaLines();
            if (now != seen) {
                seen = now;
                quietSince = std::chrono::steady_clock::now();
            }
            return std::chrono::steady_clock::now() - quietSince >= std::chrono::seconds(1);
        },
        10);
}

bool GnomeSession::press(unsigned evdevCode, const std::vector<std::string>& modifiers) {
    std::vector<std::string> command{REMOTE_KEYBOARD, std::to_string(evdevCode)};
    command.insert(command.end(), modifiers.begin(), modifiers.end());
    return run(command).first == 0;
}

bool GnomeSession::screenshot(const std::string& name) {
    std::filesystem::create_directories(SCREENSHOT_DIR);
    const std::string path = std::string(SCREENSHOT_DIR) + "/" + name + ".png";
    return call("org.gnome.Shell", "/app/panemark/Test", "app.panemark.Test.Screenshot",
                {"string:" + path})
               .find("method return") != std::string::npos;
}

bool GnomeSession::pressPanemarkButton() {
    return call("org.gnome.Shell", "/app/panemark/Test", "app.panemark.Test.PressPanemarkButton")
               .find("method return") != std::string::npos;
}

std::optional<Rect> GnomeSession::usableArea(int monitor) {
    // The last the shell reported.
    const std::string log = readFile(compositorLog());
    const std::regex line("panemark-test-area " + std::to_string(monitor) +
                          R"(\|(-?\d+)\|(-?\d+)\|(\d+)\|(\d+))");
    std::optional<Rect> area;
    for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator();
         ++it) {
        area = Rect{std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]),
                    std::stod((*it)[4])};
    }
    return area;
}

std::optional<std::pair<int, int>> GnomeSession::panemarkButton() {
    const std::string log = readFile(compositorLog());
    std::smatch match;
    if (!std::regex_search(log, match, std::regex(R"(panemark-test-button (\d+)\|(\d+))"))) {
        return std::nullopt;
    }
    return std::make_pair(std::stoi(match[1]), std::stoi(match[2]));
}

} // namespace panemark
