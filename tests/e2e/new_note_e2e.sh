#!/usr/bin/env bash
# The built application, driven as a person would under a virtual X server: a CRLF note only
# looked at past the pause is left byte for byte; New Note with Ctrl+N, typing, the pause that
# saves and renames, a second launch that must raise the first and leave, then SIGTERM straight
# after more typing; last, a save that fails (its folder deleted) and SIGTERM while its alert
# is open: the text goes to the recovery folder.
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh" "$@"
notes="$work/Notes"
mkdir -p "$notes" "$work/config/quillbox"
printf '[General]\nNotesFolderBookmark=@ByteArray(%s)\n' "$notes" >"$work/config/quillbox/quillbox.conf"
crlf=$'Windows note\r\nwritten elsewhere\r\n'
printf '%s' "$crlf" >"$notes/Windows note.md"
start_app() {
    "$bin" >>"$work/app.log" 2>&1 &
    app=$!
    win=$(timeout 20 xdotool search --sync --onlyvisible --name '^Quillbox$' | head -1) ||
        fail "no window"
    xdotool windowfocus --sync "$win" 2>/dev/null
}
same_bytes() { [ "$(od -c "$1")" = "$(printf '%s' "$2" | od -c)" ]; }

start_app
# The CRLF note is the newest, so it is shown; nothing is typed into it.
sleep 3.5
same_bytes "$notes/Windows note.md" "$crlf" || fail "viewing rewrote the CRLF note"

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
same_bytes "$notes/Windows note.md" "$crlf" || fail "quitting rewrote the CRLF note"

# Another program renames a new version into place every 200 ms while the user types: every
# typed character and every version's line must be in the folder afterwards.
printf 'Torture\nline a\nline b\nline c\nline d\n' >"$notes/Torture.md"
start_app
xdotool mousemove --window "$win" 450 200 click 1
xdotool key ctrl+Home Down End
typed="the quick brown fox jumps over the lazy dog and types on while a sync tool writes"
(
    for n in $(seq 1 40); do
        { cat "$notes/Torture.md"; printf 'version %d\n' "$n"; } >"$notes/.torture.tmp"
        mv "$notes/.torture.tmp" "$notes/Torture.md"
        sleep 0.2
    done
) &
writer=$!
xdotool type --delay 60 "$typed"
wait "$writer"
sleep 4
terminate
grep -qF "line a$typed" "$notes"/*.md || fail "typed text was lost: $(cat "$notes"/Tort*.md)"
for n in $(seq 1 40); do
    grep -qx "version $n" "$notes"/*.md || fail "version $n was lost: $(cat "$notes"/Tort*.md)"
done
ls "$notes" >>"$work/app.log"

start_app
xdotool mousemove --window "$win" 450 200 click 1
xdotool key ctrl+End
xdotool type --delay 20 " bread"
rm -rf "$notes"
# The save fails and says so in an alert, which is modal; the signal must not wait for it.
alert_open() { [ "$(xdotool search --onlyvisible --name '^Quillbox$' | wc -l)" -ge 2 ]; }
wait_for 15 alert_open || fail "no alert for the failed save"
kill -TERM "$app"
wait_for 5 eval '! kill -0 "$app" 2>/dev/null' || fail "SIGTERM left quillbox running"
wait "$app" || fail "quillbox exited with $?"
app=0
recovered="$work/.local/state/quillbox/recovered/Torture.md"
grep -q " bread$" "$recovered" ||
    fail "the unsaved text was not recovered: $(cat "$recovered" 2>&1)"
echo "PASS: viewing, new note, save, rename, second launch, SIGTERM, recovery"
