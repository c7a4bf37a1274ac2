#!/usr/bin/env bash
# Quillbox as the desktop starts it: the session bus starts it, from the installed service file,
# for a GNOME Shell search; later launches hand --new over to it; once it has gone, a launch
# runs on its own and serves the searches itself.
#   desktop_launch_test.sh BUILD_DIR APP_ID QUILLBOX
set -euo pipefail
build=$1 id=$2 quillbox=$3

if [ "${4:-}" != --inside ]; then
    root=$(mktemp -d)
    trap 'rm -rf "$root"' EXIT
    cmake --install "$build" --prefix "$root/prefix" >/dev/null
    export HOME=$root/home XDG_CONFIG_HOME=$root/home/.config XDG_DATA_HOME=$root/home/.local/share
    export XDG_STATE_HOME=$root/home/.local/state XDG_RUNTIME_DIR=$root/run
    export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 LC_ALL=C.UTF-8
    mkdir -p "$HOME/Notes" "$XDG_CONFIG_HOME/quillbox" "$XDG_DATA_HOME/dbus-1/services" "$root/run"
    chmod 700 "$root/run"
    printf '[General]\nNotesFolderBookmark=@ByteArray(%s)\n' "$HOME/Notes" \
        >"$XDG_CONFIG_HOME/quillbox/quillbox.conf"
    printf 'Trip\nPack the tent\n' >"$HOME/Notes/Trip.md"
    # The installed service file, started from the build: the bus reads its user's folder.
    sed "s|^Exec=[^ ]*|Exec=$quillbox|" "$root/prefix/share/dbus-1/services/$id.service" \
        >"$XDG_DATA_HOME/dbus-1/services/$id.service"
    cp "$root/prefix/share/gnome-shell/search-providers/$id.search-provider.ini" "$root/provider.ini"
    ROOT=$root dbus-run-session -- "$0" "$@" --inside
    exit
fi

fail() { echo "FAIL: $*"; exit 1; }
notes=$HOME/Notes
path=$(sed -n 's/^ObjectPath=//p' "$ROOT/provider.ini")
bus=$(sed -n 's/^BusName=//p' "$ROOT/provider.ini")
[ "$bus" = "$id" ] || fail "the provider names the bus name '$bus'"
shell() { gdbus call --session --dest "$id" --object-path "$path" \
    --method "org.gnome.Shell.SearchProvider2.$1" "${@:2}"; }
# The process that holds the name now, if any.
owner() { gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID "$id" 2>/dev/null |
    sed -n 's/^(uint32 \([0-9]*\),)$/\1/p' || true; }
# The bus ends with this script; a Quillbox it started would stay.
trap 'pid=$(owner); if [ -n "$pid" ]; then kill -TERM "$pid"; fi' EXIT
# Waits up to 20 s for a command to succeed.
until_true() {
    for _ in $(seq 200); do "$@" && return 0; sleep 0.1; done
    return 1
}

# Nothing runs yet: the call starts Quillbox, which answers once it has read the folder.
answer=$(shell GetInitialResultSet "['tent']") || fail "the shell's first call failed"
[ "$answer" = "(['$notes/Trip.md'],)" ] || fail "first search answered $answer"
echo "PASS: started by the bus, answered $answer"

"$quillbox" --new "Buy milk" || fail "--new exited with $?"
[ "$(cat "$notes/Buy milk.md")" = "Buy milk" ] || fail "--new did not make 'Buy milk.md'"
printf 'From a pipe\nline two\n' | "$quillbox" --new - || fail "--new - exited with $?"
[ "$(head -1 "$notes/From a pipe.md")" = "From a pipe" ] || fail "--new - did not read its input"
answer=$(shell GetInitialResultSet "['milk']")
[ "$answer" = "(['$notes/Buy milk.md'],)" ] || fail "the new note is not found: $answer"
echo "PASS: --new handed over to the running Quillbox"

# Ended as a logout ends it; then a launch runs on its own, and answers the searches.
pid=$(owner)
[ -n "$pid" ] || fail "no process holds $id"
kill -TERM "$pid"
until_true bash -c "! kill -0 $pid 2>/dev/null" || fail "Quillbox did not end"

printf 'Elsewhere\n' >"$ROOT/Elsewhere.md"
"$quillbox" "$ROOT/Elsewhere.md" 2>"$ROOT/stderr" &
alone=$!
until_true grep -q "is not a note of the notes folder" "$ROOT/stderr" ||
    fail "a file outside the folder was not reported: $(cat "$ROOT/stderr")"
"$quillbox" --new "Standalone" 2>/dev/null || fail "--new beside it exited with $?"
until_true test -e "$notes/Standalone.md" || fail "--new made no note"
answer=$(shell GetInitialResultSet "['standalone']")
[ "$answer" = "(['$notes/Standalone.md'],)" ] || fail "the launched Quillbox answered $answer"
kill -TERM "$alone"
wait "$alone" || true
echo "PASS: a launch of its own reports a file elsewhere and serves the search"
