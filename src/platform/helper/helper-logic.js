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
