#!/usr/bin/env bash
# A desktop to watch Panemark on when there is no display: Xvfb with openbox and two terminals.
# Panemark starts on it, tiles the terminals with its own shortcuts pressed through XTest, and
# leaves a screenshot after each step, and what it said, in $DEMO_DIR (default: build/demo).
set -euo pipefail
cd "$(dirname "$0")/.."
program=${PANEMARK:-build/src/panemark}
demo_dir=${DEMO_DIR:-build/demo}
mkdir -p "$demo_dir"
demo_dir=$(cd "$demo_dir" && pwd)
runtime_dir=$(mktemp -d) # private, as a runtime folder must be

scripts/install-deps.sh --demo

pids=()
panemark_pid=""
# Panemark first, asked to quit as a user would, then the desktop it runs on, newest first: an X
# server gone under it would end Panemark with an error the demo did not earn.
cleanup() {
    if [[ -n "$panemark_pid" ]]; then
        XDG_RUNTIME_DIR="$runtime_dir" "$program" quit >/dev/null 2>&1 ||
            kill "$panemark_pid" 2>/dev/null || true
        wait "$panemark_pid" 2>/dev/null || true
    fi
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$runtime_dir"
}
trap cleanup EXIT

exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
read -r -u "$display_fd" number
export DISPLAY=":$number"
openbox --sm-disable --config-file tests/x11/openbox-test-rc.xml >/dev/null 2>&1 &
pids+=($!)
sleep 1
xterm -geometry 70x20+100+100 -title "Terminal one" -e bash -c 'echo "Panemark demo: terminal one"; exec cat' &
pids+=($!)
xterm -geometry 70x20+600+400 -title "Terminal two" -e bash -c 'echo "Panemark demo: terminal two"; exec cat' &
pids+=($!)
sleep 1
# Profiles and preferences of its own, so the demo shows the stock shortcuts and the start-up
# card whatever yours are.
rm -rf "$demo_dir/profiles" "$demo_dir/config"
XDG_RUNTIME_DIR="$runtime_dir" XDG_CONFIG_HOME="$demo_dir/config" \
    "$program" --data-dir "$demo_dir/profiles" >"$demo_dir/panemark.log" 2>&1 &
panemark_pid=$!
sleep 1

shot() { import -window root "$demo_dir/$1.png"; echo "  $demo_dir/$1.png"; }
echo "Panemark demo on display $DISPLAY:"
shot 1-before
# The start-up card waits while the pointer rests on it (Xvfb puts it in the middle): a click
# sends it away.
xdotool mousemove 960 380 click 1
sleep 0.6
xdotool search --name "Terminal one" windowactivate --sync
xdotool key ctrl+alt+super+Left
sleep 0.6
shot 2-left-half
xdotool search --name "Terminal two" windowactivate --sync
xdotool key ctrl+alt+super+Right
sleep 0.6
shot 3-right-half
xdotool key ctrl+alt+super+Up
sleep 0.6
shot 4-right-top-half
echo "Done: terminal one fills the left half, terminal two the top of the right half."
echo "What Panemark said: $demo_dir/panemark.log"
