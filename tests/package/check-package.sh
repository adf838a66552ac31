#!/usr/bin/env bash
# Builds the Debian package and checks it as a desktop would see it: every file in place, the
# menu entries and the AppStream description valid, the man page clean, and, where this runs as
# root on a machine without Panemark installed, that it installs, runs and leaves nothing behind.
# usage: check-package.sh BUILD-DIRECTORY
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

(cd "$build" && cpack --config CPackConfig.cmake >"$scratch/cpack.log" 2>&1) ||
    { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$build"/package/panemark_*.deb | head -n 1)
[[ -f "$deb" ]] || fail "no package was made"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
expected=(
    usr/bin/panemark
    usr/share/applications/panemark.desktop
    usr/share/applications/panemark-import.desktop
    usr/share/icons/hicolor/scalable/apps/panemark.svg
    usr/share/mime/packages/panemark.xml
    usr/share/metainfo/app.panemark.Panemark.metainfo.xml
    usr/share/man/man1/panemark.1.gz
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/panemark.png")
done
for file in "${expected[@]}"; do
    [[ -s "$root/$file" ]] || fail "$file is missing from the package"
done

depends=$(dpkg-deb -f "$deb" Depends)
[[ "$depends" == *libqt6core6* && "$depends" == *libxcb1* ]] ||
    fail "the dependencies were not computed: $depends"

desktop-file-validate "$root/usr/share/applications/panemark.desktop" \
    "$root/usr/share/applications/panemark-import.desktop" || fail "desktop entries invalid"
appstreamcli validate --no-net "$root/usr/share/metainfo/app.panemark.Panemark.metainfo.xml" \
    >"$scratch/appstream.log" 2>&1 || { cat "$scratch/appstream.log" >&2; fail "metainfo invalid"; }
warnings=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/panemark.1.gz" 2>&1 >/dev/null)
[[ -z "$warnings" ]] || fail "the man page has warnings: $warnings"
for command in status palette settings about quit profiles profile auto-switch hardware \
    check apply launch-at-login keys; do
    # In the page's source a hyphen is written \-.
    zcat "$root/usr/share/man/man1/panemark.1.gz" | grep -qE -- "${command//-/\\\\?-}" ||
        fail "the man page does not cover $command"
done
echo "package contents: ok"

if [[ $(id -u) -ne 0 ]]; then
    echo "not root: installing the package is left to CI"
    exit 0
fi
if dpkg-query -W -f='${Status}' panemark 2>/dev/null | grep -q "install ok installed"; then
    echo "Panemark is installed on this machine already: left as it is"
    exit 0
fi
dpkg -i "$deb" >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log" >&2; fail "dpkg -i failed"; }
installed=$(dpkg -L panemark)
version=$(/usr/bin/panemark --version) || { dpkg --purge panemark >/dev/null; fail "it does not run"; }
[[ "$version" == Panemark* ]] || { dpkg --purge panemark >/dev/null; fail "--version: $version"; }
# The autostart entry starts the installed program.
mkdir -p "$scratch/config"
XDG_CONFIG_HOME="$scratch/config" /usr/bin/panemark launch-at-login on >/dev/null
grep -qx "Exec=/usr/bin/panemark" "$scratch/config/autostart/panemark.desktop" ||
    { dpkg --purge panemark >/dev/null; fail "the autostart entry does not run /usr/bin/panemark"; }
dpkg --purge panemark >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log" >&2; fail "removal failed"; }
while read -r path; do
    [[ -d "$path" ]] && continue # folders other packages share stay
    [[ ! -e "$path" ]] || fail "$path is left behind after removal"
done <<<"$installed"
echo "install, run and removal: ok ($version)"
