#!/usr/bin/env bash
# The whole application as a new user meets it: no folder yet, so the chooser opens; a folder
# is chosen and its notes listed; a note is made and typed into; then, before the pause that
# would save it, the folder is changed in the preferences. The typed text must be on disk.
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
notes="$work/Synced Notes"
mkdir -p "$notes"
printf 'Hello\nfrom another machine' >"$notes/Hello.md"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" LANG=C.UTF-8
conf="$work/config/quillbox/quillbox.conf"

fail() { echo "FAIL: $*"; find "$work" -name '*.md' -o -name '*.conf' | sort; exit 1; }
wait_for() {
    local limit=$1; shift
    for _ in $(seq $((limit * 10))); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    return 1
}
window_named() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
remembers() { grep -q "NotesFolderBookmark=@ByteArray($1)" "$conf" 2>/dev/null; }
has_file() { compgen -G "$1" >/dev/null; }
contains() { grep -q "$2" "$1" 2>/dev/null; }

"$bin" >"$work/app.log" 2>&1 &
app=$!
wait_for 20 window_named '^Choose Notes Folder$' || fail "the folder chooser did not open"
chooser=$(xdotool search --onlyvisible --name '^Choose Notes Folder$' | head -1)
xdotool windowfocus --sync "$chooser" 2>/dev/null
xdotool type --delay 10 "$notes"
xdotool key Return
wait_for 10 remembers "$notes" || fail "the chosen folder was not remembered"

win=$(xdotool search --onlyvisible --name '^Quillbox$' | head -1)
xdotool windowfocus --sync "$win" 2>/dev/null
xdotool key ctrl+n
wait_for 10 has_file "$notes/Daily Notes - *.md" || fail "Ctrl+N made no note in the chosen folder"
created=$(compgen -G "$notes/Daily Notes - *.md")
xdotool key Return
xdotool type --delay 10 "typed before the folder changed"

# At once, before the three-second pause: Preferences, then "Use Default".
xdotool key ctrl+comma
wait_for 10 window_named '^Quillbox Preferences$' || fail "the preferences did not open"
prefs=$(xdotool search --onlyvisible --name '^Quillbox Preferences$' | head -1)
xdotool windowfocus --sync "$prefs" 2>/dev/null
# Choose…, Reveal in File Manager, Copy Path, Refresh Permissions, Clear & Re-select…, Use Default
xdotool key Tab Tab Tab Tab Tab space
wait_for 10 remembers "$work/Documents/Notes" || fail "Use Default did not take the default folder"
contains "$created" "typed before the folder changed" ||
    fail "the old folder's unsaved text was lost: $(cat "$created")"
[ -d "$work/Documents/Notes" ] || fail "the default folder was not created"
[ "$(cat "$notes/Hello.md")" = "$(printf 'Hello\nfrom another machine')" ] ||
    fail "a note nobody edited was changed"

kill -TERM "$app"
wait "$app" || fail "quillbox exited with $?"
app=0
echo "PASS: first start, chooser, new note, folder changed in the preferences, nothing lost"
