#!/usr/bin/env bash
# The built application, driven as a person would under a virtual X server: New Note with
# Ctrl+N, typing, the pause that saves and renames, then SIGTERM straight after more typing.
set -euo pipefail
bin=$(realpath "$1")

if [ -z "${QUILLBOX_E2E_INSIDE:-}" ]; then
    export QUILLBOX_E2E_INSIDE=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- "$0" "$@"
fi

work=$(mktemp -d)
app=0
cleanup() {
    if [ "$app" -gt 0 ]; then kill "$app" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
notes="$work/Notes"
mkdir -p "$notes" "$work/config/quillbox"
printf '[General]\nNotesFolderBookmark=@ByteArray(%s)\n' "$notes" >"$work/config/quillbox/quillbox.conf"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" LANG=C.UTF-8

fail() { echo "FAIL: $*"; ls -la "$notes"; exit 1; }
# Polls for a condition, at most $1 seconds.
wait_for() {
    local limit=$1; shift
    for _ in $(seq $((limit * 10))); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    return 1
}
has_file() { compgen -G "$1" >/dev/null; }
file_is() { [ -f "$1" ] && [ "$(cat "$1")" = "$2" ]; }

"$bin" >"$work/app.log" 2>&1 &
app=$!
win=$(timeout 20 xdotool search --sync --onlyvisible --name '^Quillbox$' | head -1) || fail "no window"
xdotool windowfocus --sync "$win" 2>/dev/null

xdotool key ctrl+n
wait_for 10 has_file "$notes/Daily Notes - *.md" || fail "Ctrl+N made no note"

xdotool key ctrl+a
xdotool type --delay 20 "Shopping list"
xdotool key Return
xdotool type --delay 20 "milk"
wait_for 15 file_is "$notes/Shopping list.md" "$(printf 'Shopping list\nmilk')" ||
    fail "the typed text did not reach Shopping list.md"
has_file "$notes/Daily Notes - *.md" && fail "the dated file was not renamed"

# Typed, and the process told to end at once: the text must be on disk all the same.
xdotool key Return
xdotool type --delay 20 "eggs"
kill -TERM "$app"
wait "$app" || fail "quillbox exited with $?"
app=0
file_is "$notes/Shopping list.md" "$(printf 'Shopping list\nmilk\neggs')" ||
    fail "text typed just before SIGTERM was lost: $(cat "$notes/Shopping list.md")"
echo "PASS: new note, save, rename and SIGTERM"
