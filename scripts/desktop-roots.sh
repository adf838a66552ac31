#!/usr/bin/env bash
# Test roots of newer Debian releases, for running Panemark's desktop suites on the desktops those
# releases ship (GNOME Shell, KWin, sway, i3 and the X11 window managers of their generation).
#
#   scripts/desktop-roots.sh test [GENERATION...]   build Panemark in each root and run its tests
#                                                   (TESTS=REGEX: only the tests it matches)
#   scripts/desktop-roots.sh bench [GENERATION...]  build Panemark in each root and run the
#                                                   benchmarks of its desktops
#   scripts/desktop-roots.sh make [GENERATION...]   make or refresh the roots only
#   scripts/desktop-roots.sh shell GENERATION       a shell inside a root, with the tree at /src
#   scripts/desktop-roots.sh versions [GENERATION...]  the desktops' versions in each root
#
# GENERATION is a Debian codename: trixie (Debian 13) or forky (testing); both by default.
# The roots live outside the work tree, in $PANEMARK_ROOTS (default ~/.cache/panemark/roots),
# each with its build folder and compiler cache inside, so a second run is incremental. A root
# is refreshed (upgraded, missing packages added) when it is older than a week or when the
# dependency script changed. Needs root (debootstrap, chroot and mounts).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
roots=${PANEMARK_ROOTS:-${XDG_CACHE_HOME:-$HOME/.cache}/panemark/roots}
default_generations=(trixie forky)
refresh_days=7
jobs=${JOBS:-$(nproc)}

say() { echo "desktop-roots: $*" >&2; }
# The first error a log holds, for a one-line report.
first_error() { grep -m 1 -E '^(E:|W: Failed|Failure)|Could not|Temporary failure' "$1" || tail -n 1 "$1"; }
fail() { say "$*"; exit 1; }

# The archive the dependency script installs from: the host's first Debian mirror.
mirror() {
    local uri
    uri=$(grep -hoE '(URIs:|deb)[[:space:]]+https?://[^[:space:]]+/debian/?([[:space:]]|$)' \
        /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
        2>/dev/null | grep -oE 'https?://[^[:space:]]+' | head -n 1 || true)
    echo "${uri:-http://deb.debian.org/debian}"
}

ensure_host_tools() {
    [[ $(id -u) -eq 0 ]] || fail "making and entering test roots needs root (run it with sudo)"
    local missing=()
    for tool in debootstrap unshare; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq debootstrap util-linux >/dev/null ||
        fail "cannot install debootstrap from $(mirror): is the archive reachable?"
}

# What decides whether a root is current: the dependency script's text.
package_list_stamp() {
    sha256sum "$here/scripts/install-deps.sh" | cut -d' ' -f1
}

root_of() { echo "$roots/$1"; }

# Runs a command inside a root, in a mount namespace of its own: the mounts vanish with it.
# The work tree is at /src (read-only), the root's build folder at /var/cache/panemark.
# What enters a root: the mounts, then the command in the root. Given as an argument, not on
# standard input, which stays the caller's (for `shell`).
enter_root='
set -euo pipefail
root=$1 tree=$2
shift 2
mount --bind /proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --bind /dev "$root/dev"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts" 2>/dev/null ||
    mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
mount -t tmpfs -o mode=755 tmpfs "$root/run"
mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
mkdir -p "$root/tmp/.X11-unix" && chmod 1777 "$root/tmp/.X11-unix"
mkdir -p "$root/src"
mount --bind "$tree" "$root/src"
mount -o remount,bind,ro "$root/src"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
exec chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin \
    TERM="${TERM:-dumb}" LANG=C.UTF-8 CI="${CI:-}" "$@"
'

in_root() {
    local root=$1
    shift
    unshare --mount --propagation private -- bash -c "$enter_root" enter "$root" "$here" "$@"
}

# No recommended packages (a desktop's whole suite would come along); and a testing archive's
# release file may have outlived its validity on a mirror that is a snapshot.
configure_apt() {
    printf '%s\n' 'APT::Install-Recommends "false";' 'Acquire::Check-Valid-Until "false";' \
        >"$1/etc/apt/apt.conf.d/90panemark"
}

make_root() {
    local generation=$1 root
    root=$(root_of "$generation")
    local script=/usr/share/debootstrap/scripts/$generation
    [[ -e $script ]] || script=/usr/share/debootstrap/scripts/sid
    say "making the $generation root in $root"
    rm -rf "$root.new"
    mkdir -p "$roots"
    if ! debootstrap --variant=minbase "$generation" "$root.new" "$(mirror)" "$script" \
        >"$roots/$generation.debootstrap.log" 2>&1; then
        fail "cannot make the $generation root from $(mirror): $(first_error "$roots/$generation.debootstrap.log") (log: $roots/$generation.debootstrap.log)"
    fi
    configure_apt "$root.new"
    rm -rf "$root"
    mv "$root.new" "$root"
}

fresh_enough() {
    local root=$1
    [[ -f $root/.panemark-stamp ]] || return 1
    [[ $(cat "$root/.panemark-stamp") == "$(package_list_stamp)" ]] || return 1
    [[ -z $(find "$root/.panemark-stamp" -mtime +"$((refresh_days - 1))") ]]
}

ensure_root() {
    local generation=$1 root
    root=$(root_of "$generation")
    [[ -x $root/usr/bin/apt-get ]] || make_root "$generation"
    fresh_enough "$root" && return 0
    configure_apt "$root"
    say "installing and upgrading the $generation root's packages"
    # The tests' packages and the benchmarks' (`make bench-desktops` builds and runs them here).
    if ! in_root "$root" bash -c 'export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq && apt-get dist-upgrade -y -qq >/dev/null &&
        apt-get install -y -qq ccache git >/dev/null && /src/scripts/install-deps.sh --bench >/dev/null' \
        >"$roots/$generation.packages.log" 2>&1; then
        local problem
        problem="cannot install the $generation root's packages from $(mirror): $(first_error "$roots/$generation.packages.log") (log: $roots/$generation.packages.log)"
        # A root that was whole once is still worth testing in while the archive is away, as
        # long as the package list it was made for is this one.
        if [[ -f $root/.panemark-stamp && $(cat "$root/.panemark-stamp") == "$(package_list_stamp)" ]]; then
            say "$problem; testing in the root as it is"
            return 0
        fi
        fail "$problem"
    fi
    package_list_stamp >"$root/.panemark-stamp"
}

# The desktops' versions in a root, one line each, as the tests will see them.
versions_in() {
    in_root "$(root_of "$1")" bash -c '
        . /etc/os-release; echo "$PRETTY_NAME"
        g++ --version | head -n 1
        dpkg-query -W -f="Qt \${Version}\n" qt6-base-dev
        gnome-shell --version 2>/dev/null
        kwin_wayland --version 2>/dev/null
        sway --version 2>/dev/null
        i3 --version 2>/dev/null | head -n 1'
}

# Builds the tree in the root's own build folder (with a compiler cache), then runs `$2` there
# with the folder in $build, the jobs in $jobs and TESTS in $tests.
build_and_run_in() {
    local generation=$1 then=$2
    versions_in "$generation" | sed "s/^/  $generation: /" >&2
    in_root "$(root_of "$generation")" bash -c '
        set -euo pipefail
        jobs=$1 tests=$2
        export CCACHE_DIR=/var/cache/panemark/ccache CCACHE_MAXSIZE=2G
        build=/var/cache/panemark/build
        mkdir -p "$build" && chmod 755 /var/cache/panemark "$build"
        git config --global --add safe.directory /src
        cmake -S /src -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
        cmake --build "$build" -j "$jobs"
        chmod -R a+rX "$build"
        eval "$3"
    ' in-root "$jobs" "${TESTS:-}" "$then"
}

# The tests; TESTS, a regular expression, runs only the tests it matches.
test_in() {
    say "building and testing in the $1 root"
    build_and_run_in "$1" 'ctest --test-dir "$build" --output-on-failure -j "$jobs" ${tests:+-R "$tests"}'
}

# The benchmarks of the desktops a root has its own generation of (KWin, GNOME Shell, sway and
# i3), for figures beside the host's. Figures only: like `make bench`, nothing fails on timing.
bench_in() {
    say "building and benchmarking in the $1 root"
    build_and_run_in "$1" 'for bench in kwin gnome i3ipc; do
        echo "== $bench"; "$build/bench/bench_$bench"; done'
}

generations() {
    if [[ $# -eq 0 ]]; then
        echo "${default_generations[@]}"
    else
        echo "$@"
    fi
}

main() {
    local verb=${1:-test}
    shift || true
    ensure_host_tools
    case "$verb" in
        make)
            for generation in $(generations "$@"); do ensure_root "$generation"; done ;;
        test)
            local failed=()
            for generation in $(generations "$@"); do
                ensure_root "$generation"
                test_in "$generation" || failed+=("$generation")
            done
            [[ ${#failed[@]} -eq 0 ]] || fail "tests failed in: ${failed[*]}" ;;
        bench)
            for generation in $(generations "$@"); do
                ensure_root "$generation"
                bench_in "$generation"
            done ;;
        versions)
            for generation in $(generations "$@"); do versions_in "$generation"; done ;;
        shell)
            [[ $# -eq 1 ]] || fail "shell takes one generation"
            # An existing root as it is (to look into one whose packages failed, say).
            [[ -x $(root_of "$1")/usr/bin/apt-get ]] || ensure_root "$1"
            in_root "$(root_of "$1")" bash ;;
        *) fail "unknown verb '$verb' (make, test, bench, versions or shell)" ;;
    esac
}

main "$@"
