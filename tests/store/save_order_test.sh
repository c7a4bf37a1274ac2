#!/usr/bin/env bash
# A save is durable only in this order: the new text written and synced to its own file, that
# file renamed over the note, then the folder synced so that the rename survives a power cut.
# Nothing inside the process can see a missing sync, so the system calls are traced.
set -euo pipefail
save_once=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
printf 'old text\n' >"$folder/Note.md"
# LeakSanitizer cannot run under a tracer.
ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" strace -f -e trace=openat,write,fdatasync,fsync,rename,renameat2,close -o "$folder/.trace" \
    "$save_once" "$folder/Note.md"
[ "$(cat "$folder/Note.md")" = "saved text" ] || { echo "FAIL: the text was not saved"; exit 1; }
awk -v folder="$folder" '
    index($0, "openat(") && index($0, folder "/.quillbox-save-") && /O_CREAT/ {
        if (match($0, /= [0-9]+$/)) { temp = substr($0, RSTART + 2); step = 1 } next }
    step == 1 && $0 ~ "write\\(" temp "," { step = 2; next }
    step == 2 && $0 ~ "fdatasync\\(" temp "\\)" { step = 3; next }
    step == 3 && /rename/ && index($0, folder "/Note.md") { step = 4; next }
    step == 4 && index($0, "openat(") && index($0, "\"" folder "\"") && /O_DIRECTORY/ {
        if (match($0, /= [0-9]+$/)) { dir = substr($0, RSTART + 2); step = 5 } next }
    step == 5 && $0 ~ "fsync\\(" dir "\\)" { step = 6 }
    END { if (step != 6) { print "FAIL: the save stopped being durable at step " step; exit 1 } }
' "$folder/.trace" || { grep -v "^$" "$folder/.trace" | grep -v 'lib\|/etc/\|/proc/\|/sys/'; exit 1; }
echo "PASS: write, fdatasync, rename, fsync of the folder"
