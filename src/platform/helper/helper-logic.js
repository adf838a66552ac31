// What Panemark's helpers inside the compositor share, the KWin script and the GNOME Shell
// extension alike: plain functions over plain rectangles, no compositor's API. Panemark puts
// this in front of each helper when it writes it out, with its own windows' titles filled in.

// Panemark's windows that are shown and never focused: of Panemark's app id, with these titles.
var panemarkAppId = %APP_ID%;
var panemarkQuietTitles = %QUIET_TITLES%;
var panemarkPaletteTitle = %PALETTE_TITLE%;

function panemarkIsQuietTitle(title) {
    return panemarkQuietTitles.indexOf(title) >= 0;
}

function panemarkIsQuietWindow(appId, title) {
    return appId === panemarkAppId && panemarkIsQuietTitle(title);
}

// Whether a frame is the one wanted, to the pixel: at a fractional scale a compositor may
// report a frame a fraction off the whole pixels it was given.
function panemarkSameFrame(a, b) {
    return Math.round(a.x) === Math.round(b.x) && Math.round(a.y) === Math.round(b.y) &&
           Math.round(a.width) === Math.round(b.width) &&
           Math.round(a.height) === Math.round(b.height);
}

// Where a frame goes with its top-left corner at the anchor, moved in as far as the area needs;
// taller or wider than the area, its top-left corner stays inside. None when it is there.
function panemarkKeptInside(frame, anchor, area) {
    var x = Math.max(area.x, Math.min(anchor.x, area.x + area.width - frame.width));
    var y = Math.max(area.y, Math.min(anchor.y, area.y + area.height - frame.height));
    return x !== frame.x || y !== frame.y ? { x: x, y: y } : null;
}

// A placement waiting to be seen: a Wayland client takes its new size only when it draws at
// it. The helper calls `changed` whenever the window's frame changes (and once after asking
// for the frame) and `timedOut` when its wait is over; `finish` runs once, at the first of
// the frame showing as wanted or the time running out.
function panemarkPlacement(wanted, currentFrame, finish) {
    var done = false;
    function end() {
        if (!done) {
            done = true;
            finish();
        }
    }
    return {
        changed: function () {
            if (!done && panemarkSameFrame(currentFrame(), wanted)) {
                end();
            }
        },
        timedOut: end
    };
}

// A plain copy of a rectangle: each compositor hands out its own rectangle types (QRect,
// KWin's gadgets, Mtk.Rectangle), and only x, y, width and height travel to Panemark.
function panemarkPlainRect(rect) {
    return { x: rect.x, y: rect.y, width: rect.width, height: rect.height };
}

// Each helper reads a window through a `view` over its compositor's calls: isOrdinary (not the
// desktop, not a panel, not on its way out), id, frame, pid, isResizable, isFullScreen and
// caption, each of a window.

// What Panemark is told of a window; none for no window or one it never places.
function panemarkDescribe(view, win) {
    if (!win || !view.isOrdinary(win)) {
        return null;
    }
    return {
        id: String(view.id(win)),
        frame: panemarkPlainRect(view.frame(win)),
        pid: view.pid(win),
        resizable: view.isResizable(win),
        fullScreen: view.isFullScreen(win),
        caption: view.caption(win) || ""
    };
}

function panemarkWindowById(view, windows, id) {
    for (var i = 0; i < windows.length; ++i) {
        if (String(view.id(windows[i])) === id) {
            return windows[i];
        }
    }
    return null;
}

// Puts a window at a frame and answers once the compositor shows that frame, or after `wait`
// ms with the frame it has then. `host` adds to the view: leaveFullScreenAndMaximized(win),
// setFrame(win, frame), watchFrame(win, f) and after(ms, f), each of the last two answering a
// function that undoes it. Where `fail` is given, an error in answering goes to it: the answer
// comes later than the call, which can no longer carry it.
function panemarkPlace(host, win, wanted, wait, answer, fail) {
    host.leaveFullScreenAndMaximized(win);
    var unwatch = null;
    var cancelTimer = null;
    var placement = panemarkPlacement(wanted, function () { return host.frame(win); }, function () {
        try {
            unwatch();
            cancelTimer();
            answer({ placed: true, frame: panemarkPlainRect(host.frame(win)) });
        } catch (e) {
            if (!fail) {
                throw e;
            }
            fail(e);
        }
    });
    unwatch = host.watchFrame(win, placement.changed);
    cancelTimer = host.after(Math.max(0, wait || 0), placement.timedOut);
    try {
        host.setFrame(win, wanted);
    } catch (e) {
        // The call answers with the error: nothing may answer it again later.
        unwatch();
        cancelTimer();
        throw e;
    }
    placement.changed();
}

// The window Panemark works on, followed, and the state (that window and the screens) sent
// whenever either changes, so that Panemark asks nothing before it places: a key press costs
// one round trip. Reports of one burst (a window dragged) go out as one, on the next turn of
// the compositor's loop. `host` gives describe(win), screens(), send(state), watchFrame(win, f)
// and soon(f), the last two answering a function that undoes them.
function panemarkStateReporter(host) {
    var followed = null;
    var unwatch = null;
    var cancelReport = null;

    function report() {
        if (cancelReport) {
            return;
        }
        cancelReport = host.soon(function () {
            cancelReport = null;
            host.send({ window: host.describe(followed), screens: host.screens() });
        });
    }

    function stopWatching() {
        if (unwatch) {
            try {
                unwatch();
            } catch (e) {
                // Already gone, and its connections with it.
            }
            unwatch = null;
        }
    }

    return {
        report: report,
        follow: function (win) {
            win = win || null;
            if (win === followed) {
                return;
            }
            stopWatching();
            followed = win;
            if (followed) {
                unwatch = host.watchFrame(followed, report);
            }
            report();
        },
        followed: function () {
            return followed;
        },
        stop: function () {
            stopWatching();
            followed = null;
            if (cancelReport) {
                cancelReport();
                cancelReport = null;
            }
        }
    };
}

// Panemark's palette and splash card are shown, never focused: the palette moves the window
// the user works in, which must keep the keyboard. The focus given to one goes back to the
// window that had it. `host` gives isQuiet(win) and activate(win); with watchGone(win, f),
// answering a function that undoes it, the keeper itself notices the window it would give the
// focus back to going away; without, the helper tells it through `removed`.
function panemarkFocusKeeper(host) {
    var lastActive = null;
    var unwatch = null;

    function remember(win) {
        if (win === lastActive) {
            return;
        }
        if (unwatch) {
            try {
                unwatch();
            } catch (e) {
                // Already gone, and its connections with it.
            }
            unwatch = null;
        }
        lastActive = win || null;
        if (lastActive && host.watchGone) {
            var watched = lastActive;
            unwatch = host.watchGone(watched, function () {
                if (lastActive === watched) {
                    remember(null);
                }
            });
        }
    }

    return {
        // A window was given the focus (none: the desktop has it).
        activated: function (win) {
            if (!win) {
                return;
            }
            if (host.isQuiet(win)) {
                if (lastActive && lastActive !== win) {
                    host.activate(lastActive);
                }
                return;
            }
            remember(win);
        },
        removed: function (win) {
            if (win === lastActive) {
                remember(null);
            }
        },
        // Where the focus is when the helper starts, unless it is a quiet window.
        start: function (win) {
            if (win && !host.isQuiet(win)) {
                remember(win);
            }
        },
        stop: function () {
            remember(null);
        }
    };
}
