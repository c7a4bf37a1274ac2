#!/usr/bin/env bash
# Installs into a scratch prefix and checks what a desktop needs: the executable answers
# --version and --help, the desktop entry and the AppStream data validate, the icon is there.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

id=$2
for file in bin/quillbox "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
    "share/icons/hicolor/scalable/apps/$id.svg" share/man/man1/quillbox.1 \
    "share/gnome-shell/search-providers/$id.search-provider.ini" \
    "share/dbus-1/services/$id.service" "share/krunner/dbusplugins/$id.desktop"; do
    [ -e "$prefix/$file" ] || { echo "FAIL: $file was not installed"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --pedantic --no-net "$prefix/share/metainfo/$id.metainfo.xml"

# Over ssh there is no display: the terminal options must answer all the same.
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
version=$("${nodisplay[@]}" "$prefix/bin/quillbox" --version) ||
    { echo "FAIL: --version exited with $?"; exit 1; }
[ "$version" = "quillbox $3" ] || { echo "FAIL: --version said '$version'"; exit 1; }
help=$("${nodisplay[@]}" "$prefix/bin/quillbox" --help) ||
    { echo "FAIL: --help exited with $?"; exit 1; }
[ "$(head -1 <<<"$help")" = "Usage: quillbox [options] [FILE]" ] ||
    { echo "FAIL: --help began '$(head -1 <<<"$help")'"; exit 1; }
grep -q -- "--version" <<<"$help" || { echo "FAIL: --help does not list the options"; exit 1; }
grep -q -- "-platform" <<<"$help" && { echo "FAIL: --help lists the toolkit's options"; exit 1; }
"${nodisplay[@]}" "$prefix/bin/quillbox" --help-all | grep -q -- "-platform" ||
    { echo "FAIL: --help-all does not list the toolkit's options"; exit 1; }
code=0
"${nodisplay[@]}" "$prefix/bin/quillbox" --bogus >/dev/null 2>"$prefix/said" || code=$?
[ "$code" = 2 ] || { echo "FAIL: an unknown option exited with $code"; exit 1; }
grep -q "Unknown option: bogus" "$prefix/said" && grep -q "^Usage: quillbox" "$prefix/said" ||
    { echo "FAIL: an unknown option said '$(cat "$prefix/said")'"; exit 1; }
echo "PASS: installed, validated, --version, --help and an unknown option answer"
