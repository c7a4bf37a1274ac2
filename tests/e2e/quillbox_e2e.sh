#!/usr/bin/env bash
# The built application, driven as a person would, on an X display and a session bus of its
# own. A new user has no folder yet, so the chooser opens; a CRLF note only looked at past the
# pause is left byte for byte; Ctrl+N, typing, the pause that saves and renames; a second
# launch raises the first and leaves; SIGTERM straight after typing. Started again: another
# program rewrites a note while the user types in it, then renames a stale version over a save,
# which the History window restores; the folder is changed in the preferences before the
# pause; last, a save that fails (its folder deleted) and SIGTERM while
# its alert is open: the text goes to the recovery folder.
set -euo pipefail
bin=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
app=0
daemons=()
cleanup() {
    local status=$?
    set +e
    trap - EXIT TERM INT HUP
    [ "$status" -ne 0 ] && [ -f "$work/app.log" ] && sed 's/^/app: /' "$work/app.log"
    [ "$app" -gt 0 ] && kill -KILL "$app"
    kill "${daemons[@]}"
    wait
    rm -rf "$work"
    exit "$status"
} 2>/dev/null
trap cleanup EXIT
trap 'echo "FAIL: interrupted"; exit 1' TERM INT HUP
# Ends the run before CTest's timeout would, so that the steps above still happen.
(trap 'kill "$timer"; exit' TERM; sleep 150 & timer=$!; wait "$timer" && kill -TERM $$) &
daemons+=($!)

fail() {
    echo "FAIL: $*"
    find "$work" -name '*.md' -o -name '*.conf' | sort
    exit 1
}
# Polls for a condition, at most $1 seconds.
wait_for() {
    local limit=$1
    shift
    for _ in $(seq $((limit * 10))); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    return 1
}
has_file() { compgen -G "$1" >/dev/null; }
file_is() { [ -f "$1" ] && [ "$(cat "$1")" = "$2" ]; }
same_bytes() { [ "$(od -c "$1")" = "$(printf '%s' "$2" | od -c)" ]; }
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 | grep .; }
remembers() { grep -q "NotesFolderBookmark=@ByteArray($1)" "$conf" 2>/dev/null; }
focused() { [ "$(xdotool getwindowfocus)" = "$1" ]; }

# Each server writes its address on fd 3 once it is ready; Xvfb picks a free display itself.
serve() {
    local out="$work/$1"
    shift
    "$@" 3>"$out" 2>>"$work/servers.log" &
    daemons+=($!)
    wait_for 10 grep -q . "$out" || fail "$1 did not start: $(cat "$work/servers.log")"
}
# Without -noreset the server resets whenever its last client (a polling xdotool) leaves, and
# a client connecting meanwhile is refused.
serve display Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset
serve bus dbus-daemon --session --nofork --print-address=3
export DISPLAY=":$(cat "$work/display")" DBUS_SESSION_BUS_ADDRESS="$(cat "$work/bus")"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" LANG=C.UTF-8 \
    XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$work/run"

notes="$work/Synced Notes"
conf="$work/config/quillbox/quillbox.conf"
mkdir -p "$notes"
crlf=$'Windows note\r\nwritten elsewhere\r\n'
printf '%s' "$crlf" >"$notes/Windows note.md"
start_app() { "$bin" >>"$work/app.log" 2>&1 & app=$!; }
# The main window is "Quillbox", or "<note title> — Quillbox" while a note is shown; alerts are
# "Quillbox" too.
quillbox_windows() {
    local w
    for w in $(xdotool search --onlyvisible --name 'Quillbox$' 2>/dev/null); do
        case $(xdotool getwindowname "$w") in
        "Preferences — Quillbox") ;;
        Quillbox | *" — Quillbox") echo "$w" ;;
        esac
    done
}
show_main() {
    win=$(wait_for 20 eval 'quillbox_windows | head -1 | grep .') || fail "no window"
    xdotool windowfocus --sync "$win" 2>/dev/null
}
terminate() {
    kill -TERM "$app"
    wait_for 5 eval '! kill -0 "$app" 2>/dev/null' || fail "SIGTERM left quillbox running"
    wait "$app" || fail "quillbox exited with $?"
    app=0
}
main_windows() { quillbox_windows | wc -l; }

start_app
chooser=$(wait_for 20 window_named '^Choose Notes Folder$') || fail "the folder chooser did not open"
xdotool windowfocus --sync "$chooser" 2>/dev/null
xdotool type --delay 10 "$notes"
xdotool key Return
wait_for 10 remembers "$notes" || fail "the chosen folder was not remembered"
show_main
# The CRLF note is the only one, so it is shown; nothing is typed into it.
sleep 3.5
same_bytes "$notes/Windows note.md" "$crlf" || fail "viewing rewrote the CRLF note"

xdotool key ctrl+n
wait_for 10 has_file "$notes/Daily Notes - *.md" || fail "Ctrl+N made no note in the chosen folder"
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
prefs=$(wait_for 10 window_named '^Preferences — Quillbox$') || fail "the preferences did not open"
wait_for 5 focused "$prefs" || fail "the preferences did not take the focus"
timeout 10 "$bin" >>"$work/app.log" 2>&1 || fail "the second launch exited with $?"
kill -0 "$app" || fail "the first instance ended"
wait_for 5 focused "$win" || fail "the first window was not raised"
[ "$(main_windows)" = 1 ] || fail "a second window opened"

# Typed, and the process told to end at once: the text must be on disk all the same.
xdotool key Return
xdotool type --delay 20 "eggs"
terminate
file_is "$notes/Shopping list.md" "$(printf 'Shopping list\nmilk\neggs')" ||
    fail "text typed just before SIGTERM was lost: $(cat "$notes/Shopping list.md")"
same_bytes "$notes/Windows note.md" "$crlf" || fail "quitting rewrote the CRLF note"

# Another program puts a new version in place every 200 ms while the user types, each with a
# line of its own at the end: the two never touch the same line, so every typed character and
# every version's line must end up joined in the note itself, with no copy beside it. The
# writer never displaces a save of ours it did not read, so whatever is lost is ours to answer
# for.
printf 'Torture\nline a\nline b\nline c\nline d\n' >"$notes/Torture.md"
start_app
show_main
xdotool mousemove --window "$win" 450 200 click 1
xdotool key ctrl+Home Down End
typed="the quick brown fox jumps over the lazy dog and types on while a sync tool writes"
seq -f 'version %g' 40 | python3 "$here/append_lines.py" "$notes/Torture.md" 0.2 &
writer=$!
xdotool type --delay 60 "$typed"
wait "$writer" || fail "the other program could not put its version in place"
all_kept() {
    grep -qsF "line a$typed" "$notes/Torture.md" || return 1
    for n in $(seq 1 40); do grep -qsx "version $n" "$notes/Torture.md" || return 1; done
}
if ! wait_for 15 all_kept; then
    # Quitting saves what the editor holds: tells text the editor lost from a save not made.
    shown=$(cat "$notes"/Tort*.md)
    terminate
    fail "typed text or a version was lost: $shown" $'\nafter quitting:' "$(cat "$notes"/Tort*.md)"
fi
[ "$(ls "$notes" | grep -c '^Tort')" = 1 ] || fail "joined lines were kept apart:" "$(ls "$notes")"

# Ctrl+F finds a word typed earlier, in any case; what is typed after Escape replaces it.
xdotool key ctrl+f
xdotool type --delay 20 "LAZY"
xdotool key Escape
xdotool type --delay 20 "busy"
found_typed() { grep -qsF "the busy dog" "$notes"/Tort*.md; }
wait_for 10 found_typed || fail "Ctrl+F did not find a word typed earlier: $(cat "$notes"/Tort*.md)"

# Another program that read the note before our save renames its version over it: our line is
# gone from the folder. The note's history still has it, and restoring brings it back.
stale=$(cat "$notes"/Tort*.md)
xdotool key ctrl+End Return
xdotool type --delay 10 "a line only we wrote"
has_line() { grep -qs "a line only we wrote" "$notes"/Tort*.md; }
wait_for 10 has_line || fail "the line was not saved"
tort=$(ls "$notes"/Tort*.md)
printf '%s' "$stale" >"$notes/.stale" && mv "$notes/.stale" "$tort"
wait_for 10 eval '! has_line' || fail "the stale version did not land"
sleep 1 # the watch's refresh keeps both versions
xdotool key ctrl+shift+h
history=$(wait_for 10 window_named '^History — ') || fail "Notes ▸ History did not open"
xdotool windowfocus --sync "$history" 2>/dev/null
# The newest row is the other program's version; ours is the one below. Restore This Version.
xdotool key Down Tab Tab space
wait_for 10 has_line || fail "restoring did not bring the lost line back: $(cat "$tort")"
xdotool key Escape
xdotool windowfocus --sync "$win" 2>/dev/null

# Typed, then at once, before the pause: Preferences, "Use Default". The folder is remembered
# before the old one's unsaved text is written: wait for the text.
xdotool key ctrl+End Return
xdotool type --delay 10 "typed before the folder changed"
xdotool key ctrl+comma
prefs=$(wait_for 10 window_named '^Preferences — Quillbox$') || fail "the preferences did not open"
xdotool windowfocus --sync "$prefs" 2>/dev/null
# Choose…, Reveal in File Manager, Copy Path, Refresh Permissions, Clear & Re-select…, Use Default
xdotool key Tab Tab Tab Tab Tab space
wait_for 10 remembers "$work/Documents/Notes" || fail "Use Default did not take the default folder"
in_notes() { grep -qs "$1" "$notes"/*.md; } # the glob is read again on every poll
wait_for 10 in_notes "typed before the folder changed" ||
    fail "the old folder's unsaved text was lost: $(cat "$notes"/Tort*.md)"
[ -d "$work/Documents/Notes" ] || fail "the default folder was not created"
same_bytes "$notes/Windows note.md" "$crlf" || fail "a note nobody edited was changed"

# The save fails and says so in an alert, which is modal; the signal must not wait for it.
xdotool key Escape
xdotool windowfocus --sync "$win" 2>/dev/null
xdotool key ctrl+n
wait_for 10 has_file "$work/Documents/Notes/Daily Notes - *.md" || fail "Ctrl+N made no note"
xdotool key ctrl+End
xdotool type --delay 20 " bread"
rm -rf "$work/Documents/Notes"
wait_for 15 eval '[ "$(main_windows)" -ge 2 ]' || fail "no alert for the failed save"
terminate
recovered="$work/.local/state/quillbox/recovered"
grep -qs " bread$" "$recovered"/*.md ||
    fail "the unsaved text was not recovered: $(cat "$recovered"/* 2>&1)"
echo "PASS: first start, viewing, new note, save, rename, second launch, SIGTERM, a writer" \
    "alongside, a version restored from the history, folder change, recovery"
