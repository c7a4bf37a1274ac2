#!/usr/bin/env bash
# Each layer includes only from itself and the layers below it: store, folder, views,
# preferences, app. The core (store, folder) never sees a widget or the GUI module.
set -euo pipefail
src=$1
status=0
check() {
    local layer=$1 allowed=$2 bad
    bad=$(grep -Hn '^#include "' "$src/$layer"/*.h "$src/$layer"/*.cpp |
        grep -Ev "#include \"(($allowed)/[a-z0-9_]+\.h|build_config\.h)\"" || true)
    if [ -n "$bad" ]; then
        echo "$layer may include only from $allowed:"
        echo "$bad"
        status=1
    fi
}
check store 'store'
check folder 'store|folder'
check views 'store|folder|views'
check preferences 'store|folder|views|preferences'
check app 'store|folder|views|preferences|app'
if grep -Hn '^#include <Q\(Widget\|Application\|Gui\|Action\|Dialog\|MainWindow\|Print\)' \
    "$src"/store/* "$src"/folder/*; then
    echo "the core includes a GUI header"
    status=1
fi
exit $status
