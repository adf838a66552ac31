// Panemark's helper inside KWin. On Wayland only the compositor may move another program's
// window, so Panemark loads this script into KWin and talks to it over the session bus: the
// script asks Panemark for work ("next", answered when there is some), does it, and answers.
// It runs on KWin 5.27 (clients, screens by number) and KWin 6 (windows, outputs).
"use strict";

%HELPER_LOGIC%

// Panemark writes in the name it has on the bus (the program's own, or a command line's).
var service = "%SERVICE%";
var path = "/KWinScript";
var iface = "app.panemark.KWinScript";
// Panemark writes a new token into every copy it loads, so it can tell this copy from one left
// behind by an earlier run.
var token = "%TOKEN%";
// KWin 6 calls its windows windows and its screens outputs; KWin 5.27 has clients and numbers.
var api = workspace.activeWindow !== undefined ? 6 : 5;

function call(method, args, reply) {
    var callArgs = [service, path, iface, method, token].concat(args);
    if (reply) {
        callArgs.push(reply);
    }
    callDBus.apply(null, callArgs);
}

// QRect and QRectF up to KWin 6.5, KWin's own Rect and RectF gadgets from 6.6: all of them
// have x, y, width and height, which is all panemarkPlainRect reads.
var plainRect = panemarkPlainRect;

// KWin 6.2 and later keep the title without the " <2>" it adds to tell equal titles apart.
function captionOf(window) {
    return window.captionNormal !== undefined ? window.captionNormal : window.caption;
}

function activeWindow() {
    return api === 6 ? workspace.activeWindow : workspace.activeClient;
}

function activate(window) {
    if (api === 6) {
        workspace.activeWindow = window;
    } else {
        workspace.activeClient = window;
    }
}

function allWindows() {
    return api === 6 ? workspace.windowList() : workspace.clientList();
}

// A single-shot timer, as the shared logic asks for one: stopping it is the answer.
function after(ms, f) {
    var timer = new QTimer();
    timer.singleShot = true;
    timer.timeout.connect(f);
    timer.start(ms);
    return function () {
        timer.stop();
    };
}

function watchFrame(window, f) {
    window.frameGeometryChanged.connect(f);
    return function () {
        window.frameGeometryChanged.disconnect(f);
    };
}

// A window as the shared logic reads and places it, through KWin's properties.
var kwinWindows = {
    isOrdinary: function (window) {
        return !window.desktopWindow && !window.dock && !window.deleted;
    },
    id: function (window) {
        return window.internalId;
    },
    frame: function (window) {
        return window.frameGeometry;
    },
    pid: function (window) {
        return window.pid;
    },
    isResizable: function (window) {
        return window.resizeable;
    },
    isFullScreen: function (window) {
        return window.fullScreen;
    },
    caption: captionOf,
    leaveFullScreenAndMaximized: function (window) {
        if (window.fullScreen) {
            window.fullScreen = false;
        }
        if (window.maximizable) {
            window.setMaximize(false, false);
        }
    },
    setFrame: function (window, frame) {
        window.frameGeometry = frame;
    },
    watchFrame: watchFrame,
    after: after
};

function windowById(id) {
    return panemarkWindowById(kwinWindows, allWindows(), id);
}

// KWin 5.27 names its screens only in its support information: "Screen 0:", then "Name: DP-1".
function screenNamesFromSupportInformation() {
    var names = [];
    var current = -1;
    var lines = workspace.supportInformation().split("\n");
    for (var i = 0; i < lines.length; ++i) {
        var screen = /^Screen (\d+):/.exec(lines[i]);
        if (screen) {
            current = Number(screen[1]);
            continue;
        }
        var name = /^Name: (.*)$/.exec(lines[i]);
        if (name && current >= 0 && names[current] === undefined) {
            names[current] = name[1];
        }
    }
    return names;
}

// Building the support information costs KWin about a millisecond: the names are read again
// only when the screens change, not for every report of the active window.
var knownScreenNames = null;

function screenNames() {
    if (knownScreenNames === null) {
        knownScreenNames = screenNamesFromSupportInformation();
    }
    return knownScreenNames;
}

function screens() {
    var list = [];
    if (api === 6) {
        var outputs = workspace.screens;
        for (var i = 0; i < outputs.length; ++i) {
            var output = outputs[i];
            list.push({
                name: output.name,
                manufacturer: output.manufacturer || "",
                model: output.model || "",
                serial: output.serialNumber || "",
                frame: plainRect(output.geometry),
                area: plainRect(workspace.clientArea(KWin.MaximizeArea, output,
                                                     workspace.currentDesktop))
            });
        }
        return list;
    }
    var names = screenNames();
    for (var s = 0; s < workspace.numScreens; ++s) {
        list.push({
            name: names[s] || "",
            frame: plainRect(workspace.clientArea(KWin.FullScreenArea, s, workspace.currentDesktop)),
            area: plainRect(workspace.clientArea(KWin.MaximizeArea, s, workspace.currentDesktop))
        });
    }
    return list;
}

function describe(window) {
    return panemarkDescribe(kwinWindows, window);
}

// A Wayland client takes its new size only when it draws at that size: the answer waits for
// the frame, or for the request's wait.
function place(request, answer) {
    var window = windowById(request.id);
    if (!window) {
        answer({ placed: false });
        return;
    }
    panemarkPlace(kwinWindows, window, request.frame, request.wait, answer);
}

function handle(request) {
    var answer = function (result) {
        call("answer", [String(request.serial), JSON.stringify(result)]);
    };
    if (request.op === "look") {
        answer({ window: describe(activeWindow()), screens: screens() });
    } else if (request.op === "screens") {
        answer({ screens: screens() });
    } else if (request.op === "window") {
        answer({ window: describe(windowById(request.id)) });
    } else if (request.op === "place") {
        place(request, answer);
    } else if (request.op === "echo") {
        answer({});
    }
}

// One request is always outstanding, so Panemark can hand over work the moment it has some. A
// reply that never comes (Panemark went away) ends the loop; the watchdog starts it again.
var lastHeard = Date.now();
var stopped = false;

function poll() {
    call("next", [], function (text) {
        lastHeard = Date.now();
        var request = JSON.parse(text);
        if (request.op === "stop") {
            stopped = true; // a newer copy has taken over
            return;
        }
        poll();
        if (request.op !== "idle") {
            handle(request);
        }
    });
}

var watchdog = new QTimer();
watchdog.timeout.connect(function () {
    if (!stopped && Date.now() - lastHeard > 20000) {
        lastHeard = Date.now();
        poll();
    }
});
watchdog.start(10000);

// A Wayland window's app id is its desktop file name to KWin, and its resource class.
function isQuiet(window) {
    return window && (panemarkIsQuietWindow(String(window.desktopFileName), captionOf(window)) ||
                      panemarkIsQuietWindow(String(window.resourceClass), captionOf(window)));
}

// Panemark's palette and splash card never keep the focus. The palette opens at the pointer (a
// Wayland client cannot place its own windows).
var focus = panemarkFocusKeeper({ isQuiet: isQuiet, activate: activate });

function keepInside(window, anchor, area) {
    var frame = window.frameGeometry;
    var corner = panemarkKeptInside(frame, anchor, area);
    if (corner) {
        window.frameGeometry = { x: corner.x, y: corner.y, width: frame.width, height: frame.height };
    }
}

// Placed when it shows and again whenever its size changes: the profile picker opening, or
// Panemark drawing it anew for a screen of another scale.
function placeAtPointer(window) {
    var pointer = workspace.cursorPos;
    var anchor = { x: pointer.x, y: pointer.y };
    var screen = api === 6 ? workspace.screenAt(pointer) : workspace.activeScreen;
    var area = workspace.clientArea(KWin.MaximizeArea, screen, workspace.currentDesktop);
    area = { x: area.x, y: area.y, width: area.width, height: area.height };
    keepInside(window, anchor, area);
    window.frameGeometryChanged.connect(function () {
        keepInside(window, anchor, area);
    });
}

function windowAdded(window) {
    watchPanel(window);
    if (!isQuiet(window)) {
        return;
    }
    window.keepAbove = true;
    window.skipTaskbar = true;
    window.skipSwitcher = true;
    window.skipPager = true;
    if (captionOf(window) === panemarkPaletteTitle) {
        placeAtPointer(window);
    }
    if (activeWindow() === window) {
        focus.activated(window);
    }
}

// The active window and the screens, reported whenever either changes. One timer serves every
// report: a window dragged changes its frame many times a second.
var reportTimer = new QTimer();
reportTimer.singleShot = true;
reportTimer.interval = 0;
var reportDue = null;
reportTimer.timeout.connect(function () {
    var due = reportDue;
    reportDue = null;
    if (due) {
        due();
    }
});

var reporter = panemarkStateReporter({
    describe: describe,
    screens: screens,
    send: function (state) {
        if (!stopped) {
            call("state", [JSON.stringify(state)]);
        }
    },
    watchFrame: watchFrame,
    soon: function (f) {
        reportDue = f;
        reportTimer.start();
        return function () {
            reportTimer.stop();
            reportDue = null;
        };
    }
});
var reportState = reporter.report;

function windowActivated(window) {
    reporter.follow(activeWindow());
    focus.activated(window);
}

function windowRemoved(window) {
    focus.removed(window);
    if (window === reporter.followed()) {
        reporter.follow(activeWindow() === window ? null : activeWindow());
    }
    if (window && window.dock) {
        reportState();
    }
}

if (api === 6) {
    workspace.windowAdded.connect(windowAdded);
    workspace.windowActivated.connect(windowActivated);
    workspace.windowRemoved.connect(windowRemoved);
} else {
    workspace.clientAdded.connect(windowAdded);
    workspace.clientActivated.connect(windowActivated);
    workspace.clientRemoved.connect(windowRemoved);
}
focus.start(activeWindow());

function screensChanged() {
    knownScreenNames = null;
    call("screensChanged", [JSON.stringify({ screens: screens() })]);
    reportState();
}

// A panel that comes, goes or changes its size changes the area windows are placed in; KWin
// has no signal of its own for that.
function watchPanel(window) {
    if (window && window.dock) {
        window.frameGeometryChanged.connect(reportState);
        reportState();
    }
}
allWindows().forEach(watchPanel);

if (api === 6) {
    workspace.screensChanged.connect(screensChanged);
} else {
    workspace.numberScreensChanged.connect(screensChanged);
    workspace.screenResized.connect(screensChanged);
}
workspace.virtualScreenGeometryChanged.connect(screensChanged);

call("hello", [JSON.stringify({ api: api, screens: screens() })]);
poll();
reporter.follow(activeWindow());
