# Shared by the end-to-end tests: runs the calling script again under a virtual X server and a
# private session bus, gives it a scratch home, and offers polling helpers.
# Usage, at the top of a test: source "$(dirname "$0")/e2e_lib.sh" "$@"

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
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" LANG=C.UTF-8

fail() {
    echo "FAIL: $*"
    find "$work" -name '*.md' -o -name '*.conf' | sort
    [ -f "$work/app.log" ] && sed 's/^/app: /' "$work/app.log"
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
# Ends the application with SIGTERM and checks it exits cleanly.
terminate() {
    kill -TERM "$app"
    wait "$app" || fail "quillbox exited with $?"
    app=0
}
