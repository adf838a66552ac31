// The KWin script's and the GNOME Shell extension's own logic, run in a JavaScript engine
// against stand-ins for what KWin and GNOME Shell give them: each version's names (KWin 5.27,
// 6.x and 6.7's gadgets; GNOME 43-48 and 49 and later), placement and its wait, the palette
// kept inside its monitor, and errors answered rather than thrown. A renamed call or a broken
// branch fails here in seconds, without a compositor.
#include "platform/OwnWindows.h"
#include "platform/gnome/GnomeShellExtension.h"
#include "platform/helper/HelperScript.h"
#include "platform/kwin/KWinScriptLoader.h"

#include <QCoreApplication>
#include <QJSEngine>
#include <QJSValue>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace panemark {
namespace {

// A signal as both hosts offer them: connect, disconnect, and the test fires it.
constexpr const char* sharedStandIns = R"js(
function Signal() {
    var handlers = [];
    return {
        connect: function (handler) { handlers.push(handler); },
        disconnect: function (handler) {
            var at = handlers.indexOf(handler);
            if (at >= 0) handlers.splice(at, 1);
        },
        fire: function () {
            var args = arguments;
            handlers.slice().forEach(function (h) { h.apply(null, args); });
        },
        count: function () { return handlers.length; }
    };
}
)js";

// KWin: callDBus, QTimer, the KWin enums and a workspace of the version asked for.
constexpr const char* kwinStandIns = R"js(
var calls = [];
function callDBus() { calls.push(Array.prototype.slice.call(arguments)); }
var timers = [];
function QTimer() {
    this.timeout = Signal();
    this.singleShot = false;
    this.running = false;
    // Started again while running, a timer still fires once.
    this.start = function (ms) {
        if (ms !== undefined) this.interval = ms;
        this.running = true;
        if (timers.indexOf(this) < 0) timers.push(this);
    };
    this.stop = function () { this.running = false; };
}
function fireTimers() {
    timers.filter(function (t) { return t.running; }).forEach(function (t) {
        if (!t.running) return;
        if (t.singleShot) t.running = false;
        t.timeout.fire();
    });
}
var KWin = { FullScreenArea: 4, MaximizeArea: 2 };

// KWin 6.7 hands geometry out as its own gadgets: x, y, width and height are there, and more.
function gadget(r) {
    return { x: r.x, y: r.y, width: r.width, height: r.height, left: r.x, top: r.y,
             toString: function () { return "KWin::RectF"; } };
}

function makeWindow(api, id, frame, pid, caption) {
    var w = {
        internalId: "{" + id + "}", pid: pid, resizeable: true, fullScreen: false,
        desktopFileName: pid === 4242 ? "panemark" : "foot", resourceClass: pid === 4242 ? "panemark" : "foot",
        maximizable: true, maximized: [], desktopWindow: false, dock: false, deleted: false,
        caption: caption + (api >= 6.2 ? " <2>" : ""), frameGeometryChanged: Signal(),
        keepAbove: false, follows: true, writes: []
    };
    if (api >= 6.2) w.captionNormal = caption;
    var current = frame;
    Object.defineProperty(w, "frameGeometry", {
        get: function () { return api >= 6.7 ? gadget(current) : current; },
        set: function (r) {
            w.writes.push({ x: r.x, y: r.y, width: r.width, height: r.height });
            if (w.follows) {
                current = { x: r.x, y: r.y, width: r.width, height: r.height };
                w.frameGeometryChanged.fire();
            }
        }
    });
    w.setMaximize = function (v, h) { w.maximized.push([v, h]); };
    // The client drawing itself at another size.
    w.resizeByClient = function (width, height) {
        current = { x: current.x, y: current.y, width: width, height: height };
        w.frameGeometryChanged.fire();
    };
    return w;
}

function makeWorkspace(api, windows, outputs) {
    var ws = {
        currentDesktop: 1, cursorPos: { x: 1270, y: 790 }, numScreens: outputs.length,
        virtualScreenGeometryChanged: Signal(),
        clientArea: function (kind, screen) {
            var o = typeof screen === "number" ? outputs[screen] : screen;
            return kind === KWin.MaximizeArea ? o.areaRect : o.frame;
        }
    };
    if (api >= 6) {
        ws.activeWindow = windows[0];
        ws.windowList = function () { return windows; };
        ws.screens = outputs.map(function (o) {
            return { name: o.name, manufacturer: "Maker", model: o.name + " model",
                     serialNumber: "S" + o.name,
                     geometry: api >= 6.7 ? gadget(o.frame) : o.frame,
                     frame: o.frame, areaRect: o.areaRect };
        });
        ws.screenAt = function (p) {
            return ws.screens.filter(function (s) {
                return p.x >= s.frame.x && p.x < s.frame.x + s.frame.width;
            })[0] || ws.screens[0];
        };
        ws.windowAdded = Signal(); ws.windowActivated = Signal(); ws.windowRemoved = Signal();
        ws.screensChanged = Signal();
    } else {
        ws.activeClient = windows[0];
        ws.clientList = function () { return windows; };
        ws.activeScreen = 0;
        ws.supportInformation = function () {
            return outputs.map(function (o, i) {
                return "Screen " + i + ":\n---------\nName: " + o.name + "\n";
            }).join("");
        };
        ws.clientAdded = Signal(); ws.clientActivated = Signal(); ws.clientRemoved = Signal();
        ws.numberScreensChanged = Signal(); ws.screenResized = Signal();
    }
    return ws;
}

var outputs = [
    { name: "DP-1", frame: { x: 0, y: 0, width: 1280, height: 800 },
      areaRect: { x: 0, y: 0, width: 1280, height: 770 } },
    { name: "DP-2", frame: { x: 1280, y: 0, width: 1024, height: 768 },
      areaRect: { x: 1280, y: 0, width: 1024, height: 768 } }
];
var windows = [makeWindow(API, 7, { x: 10, y: 20, width: 300, height: 200 }, 99, "Terminal")];
var workspace = makeWorkspace(API, windows, outputs);

// The script's question and what it was answered: a request hands it work.
function pendingQuestion() {
    for (var i = calls.length - 1; i >= 0; --i) {
        if (calls[i][3] === "next" && !calls[i].answered) return calls[i];
    }
    return null;
}
function request(work) {
    var question = pendingQuestion();
    question.answered = true;
    question[question.length - 1](JSON.stringify(work));
}
function answers() {
    return calls.filter(function (c) { return c[3] === "answer"; }).map(function (c) {
        return { serial: c[5], result: JSON.parse(c[6]) };
    });
}
)js";

class Script {
public:
    Script() : engine_(application()) {}

    QJSValue run(const std::string& code) {
        QJSValue value = engine_.evaluate(QString::fromStdString(code));
        EXPECT_FALSE(value.isError()) << value.toString().toStdString() << " in: " << code;
        return value;
    }
    // A value as JSON text, for comparisons that say what differs.
    std::string json(const std::string& expression) {
        return run("JSON.stringify(" + expression + ")").toString().toStdString();
    }

private:
    static QObject* application() {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication* app =
            QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
        (void)app;
        return nullptr;
    }

    QJSEngine engine_;
};

// The KWin script loaded into a workspace of KWin `api` (5, 6, 6.2 for captionNormal, 6.7 for
// the gadgets), its window 7 of another program; Panemark's windows are those of pid 4242.
std::unique_ptr<Script> kwinScript(double api) {
    auto script = std::make_unique<Script>();
    script->run(sharedStandIns);
    script->run("var API = " + std::to_string(api) + ";");
    script->run(kwinStandIns);
    script->run(KWinScriptLoader::scriptText("token-1", "app.panemark.Test"));
    return script;
}

TEST(ScriptLogicTest, TheKWinScriptListensToTheSignalsOfTheKWinItRunsIn) {
    for (const double api : {5.0, 6.0, 6.7}) {
        SCOPED_TRACE(api);
        auto script = kwinScript(api);
        const char* const signals = api >= 6 ? "[workspace.windowAdded, workspace.windowActivated,"
                                               " workspace.windowRemoved, workspace.screensChanged]"
                                             : "[workspace.clientAdded, workspace.clientActivated,"
                                               " workspace.clientRemoved]";
        // Each heard once: a window, its activation and its going, and the screens.
        EXPECT_EQ(script->json(std::string(signals) + ".map(function (s) { return s.count(); })"),
                  api >= 6 ? "[1,1,1,1]" : "[1,1,1]");
    }
}

TEST(ScriptLogicTest, TheKWinScriptReadsWindowsAndScreensUnderEveryKWin) {
    for (const double api : {5.0, 6.0, 6.2, 6.7}) {
        SCOPED_TRACE(api);
        auto script = kwinScript(api);
        const std::string hello = script->json("JSON.parse(calls[0][5])");
        EXPECT_NE(hello.find(api >= 6 ? R"("api":6)" : R"("api":5)"), std::string::npos) << hello;
        script->run(R"(request({ op: "look", serial: 1 }))");
        const std::string look = script->json("answers()[0]");
        EXPECT_NE(
            look.find(
                R"("window":{"id":"{7}","frame":{"x":10,"y":20,"width":300,"height":200},"pid":99)"),
            std::string::npos)
            << look;
        // The title without KWin's " <2>" where KWin keeps one.
        EXPECT_NE(look.find(R"("caption":"Terminal")"), std::string::npos) << look;
        EXPECT_NE(look.find(R"("name":"DP-2")"), std::string::npos) << look;
        EXPECT_NE(look.find(R"("area":{"x":0,"y":0,"width":1280,"height":770})"), std::string::npos)
            << look;
        // Every signal the script needs is one this KWin has, and it listens to it.
        const char* const listened = api >= 6 ? "workspace.windowAdded.count() === 1 && "
                                                "workspace.windowActivated.count() === 1 && "
                                                "workspace.windowRemoved.count() === 1 && "
                                                "workspace.screensChanged.count() === 1"
                                              : "workspace.clientAdded.count() === 1 && "
                                                "workspace.clientActivated.count() === 1 && "
                                                "workspace.clientRemoved.count() === 1";
        EXPECT_TRUE(script->run(listened).toBool());
    }
}

TEST(ScriptLogicTest, TheKWinScriptReportsTheActiveWindowAndScreensWheneverTheyChange) {
    for (const double api : {5.0, 6.0, 6.7}) {
        SCOPED_TRACE(api);
        auto script = kwinScript(api);
        script->run(R"(
            function states() {
                fireTimers();
                var sent = calls.filter(function (c) { return c[3] === "state"; })
                                .map(function (c) { return JSON.parse(c[5]); });
                calls.length = 0;
                return sent;
            })");
        // At start: the active window and the screens, as a look would answer.
        const std::string first = script->json("states()");
        EXPECT_NE(first.find(R"("window":{"id":"{7}","frame":{"x":10,"y":20,"width":300)"),
                  std::string::npos)
            << first;
        EXPECT_NE(first.find(R"("area":{"x":0,"y":0,"width":1280,"height":770})"),
                  std::string::npos)
            << first;
        // The window drawn at another size twice in one turn: one report, of the last.
        script->run("windows[0].resizeByClient(400, 300); windows[0].resizeByClient(500, 350);");
        EXPECT_EQ(script->json("states().map(function (s) { return s.window.frame; })"),
                  R"([{"x":10,"y":20,"width":500,"height":350}])");
        // Another window active: reported, and the first one's changes no longer are.
        script->run(std::string(R"(
            var other = makeWindow(API, 8, { x: 0, y: 0, width: 100, height: 100 }, 98, "Editor");
            windows.push(other);
            workspace.)") +
                    (api >= 6 ? "activeWindow" : "activeClient") + R"( = other;
            workspace.)" +
                    (api >= 6 ? "windowActivated" : "clientActivated") + ".fire(other);");
        EXPECT_EQ(script->json("states().map(function (s) { return s.window.id; })"), R"(["{8}"])");
        script->run("windows[0].resizeByClient(200, 200);");
        EXPECT_EQ(script->json("states().length"), "0");
        // The one followed is already gone, its signals with it: the next is followed all the same.
        script->run(std::string(R"(
            other.frameGeometryChanged.disconnect = function () { throw new TypeError("gone"); };
            workspace.)") +
                    (api >= 6 ? "activeWindow" : "activeClient") + R"( = windows[0];
            workspace.)" +
                    (api >= 6 ? "windowActivated" : "clientActivated") + ".fire(windows[0]);");
        EXPECT_EQ(script->json("states().map(function (s) { return s.window.id; })"), R"(["{7}"])");
        // A panel that changes its size changes the usable area: reported too.
        script->run(R"(
            var panel = makeWindow(API, 9, { x: 0, y: 770, width: 1280, height: 30 }, 1, "Panel");
            panel.dock = true;
            workspace.)" +
                    std::string(api >= 6 ? "windowAdded" : "clientAdded") +
                    R"(.fire(panel);
            states();
            panel.resizeByClient(1280, 40);)");
        EXPECT_EQ(script->json("states().length"), "1");
    }
}

// KWin 5.27 names its screens only in its support information, which costs it about a
// millisecond to build: read when the screens change, not for every report of a moved window.
TEST(ScriptLogicTest, KWin5ReadsTheScreensNamesAgainOnlyWhenTheScreensChange) {
    auto script = kwinScript(5.0);
    script->run(R"(
        var built = 0;
        var supportInformation = workspace.supportInformation;
        workspace.supportInformation = function () { ++built; return supportInformation(); };
        function reportedNames() {
            fireTimers();
            var sent = calls.filter(function (c) { return c[3] === "state"; })
                            .map(function (c) { return JSON.parse(c[5]); });
            calls.length = 0;
            return sent.map(function (s) {
                return s.screens.map(function (screen) { return screen.name; }).join();
            });
        }
        reportedNames();
        built = 0;)");
    script->run("windows[0].resizeByClient(400, 300); reportedNames();"
                "windows[0].resizeByClient(500, 300);");
    EXPECT_EQ(script->json("reportedNames()"), R"(["DP-1,DP-2"])");
    EXPECT_EQ(script->json("built"), "0");
    // Another monitor in the first one's place: its name is read and reported.
    script->run(R"(outputs[0].name = "HDMI-1"; workspace.numberScreensChanged.fire();)");
    EXPECT_EQ(script->json("reportedNames()"), R"(["HDMI-1,DP-2"])");
    EXPECT_EQ(script->json("built"), "1");
}

TEST(ScriptLogicTest, TheKWinScriptPlacesUnmaximizedAndAnswersWhenTheFrameIsThereOrInTime) {
    for (const double api : {5.0, 6.0, 6.7}) {
        SCOPED_TRACE(api);
        auto script = kwinScript(api);
        script->run(R"(request({ op: "place", serial: 2, id: "{7}",
                                 frame: { x: 0, y: 0, width: 640, height: 770 }, wait: 100 }))");
        EXPECT_EQ(script->json("windows[0].maximized"), "[[false,false]]");
        EXPECT_EQ(
            script->json("answers()"),
            R"([{"serial":"2","result":{"placed":true,"frame":{"x":0,"y":0,"width":640,"height":770}}}])");
        // A client that keeps its size: the answer waits for the timer, with the frame it has.
        script->run("windows[0].follows = false;");
        script->run(R"(request({ op: "place", serial: 3, id: "{7}",
                                 frame: { x: 640, y: 0, width: 640, height: 770 }, wait: 100 }))");
        EXPECT_EQ(script->run("answers().length").toInt(), 1);
        script->run("fireTimers();");
        EXPECT_EQ(
            script->json("answers()[1]"),
            R"({"serial":"3","result":{"placed":true,"frame":{"x":0,"y":0,"width":640,"height":770}}})");
        // A window that is gone is said to be.
        script->run(R"(request({ op: "place", serial: 4, id: "{8}",
                                 frame: { x: 0, y: 0, width: 1, height: 1 }, wait: 100 }))");
        EXPECT_EQ(script->json("answers()[2].result"), R"({"placed":false})");
    }
}

TEST(ScriptLogicTest, TheKWinScriptKeepsThePaletteInsideTheScreenUnderThePointer) {
    for (const double api : {5.0, 6.0, 6.7}) {
        SCOPED_TRACE(api);
        auto script = kwinScript(api);
        // Opened at the bottom-right corner: pushed back inside the usable area, and kept from
        // the focus, which stays with the terminal.
        script->run(R"(
            var palette = makeWindow(API, 9, { x: 0, y: 0, width: 400, height: 300 }, 4242,
                                     "Panemark Palette");
            windows.push(palette);
            (API >= 6 ? workspace.windowAdded : workspace.clientAdded).fire(palette);
        )");
        EXPECT_EQ(script->json("palette.writes[palette.writes.length - 1]"),
                  R"({"x":880,"y":470,"width":400,"height":300})");
        EXPECT_TRUE(script->run("palette.keepAbove").toBool());
        // Grown taller than the area, its top stays on the screen; shorter again, it goes back
        // beside the pointer with its bottom inside.
        script->run("palette.resizeByClient(400, 900);");
        EXPECT_EQ(script->json("palette.writes[palette.writes.length - 1]"),
                  R"({"x":880,"y":0,"width":400,"height":900})");
        script->run("palette.resizeByClient(400, 200);");
        EXPECT_EQ(script->json("palette.writes[palette.writes.length - 1]"),
                  R"({"x":880,"y":570,"width":400,"height":200})");
        // A window of another program with that title is left alone.
        script->run(R"(
            var impostor = makeWindow(API, 10, { x: 5, y: 5, width: 400, height: 300 }, 77,
                                      "Panemark Palette");
            (API >= 6 ? workspace.windowAdded : workspace.clientAdded).fire(impostor);
        )");
        EXPECT_EQ(script->json("impostor.writes"), "[]");
    }
}

TEST(ScriptLogicTest, TheKWinScriptGivesTheFocusBackFromPanemarksPaletteButNotToAClosedWindow) {
    for (const double api : {5.0, 6.0}) {
        SCOPED_TRACE(api);
        auto script = kwinScript(api);
        const std::string active = api >= 6 ? "workspace.activeWindow" : "workspace.activeClient";
        const std::string signal = api >= 6 ? "workspace.window" : "workspace.client";
        // Shown already active, as KWin may map it: the terminal has the keyboard again.
        script->run("var palette = makeWindow(API, 9, { x: 0, y: 0, width: 400, height: 300 }, "
                    "4242, 'Panemark Palette'); windows.push(palette);" +
                    active + " = palette;" + signal + "Added.fire(palette);");
        EXPECT_EQ(script->json(active + " === windows[0]"), "true");
        // Clicked later: the same.
        script->run(active + " = palette;" + signal + "Activated.fire(palette);");
        EXPECT_EQ(script->json(active + " === windows[0]"), "true");
        // The terminal closed: the palette keeps the focus rather than giving it to a window
        // that is gone.
        script->run(signal + "Removed.fire(windows[0]);" + active + " = palette;" + signal +
                    "Activated.fire(palette);");
        EXPECT_EQ(script->json(active + " === palette"), "true");
    }
}

// GNOME Shell: the modules the extension is handed, `global`, and windows of the shell's
// version: 43-48 (get_maximized, unmaximize(flags)) or 49 and later (get_maximize_flags,
// set_unmaximize_flags).
constexpr const char* gnomeStandIns = R"js(
var logged = [];
function log(text) { logged.push(String(text)); }
function logError(e, text) { logged.push(text + ": " + (e && e.message)); }
var timeouts = [];
var GLib = {
    PRIORITY_DEFAULT: 0, SOURCE_REMOVE: false,
    timeout_add: function (p, ms, f) { timeouts.push({ ms: ms, f: f, live: true }); return timeouts.length; },
    source_remove: function (id) { timeouts[id - 1].live = false; },
    Variant: function (signature, values) { this.signature = signature; this.values = values; }
};
function fireTimeouts() {
    timeouts.forEach(function (t) { if (t.live) { t.live = false; t.f(); } });
}
var exported = null;
var grabs = [];
var ungrabs = [];
var lastAction = 0;
var Gio = {
    DBusExportedObject: { wrapJSObject: function (xml, service) {
        exported = { service: service, signals: [], export: function () {},
                     unexport: function () {},
                     emit_signal: function (name, v) { this.signals.push([name, v]); } };
        return exported;
    } },
    DBus: { session: { call: function () {} } },
    DBusCallFlags: { NONE: 0 }, BusNameOwnerFlags: { NONE: 0 }, BusNameWatcherFlags: { NONE: 0 },
    bus_own_name_on_connection: function () { return 1; },
    bus_unown_name: function () {},
    bus_watch_name_on_connection: function () { return 1; },
    bus_unwatch_name: function () {},
    icon_new_for_string: function () { return {}; }
};
var Meta = {
    WindowType: { NORMAL: 0, DESKTOP: 1, DOCK: 2 },
    MaximizeFlags: { HORIZONTAL: 1, VERTICAL: 2, BOTH: 3 },
    KeyBindingFlags: { NONE: 0, IGNORE_AUTOREPEAT: 16 },
    KeyBindingAction: { NONE: 0 },
    external_binding_name_for_action: function (a) { return "external-grab-" + a; }
};
var Shell = { ActionMode: { NORMAL: 1, OVERVIEW: 2 } };
var Clutter = { EVENT_STOP: true };
var St = { Icon: function () {} };
var Main = {
    wm: { allowKeybinding: function () {} },
    layoutManager: { connect: function () { return 1; }, disconnect: function () {} },
    panel: { addToStatusArea: function () {} }
};
var PanelMenu = { Button: function () {
    this.add_child = function () {}; this.connect = function () {}; this.destroy = function () {};
} };

function makeWindow(id, frame, pid, title) {
    var current = frame;
    var handlers = {};
    var w = {
        moves: [], unmaximized: [], maximizedFlags: 0,
        get_id: function () { return id; },
        get_frame_rect: function () { return current; },
        get_pid: function () { return pid; },
        get_wm_class: function () { return pid === 4242 ? "panemark" : "foot"; },
        get_title: function () { return title; },
        get_window_type: function () { return Meta.WindowType.NORMAL; },
        allows_resize: function () { return true; },
        is_fullscreen: function () { return false; },
        follows: true,
        connect: function (name, f) { handlers[name] = f; return name; },
        disconnect: function (name) { delete handlers[name]; },
        move_resize_frame: function (user, x, y, width, height) {
            w.moves.push([x, y, width, height]);
            if (w.follows) {
                current = { x: x, y: y, width: width, height: height };
                if (handlers["size-changed"]) handlers["size-changed"]();
            }
        },
        move_frame: function (user, x, y) {
            w.moves.push([x, y]);
            current = { x: x, y: y, width: current.width, height: current.height };
        },
        make_above: function () { w.above = true; },
        // The client drawing itself at another size.
        resizeByClient: function (width, height) {
            current = { x: current.x, y: current.y, width: width, height: height };
            if (handlers["size-changed"]) handlers["size-changed"]();
        },
        unmanage: function () { if (handlers["unmanaged"]) handlers["unmanaged"](); },
        connectedSignals: function () { return Object.keys(handlers).sort(); },
        activations: 0,
        activate: function () { w.activations += 1; },
        get_compositor_private: function () { return null; }
    };
    if (SHELL >= 49) {
        w.get_maximize_flags = function () { return w.maximizedFlags; };
        w.set_unmaximize_flags = function (flags) { w.unmaximized.push(flags); };
        w.unmaximize = function () {
            if (arguments.length) throw new TypeError("unmaximize takes no flags");
            w.unmaximized.push("all");
        };
    } else {
        w.get_maximized = function () { return w.maximizedFlags; };
        w.unmaximize = function (flags) { w.unmaximized.push(flags); };
    }
    return w;
}

var windows = [makeWindow(7, { x: 10, y: 20, width: 300, height: 200 }, 99, "Terminal")];
windows[0].maximizedFlags = 3;
var monitors = [{ x: 0, y: 0, width: 1280, height: 800 }, { x: 1280, y: 0, width: 1280, height: 800 }];
var pointer = [2550, 790];
var global = {
    display: {
        focus_window: windows[0],
        list_all_windows: function () { return windows; },
        get_n_monitors: function () { return monitors.length; },
        get_monitor_geometry: function (i) { return monitors[i]; },
        get_primary_monitor: function () { return 0; },
        grab_accelerator: function (accelerator, flags) {
            grabs.push([accelerator, flags]);
            return accelerator.indexOf("F12") >= 0 ? 0 : ++lastAction;
        },
        ungrab_accelerator: function (action) { ungrabs.push(action); },
        handlers: {},
        connect: function (name, f) { this.handlers[name] = f; return 1; },
        disconnect: function () {}
    },
    workspace_manager: { get_active_workspace: function () { return {
        get_work_area_for_monitor: function (i) {
            var m = monitors[i];
            return { x: m.x, y: m.y + 32, width: m.width, height: m.height - 32 };
        } }; } },
    backend: {},
    get_pointer: function () { return pointer; },
    get_current_time: function () { return 0; }
};

// A call as the bus makes it, answered through its invocation.
function invoke(method, parameters, sender) {
    var reply = { sender: sender || ":1.5" };
    exported.service[method + "Async"](parameters, {
        get_sender: function () { return reply.sender; },
        return_value: function (v) { reply.value = v ? v.values[0] : null; },
        return_dbus_error: function (name, message) { reply.error = name + ": " + message; }
    });
    return reply;
}
)js";

std::unique_ptr<Script> gnomeExtension(int shell) {
    auto script = std::make_unique<Script>();
    script->run("var SHELL = " + std::to_string(shell) + ";");
    script->run(gnomeStandIns);
    script->run(GnomeShellExtension::core());
    script->run(R"(
        var panemark = createPanemark({ Gio: Gio, GLib: GLib, Meta: Meta, Shell: Shell, St: St,
            Clutter: Clutter, Main: Main, PanelMenu: PanelMenu, path: "/ext",
            shellVersion: SHELL + ".1" });
        panemark.enable();
    )");
    return script;
}

TEST(ScriptLogicTest, TheExtensionPlacesAMaximizedWindowOnGnome43To51) {
    for (const int shell : {43, 46, 48, 49, 50, 51}) {
        SCOPED_TRACE(shell);
        auto script = gnomeExtension(shell);
        script->run(R"(var placed = invoke("Place", ["7", 0, 32, 640, 768, 200]);)");
        EXPECT_EQ(script->json("placed.error"), "undefined");
        EXPECT_EQ(script->json("JSON.parse(placed.value)"),
                  R"({"placed":true,"frame":{"x":0,"y":32,"width":640,"height":768}})");
        EXPECT_EQ(script->json("windows[0].unmaximized"), "[3]");
        // A client that keeps its size is answered when the wait is over.
        script->run(R"(windows[0].follows = false;
                       var later = invoke("Place", ["7", 640, 32, 640, 768, 200]);)");
        EXPECT_EQ(script->json("later.value"), "undefined");
        script->run("fireTimeouts();");
        EXPECT_EQ(script->json("JSON.parse(later.value).frame"),
                  R"({"x":0,"y":32,"width":640,"height":768})");
        EXPECT_EQ(script->json("JSON.parse(invoke('Place', ['8', 0, 0, 1, 1, 0]).value)"),
                  R"({"placed":false})");
    }
}

TEST(ScriptLogicTest, WhatTheShellThrowsIsAnsweredAsAnErrorNamingItsVersion) {
    auto script = gnomeExtension(50);
    script->run(R"(windows[0].move_resize_frame = function () {
                       throw new TypeError("move_resize_frame is not a function");
                   };
                   var failed = invoke("Place", ["7", 0, 32, 640, 768, 200]);
                   global.display.focus_window = { get_window_type: function () {
                       throw new Error("gone"); } };
                   var look = invoke("Look", []);)");
    EXPECT_EQ(
        script->json("failed.error"),
        R"("app.panemark.Shell.Error.Failed: GNOME Shell 50.1 could not Place: move_resize_frame is not a function")");
    EXPECT_EQ(script->json("look.error"),
              R"("app.panemark.Shell.Error.Failed: GNOME Shell 50.1 could not Look: gone")");
    EXPECT_EQ(script->json("look.value"), "undefined");
    // The placement that failed waits for nothing: its call was answered once, with the error.
    script->run("fireTimeouts();");
    EXPECT_EQ(script->json("failed.value"), "undefined");
}

TEST(ScriptLogicTest, TheExtensionGrabsShortcutsThatRunOnceWhenHeldAndNamesTheTakenOnes) {
    auto script = gnomeExtension(48);
    script->run(R"(
        function change(letGo, take) {
            grabs.length = 0; ungrabs.length = 0;
            return invoke("Bind", [JSON.stringify({ letGo: letGo, take: take })]);
        }
        function press(action) {
            exported.signals.length = 0;
            global.display.handlers["accelerator-activated"](global.display, action);
            return exported.signals.map(function (s) { return s[1].values[0]; });
        }
        var left = "<Control><Alt><Super>Left", right = "<Control><Alt><Super>Right";
        var bound = change([], [{ name: "a", accelerator: left },
                                { name: "b", accelerator: "<Control>F12" }]);)");
    EXPECT_EQ(script->json("JSON.parse(bound.value)"), R"({"taken":["b"]})");
    // Held, the key's repeats run nothing: mutter drops them for these grabs.
    EXPECT_EQ(script->json("grabs.map(function (g) { return g[1]; })"), "[16,16]");
    EXPECT_EQ(script->json("press(1)"), R"(["a"])");
    EXPECT_EQ(script->json("invoke('Bind', ['not json']).error.split(':')[0]"),
              R"("app.panemark.Shell.Error.BadBindings")");
    EXPECT_EQ(script->json("invoke('Bind', ['[]']).error.split(':')[0]"),
              R"("app.panemark.Shell.Error.BadBindings")");

    // A command that keeps its name but changes its keys lets the old ones go and takes the
    // new; one held elsewhere at the last change is asked for again, as it may be free now.
    script->run(
        R"(change([{ name: "a", accelerator: left }], [{ name: "a", accelerator: right }]);)");
    EXPECT_EQ(script->json("grabs.map(function (g) { return g[0]; }).sort()"),
              R"(["<Control><Alt><Super>Right","<Control>F12"])");
    EXPECT_EQ(script->json("ungrabs"), "[1]"); // the action mutter gave the first grab
    EXPECT_EQ(script->json("press(2)"), R"(["a"])");

    // A combination that passes to another command keeps its grab: nobody can take it between.
    script->run(
        R"(change([{ name: "a", accelerator: right }], [{ name: "c", accelerator: right }]);)");
    EXPECT_EQ(script->json("grabs.map(function (g) { return g[0]; })"), R"(["<Control>F12"])");
    EXPECT_EQ(script->json("ungrabs"), "[]");
    EXPECT_EQ(script->json("press(2)"), R"(["c"])");

    // Taken again, as after a call whose answer was lost: what is held stays untouched.
    script->run(R"(change([], [{ name: "c", accelerator: right }]);)");
    EXPECT_EQ(script->json("grabs.map(function (g) { return g[0]; })"), R"(["<Control>F12"])");
    EXPECT_EQ(script->json("ungrabs"), "[]");
    // Let go under a combination it no longer has, or under a name it never held: nothing goes.
    script->run(R"(change([{ name: "c", accelerator: left }, { name: "z", accelerator: right }],
                          []);)");
    EXPECT_EQ(script->json("ungrabs"), "[]");
    EXPECT_EQ(script->json("press(2)"), R"(["c"])");
}

TEST(ScriptLogicTest, TheExtensionReportsTheFocusedWindowAndScreensWheneverTheyChange) {
    auto script = gnomeExtension(48);
    script->run(R"(
        function states() {
            fireTimeouts();
            var sent = exported.signals.filter(function (s) { return s[0] === "StateChanged"; })
                                       .map(function (s) { return JSON.parse(s[1].values[0]); });
            exported.signals.length = 0;
            return sent;
        })");
    const std::string first = script->json("states()");
    EXPECT_NE(first.find(R"("window":{"id":"7","frame":{"x":10,"y":20,"width":300)"),
              std::string::npos)
        << first;
    EXPECT_NE(first.find(R"("primary":true)"), std::string::npos) << first;
    // Drawn at another size twice in one turn: one report, of the last.
    script->run("windows[0].resizeByClient(400, 300); windows[0].resizeByClient(500, 350);");
    EXPECT_EQ(script->json("states().map(function (s) { return s.window.frame; })"),
              R"([{"x":10,"y":20,"width":500,"height":350}])");
    // Another window focused: reported, and the first one's changes no longer are.
    script->run(R"(
        var editor = makeWindow(8, { x: 0, y: 0, width: 100, height: 100 }, 98, "Editor");
        windows.push(editor);
        global.display.focus_window = editor;
        global.display.handlers["notify::focus-window"]();)");
    EXPECT_EQ(script->json("states().map(function (s) { return s.window.id; })"), R"(["8"])");
    script->run("windows[0].resizeByClient(200, 200);");
    EXPECT_EQ(script->json("states().length"), "0");
    // A Panemark that comes hears the state at once; so does a change of the work areas.
    script->run(R"(invoke("Own", [4242], ":1.9");)");
    EXPECT_EQ(script->json("states().length"), "1");
    script->run(R"(global.display.handlers["workareas-changed"]();)");
    EXPECT_EQ(script->json("states().length"), "1");
}

TEST(ScriptLogicTest, TheExtensionKeepsThePaletteInsideTheMonitorUnderThePointer) {
    auto script = gnomeExtension(50);
    // Panemark's palette, opened at the pointer in the far corner of the right monitor.
    script->run(R"(
        invoke("Own", [4242], ":1.9");
        var palette = makeWindow(9, { x: 0, y: 0, width: 400, height: 300 }, 4242,
                                 "Panemark Palette");
        windows.push(palette);
        // The shell's window-created handler, as the extension connected it.
        var created = null;
        global.display.connect = function (name, f) { if (name === "window-created") created = f; return 1; };
        panemark.disable();
        panemark.enable();
        invoke("Own", [4242], ":1.9");
        created(global.display, palette);
    )");
    EXPECT_EQ(script->json("palette.moves[palette.moves.length - 1]"), "[2160,500]");
    EXPECT_TRUE(script->run("palette.above === true").toBool());
    // Taller than the work area (a picker opened, a 2x drawing on a 1x monitor): its top stays
    // below the top bar. Shorter again: back beside the pointer, its bottom inside.
    script->run("palette.resizeByClient(400, 900);");
    EXPECT_EQ(script->json("palette.moves[palette.moves.length - 1]"), "[2160,32]");
    script->run("palette.resizeByClient(400, 200);");
    EXPECT_EQ(script->json("palette.moves[palette.moves.length - 1]"), "[2160,600]");
    // Gone, it is no longer followed.
    script->run("palette.unmanage();");
    EXPECT_EQ(script->json("palette.connectedSignals()"), "[]");
}

TEST(ScriptLogicTest, TheExtensionGivesTheFocusBackFromPanemarksPaletteButNotToAClosedWindow) {
    auto script = gnomeExtension(48);
    script->run(R"(
        var palette = makeWindow(9, { x: 0, y: 0, width: 400, height: 300 }, 4242,
                                 "Panemark Palette");
        function focus(win) {
            global.display.focus_window = win;
            global.display.handlers["notify::focus-window"]();
        }
        focus(palette);)");
    EXPECT_EQ(script->json("windows[0].activations"), "1");
    // The terminal closed: nothing is asked of a window mutter no longer manages.
    script->run("windows[0].unmanage(); focus(null); focus(palette);");
    EXPECT_EQ(script->json("windows[0].activations"), "1");
}

} // namespace
// The logic both helpers carry, on its own.
TEST(ScriptLogicTest, BothHelpersCarryTheSharedLogicWithPanemarksOwnTitles) {
    for (const std::string& helper :
         {KWinScriptLoader::scriptText("t", "s"), GnomeShellExtension::core()}) {
        EXPECT_NE(helper.find("function panemarkKeptInside("), std::string::npos);
        EXPECT_EQ(helper.find('%' + std::string("HELPER_LOGIC%")), std::string::npos);
    }
    Script script;
    script.run(HelperScript::sharedLogic());
    EXPECT_EQ(script.json("panemarkQuietTitles.length"),
              std::to_string(OwnWindows::quietTitles.size()));
    EXPECT_EQ(script.json("panemarkIsQuietTitle(panemarkPaletteTitle)"), "true");
    EXPECT_EQ(script.json("panemarkIsQuietTitle('Panemark Settings')"), "false");
    EXPECT_EQ(script.json("panemarkPaletteTitle"),
              "\"" + std::string(OwnWindows::paletteTitle) + "\"");
}

TEST(ScriptLogicTest, TheSharedLogicKeepsAFrameInsideItsAreaAndTellsWhenAPlacementIsSeen) {
    Script script;
    script.run(HelperScript::sharedLogic());
    script.run("var area = { x: 1280, y: 32, width: 1280, height: 768 };");
    // At the anchor where it fits; moved in at the far corner; a frame larger than the area
    // keeps its top-left corner inside.
    EXPECT_EQ(script.json("panemarkKeptInside({ x: 1300, y: 40, width: 400, height: 300 }, "
                          "{ x: 1300, y: 40 }, area)"),
              "null");
    EXPECT_EQ(script.json("panemarkKeptInside({ x: 0, y: 0, width: 400, height: 300 }, "
                          "{ x: 2550, y: 790 }, area)"),
              R"({"x":2160,"y":500})");
    EXPECT_EQ(script.json("panemarkKeptInside({ x: 0, y: 0, width: 2000, height: 900 }, "
                          "{ x: 2550, y: 790 }, area)"),
              R"({"x":1280,"y":32})");
    // A frame a fraction off at a fractional scale is the one asked for; a pixel off is not.
    EXPECT_EQ(script.json("panemarkSameFrame({ x: 10.4, y: 20, width: 300.2, height: 200 }, "
                          "{ x: 10, y: 20, width: 300, height: 200 })"),
              "true");
    EXPECT_EQ(script.json("panemarkSameFrame({ x: 11, y: 20, width: 300, height: 200 }, "
                          "{ x: 10, y: 20, width: 300, height: 200 })"),
              "false");
    // Finished once: by the frame showing, or by the time running out, whichever comes first.
    script.run(R"(
        var frame = { x: 0, y: 0, width: 10, height: 10 };
        var finished = 0;
        var placement = panemarkPlacement({ x: 5, y: 5, width: 10, height: 10 },
                                          function () { return frame; },
                                          function () { finished += 1; });
        placement.changed();
        var before = finished;
        frame = { x: 5, y: 5, width: 10, height: 10 };
        placement.changed();
        placement.timedOut();
        placement.changed();)");
    EXPECT_EQ(script.json("[before, finished]"), "[0,1]");
    script.run(R"(
        var late = 0;
        var slow = panemarkPlacement({ x: 5, y: 5, width: 10, height: 10 },
                                     function () { return { x: 0, y: 0, width: 1, height: 1 }; },
                                     function () { late += 1; });
        slow.changed(); slow.timedOut(); slow.timedOut();)");
    EXPECT_EQ(script.json("late"), "1");
}

TEST(ScriptLogicTest, TheSharedLogicReportsOneStateABurstAndKeepsOnlyTheFollowedWindowWatched) {
    Script script;
    script.run(HelperScript::sharedLogic());
    script.run(R"(
        var due = [], sent = [], watching = {};
        var reporter = panemarkStateReporter({
            describe: function (w) { return w; }, screens: function () { return []; },
            send: function (state) { sent.push(state.window); },
            watchFrame: function (w, f) {
                watching[w] = f;
                return function () { if (w === "gone") throw new Error("gone"); delete watching[w]; };
            },
            soon: function (f) { due.push(f); return function () { due = []; }; }
        });
        function turn() { var now = due; due = []; now.forEach(function (f) { f(); }); }
        reporter.follow("a"); watching.a(); watching.a(); turn();
        reporter.follow("gone"); turn(); reporter.follow("b"); turn();
        reporter.report(); reporter.stop(); turn();)");
    // One report for the follow and the two moves of its turn; a window gone before it was let
    // go of does not stop the next one being followed; nothing after the stop.
    EXPECT_EQ(script.json("sent"), R"(["a","gone","b"])");
    EXPECT_EQ(script.json("Object.keys(watching)"), R"(["gone"])");
}

TEST(ScriptLogicTest, TheSharedLogicGivesTheFocusBackOnlyToAWindowThatIsStillThere) {
    Script script;
    script.run(HelperScript::sharedLogic());
    script.run(R"(
        function keeper(watchGone) {
            var host = { activated: [], gone: {},
                         isQuiet: function (w) { return w === "palette"; },
                         activate: function (w) { host.activated.push(w); } };
            if (watchGone) {
                host.watchGone = function (w, f) {
                    host.gone[w] = f;
                    return function () { delete host.gone[w]; };
                };
            }
            host.keeper = panemarkFocusKeeper(host);
            return host;
        }
        var told = keeper(false);
        told.keeper.start("palette");
        told.keeper.activated("palette");
        told.keeper.activated("editor");
        told.keeper.activated("palette");
        told.keeper.removed("editor");
        told.keeper.activated("palette");
        var watching = keeper(true);
        watching.keeper.start("terminal");
        watching.keeper.activated("editor");
        var watched = Object.keys(watching.gone);
        watching.gone.editor();
        watching.keeper.activated("palette");)");
    // Never to a quiet window it started in, once to the editor, not after it went.
    EXPECT_EQ(script.json("told.activated"), R"(["editor"])");
    // Only the last window is watched, and once it is gone nothing is given the focus.
    EXPECT_EQ(script.json("watched"), R"(["editor"])");
    EXPECT_EQ(script.json("watching.activated"), "[]");
}

} // namespace panemark
