#!/usr/bin/env bash
# Installs the Debian packages Panemark needs, only when some are missing. Instant when
# everything is already there; non-interactive otherwise.
#   install-deps.sh          building and running it (`make build`, `make run`)
#   install-deps.sh --unit   and the unit tests' libraries and the formatter (`make check`)
#   install-deps.sh --test   and the test desktops and package tools (`make test`)
#   install-deps.sh --demo   and the headless desktop `make run` shows without a display
#   install-deps.sh --package          and the tools that make and check the Debian package
#   install-deps.sh --bench / --fuzz   the tests' set and what benchmarks / fuzzing add
set -euo pipefail

# A system tray for the X11 tests: trayer where the release still has it (Debian 12 and 13),
# stalonetray where it has not (Debian testing since 2026).
tray_host() {
    case "$(. /etc/os-release && echo "${VERSION_CODENAME:-}")" in
        bookworm | trixie) echo trayer ;;
        *) echo stalonetray ;;
    esac
}

# kscreen-doctor, which changes KWin's outputs at run time for the KDE tests: KDE Frameworks 5's
# on Debian 12, Plasma 6's since.
kscreen_tool() {
    case "$(. /etc/os-release && echo "${VERSION_CODENAME:-}")" in
        bookworm) echo libkf5screen-bin ;;
        *) echo libkscreen-bin ;;
    esac
}

# Building, and what the program needs at run time: its fonts, the keyboard layouts, Qt's
# Wayland platform for the Wayland desktops.
build_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev nlohmann-json3-dev
    libxcb1-dev libxcb-randr0-dev libxcb-xkb-dev libxkbcommon-dev libwayland-dev libglib2.0-dev
    rapidjson-dev xkb-data fonts-dejavu-core qt6-wayland
)
# The test programs' own libraries, the bus the D-Bus unit tests start, and the formatter the
# tree is laid out with.
unit_packages=(libgtest-dev qt6-declarative-dev dbus-daemon clang-format)
desktop_packages=(xvfb openbox xdotool x11-utils xterm x11-xserver-utils x11-xkb-utils "$(tray_host)"
    metacity xfwm4 icewm dbus python3-gi gir1.2-gtk-3.0
    sway foot i3-wm
    kwin-wayland kwin-style-breeze xwayland dbus-bin dbus-daemon "$(kscreen_tool)")
# GNOME Shell for its headless tests, and Cinnamon and MATE's window manager and panel with the
# settings schemas they read and XApp's status icon watcher, without the rest of each desktop
# they recommend.
lean_packages=(gnome-shell libglib2.0-bin dconf-service cinnamon xapp-sn-watcher marco mate-panel
    mate-settings-daemon-common)
# Making and checking the Debian package.
package_packages=(dpkg-dev desktop-file-utils appstream man-db file)
# libFuzzer: clang, and then the runtime of the clang the release installed (see below).
fuzz_packages=(clang)
# The benchmarks' library, the synthetic key presses they time, and the hotkey daemon the
# latency benchmark compares with.
bench_packages=(libbenchmark-dev libxcb-xtest0-dev sxhkd)
demo_packages=(xvfb openbox xdotool x11-utils xterm imagemagick)

testing=("${unit_packages[@]}" "${desktop_packages[@]}" "${package_packages[@]}"
    "${lean_packages[@]}")
wanted=("${build_packages[@]}")
case "${1:-}" in
    "") ;;
    --unit) wanted+=("${unit_packages[@]}") ;;
    --test) wanted+=("${testing[@]}") ;;
    --fuzz) wanted+=("${testing[@]}" "${fuzz_packages[@]}") ;;
    --bench) wanted+=("${testing[@]}" "${bench_packages[@]}") ;;
    --demo) wanted+=("${demo_packages[@]}") ;;
    --package) wanted+=("${package_packages[@]}") ;;
    *) echo "usage: install-deps.sh [--unit|--test|--demo|--package|--bench|--fuzz]" >&2; exit 2 ;;
esac

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
updated=false

install_missing() {
    local missing=() lean_missing=() other_missing=() package status
    for package in "$@"; do
        status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
        [[ "$status" == "install ok installed" ]] || missing+=("$package")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    echo "Installing: ${missing[*]}"
    $updated || $sudo apt-get update -qq
    updated=true
    for package in "${missing[@]}"; do
        if [[ " ${lean_packages[*]} " == *" $package "* ]]; then
            lean_missing+=("$package")
        else
            other_missing+=("$package")
        fi
    done
    [[ ${#other_missing[@]} -eq 0 ]] || $sudo apt-get install -y -qq "${other_missing[@]}"
    [[ ${#lean_missing[@]} -eq 0 ]] ||
        $sudo apt-get install -y -qq --no-install-recommends "${lean_missing[@]}"
}

install_missing "${wanted[@]}"

# The sanitizer runtime libFuzzer links is versioned like clang itself (14 on Debian 12, 19 on
# Debian 13, newer on testing): the one of the clang just installed.
if [[ "${1:-}" == --fuzz ]]; then
    clang_major=$(clang -dumpversion | cut -d. -f1)
    install_missing "libclang-rt-${clang_major}-dev"
fi
