#!/usr/bin/env bash
# Installs the Debian packages that building and testing Panemark need, only when some are missing.
# Instant when everything is already there; non-interactive otherwise.
set -euo pipefail

# A system tray for the X11 tests: trayer where the release still has it (Debian 12 and 13),
# stalonetray where it has not (Debian testing since 2026).
tray_host() {
    case "$(. /etc/os-release && echo "${VERSION_CODENAME:-}")" in
        bookworm | trixie) echo trayer ;;
        *) echo stalonetray ;;
    esac
}

build_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev nlohmann-json3-dev
    libxcb1-dev libxcb-randr0-dev libxcb-xkb-dev libxcb-ewmh-dev libxcb-icccm4-dev
    libxcb-xtest0-dev libxkbcommon-dev libwayland-dev xkb-data
    libgtest-dev libbenchmark-dev fonts-dejavu-core rapidjson-dev qt6-declarative-dev
)
desktop_packages=(xvfb openbox xdotool x11-utils xterm x11-xserver-utils x11-xkb-utils "$(tray_host)"
    metacity xfwm4 icewm dbus
    sway foot i3-wm qt6-wayland
    kwin-wayland kwin-style-breeze xwayland dbus-bin dbus-daemon)
# GNOME Shell for its headless tests, without the rest of the GNOME desktop it recommends.
lean_packages=(gnome-shell libglib2.0-bin dconf-service)
# Making and checking the Debian package.
package_packages=(dpkg-dev desktop-file-utils appstream man-db file)
fuzz_packages=(clang libclang-rt-14-dev)
bench_packages=(sxhkd)
demo_packages=(imagemagick)

wanted=("${build_packages[@]}" "${desktop_packages[@]}" "${package_packages[@]}"
    "${lean_packages[@]}")
case "${1:-}" in
    --fuzz) wanted+=("${fuzz_packages[@]}") ;;
    --bench) wanted+=("${bench_packages[@]}") ;;
    --demo) wanted+=("${demo_packages[@]}") ;;
esac

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
lean_missing=()
other_missing=()
for package in "${missing[@]}"; do
    if [[ " ${lean_packages[*]} " == *" $package "* ]]; then
        lean_missing+=("$package")
    else
        other_missing+=("$package")
    fi
done
[[ ${#other_missing[@]} -eq 0 ]] || $sudo apt-get install -y -qq "${other_missing[@]}"
[[ ${#lean_missing[@]} -eq 0 ]] || $sudo apt-get install -y -qq --no-install-recommends "${lean_missing[@]}"
