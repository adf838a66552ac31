#pragma once

#include <map>
#include <string>

// Every folder of the program by its place in the dependency order: a file includes only from
// folders placed below its own (and from its own folder). The architecture notes list the same
// order, which NotesTest holds them to.
inline const std::map<std::string, double> layerRanks = {
    {"base", 0},
    {"model", 1},
    {"json", 1.5},
    {"platform", 2},
    {"platform/evdev", 3},
    {"platform/xkb", 3},
    {"platform/xdg", 3},
    {"platform/linux", 3},
    {"platform/x11", 4},
    {"platform/sim", 4},
    {"platform/i3ipc", 4.1},
    {"platform/helper", 4.2},
    {"platform/i3", 4.5},
    {"platform/sway", 4.5},
    {"platform/kwin", 4.5},
    {"platform/gnome", 4.5},
    {"placement", 5},
    {"preferences", 5.5},
    {"profiles", 6},
    {"hardware", 7},
    {"control", 8},
    {"widgets", 9},
    {"settings_ui", 10},
    {"tray_ui", 11},
    {"app", 12},
    {"cli", 13},
};
