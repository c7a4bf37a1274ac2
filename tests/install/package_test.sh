#!/usr/bin/env bash
# Makes the Debian package from a finished build and checks it as Debian and a user would:
# lintian finds no error, dpkg-shlibdeps filled in the dependencies, the binary is stripped,
# the man page compressed, the copyright file and the changelog are there. As root it then
# installs the package into this machine with apt-get, runs it and removes it again.
set -euo pipefail
build=$1
version=$2
scratch=$(mktemp -d)
we_installed=""
cleanup() {
    if [ -n "$we_installed" ] && dpkg-query -W quillbox >/dev/null 2>&1; then
        dpkg --purge quillbox >/dev/null || echo "WARNING: quillbox is still installed"
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
fail() {
    echo "FAIL: $*"
    exit 1
}
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)

# apt reads a local package as its own unprivileged user.
chmod 755 "$scratch"
cd "$scratch"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >cpack.log 2>&1 ||
    { cat cpack.log; fail "cpack -G DEB failed"; }
deb=quillbox_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls; fail "cpack made no $deb"; }
echo "== $deb, $(stat -c %s "$deb") bytes, made in $SECONDS s"
dpkg-deb -I "$deb" control
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6core6 (>= ' <<<"$depends" || fail "Depends lacks the libraries: $depends"

echo "== lintian"
lintian_status=0
lintian --display-info --tag-display-limit 0 "$deb" >lintian.log 2>&1 || lintian_status=$?
grep -v 'running with root privileges' lintian.log || echo "(no tags)"
[ "$lintian_status" -eq 0 ] || fail "lintian found errors (exit $lintian_status)"

dpkg-deb -x "$deb" root
for file in usr/bin/quillbox usr/share/man/man1/quillbox.1.gz usr/share/doc/quillbox/copyright \
    usr/share/doc/quillbox/changelog.gz usr/share/applications/io.github.quillbox.Quillbox.desktop; do
    [ -f "root/$file" ] || fail "the package lacks /$file"
done
gzip -t root/usr/share/man/man1/quillbox.1.gz || fail "the man page is no gzip file"
sections=$(readelf -S root/usr/bin/quillbox)
! grep -qE '\.(symtab|debug_info)' <<<"$sections" || fail "/usr/bin/quillbox is not stripped"
top=$(zcat root/usr/share/doc/quillbox/changelog.gz | sed -n '1s/^quillbox (\([^)]*\)).*/\1/p')
[ "$top" = "$version" ] || fail "the changelog's newest entry is '$top', the package $version"
answer=$("${nodisplay[@]}" root/usr/bin/quillbox --version) || fail "the packaged binary failed"
[ "$answer" = "quillbox $version" ] || fail "the packaged binary said '$answer'"

echo "== apt-get install ./$deb (at $SECONDS s)"
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing needs root (this is uid $(id -u)); only the unpacked package was run"
elif dpkg-query -W -f='${Status}' quillbox 2>/dev/null | grep -q 'ok installed'; then
    echo "SKIP: a quillbox package is installed on this machine already; it is left as it is"
else
    we_installed=1
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=120 "./$deb" \
        >apt.log 2>&1 || { cat apt.log; fail "apt-get install failed"; }
    answer=$("${nodisplay[@]}" /usr/bin/quillbox --version) || fail "the installed quillbox failed"
    [ "$answer" = "quillbox $version" ] || fail "the installed quillbox said '$answer'"
    dpkg --purge quillbox >/dev/null || fail "dpkg --purge quillbox failed"
    we_installed=""
    [ ! -e /usr/bin/quillbox ] || fail "/usr/bin/quillbox is still there after the removal"
    echo "installed, ran '$answer', removed (at $SECONDS s)"
fi
echo "PASS: the package is built, lintian-clean of errors, and runs"
