#!/usr/bin/env bash
# The whole application as a new user meets it: no folder yet, so the chooser opens; a folder
# is chosen and its notes listed; a note is made and typed into; then, before the pause that
# would save it, the folder is changed in the preferences. The typed text must be on disk.
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh" "$@"
notes="$work/Synced Notes"
mkdir -p "$notes"
printf 'Hello\nfrom another machine' >"$notes/Hello.md"
conf="$work/config/quillbox/quillbox.conf"

window_named() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
remembers() { grep -q "NotesFolderBookmark=@ByteArray($1)" "$conf" 2>/dev/null; }
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
wait_for 10 window_named '^Preferences — Quillbox$' || fail "the preferences did not open"
prefs=$(xdotool search --onlyvisible --name '^Preferences — Quillbox$' | head -1)
xdotool windowfocus --sync "$prefs" 2>/dev/null
# Choose…, Reveal in File Manager, Copy Path, Refresh Permissions, Clear & Re-select…, Use Default
xdotool key Tab Tab Tab Tab Tab space
wait_for 10 remembers "$work/Documents/Notes" || fail "Use Default did not take the default folder"
# The folder is remembered before the old one's drafts are written: wait for the text.
wait_for 10 contains "$created" "typed before the folder changed" ||
    fail "the old folder's unsaved text was lost: $(cat "$created")"
[ -d "$work/Documents/Notes" ] || fail "the default folder was not created"
[ "$(cat "$notes/Hello.md")" = "$(printf 'Hello\nfrom another machine')" ] ||
    fail "a note nobody edited was changed"

terminate
echo "PASS: first start, chooser, new note, folder changed in the preferences, nothing lost"
