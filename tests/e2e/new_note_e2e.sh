#!/usr/bin/env bash
# The built application, driven as a person would under a virtual X server: New Note with
# Ctrl+N, typing, the pause that saves and renames, a second launch that must raise the first
# and leave, then SIGTERM straight after more typing.
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh" "$@"
notes="$work/Notes"
mkdir -p "$notes" "$work/config/quillbox"
printf '[General]\nNotesFolderBookmark=@ByteArray(%s)\n' "$notes" >"$work/config/quillbox/quillbox.conf"

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

# Launched again while running (the preferences in front): the first comes forward, the
# second leaves at once, and there is still one main window.
xdotool key ctrl+comma
prefs=$(timeout 10 xdotool search --sync --onlyvisible --name 'Preferences' | head -1) ||
    fail "no preferences window"
wait_for 5 test "$(xdotool getwindowfocus)" = "$prefs" || fail "the preferences did not take the focus"
timeout 10 "$bin" >>"$work/app.log" 2>&1 || fail "the second launch exited with $?"
kill -0 "$app" || fail "the first instance ended"
wait_for 5 test "$(xdotool getwindowfocus)" = "$win" || fail "the first window was not raised"
[ "$(xdotool search --onlyvisible --name '^Quillbox$' | wc -l)" = 1 ] || fail "a second window opened"

# Typed, and the process told to end at once: the text must be on disk all the same.
xdotool key Return
xdotool type --delay 20 "eggs"
terminate
file_is "$notes/Shopping list.md" "$(printf 'Shopping list\nmilk\neggs')" ||
    fail "text typed just before SIGTERM was lost: $(cat "$notes/Shopping list.md")"
echo "PASS: new note, save, rename, second launch and SIGTERM"
