#!/usr/bin/env bash
# Each layer includes only from itself and the layers below it: store, folder, views,
# preferences, app. The core (store, folder) never sees a widget or the GUI module, and
# holds no sentence a user reads: it returns states and outcomes, the layers above word them.
set -euo pipefail
src=$1
status=0
layers=(store folder views preferences app)
core=("$src"/store/* "$src"/folder/*)
# Literals of the core a user may read that are file names, not sentences.
file_names=('Daily Notes - ')

# A new folder has no place in the order until it is given one here.
for layer in "${layers[@]}"; do
    [ -d "$src/$layer" ] || { echo "no layer src/$layer" && status=1; }
done
for dir in "$src"/*/; do
    dir=$(basename "$dir")
    if [[ " ${layers[*]} " != *" $dir "* ]]; then
        echo "src/$dir is not a known layer: add it to the layering test"
        status=1
    fi
done

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
    "${core[@]}"; then
    echo "the core includes a GUI header"
    status=1
fi

if grep -HnE '(\btr|\btranslate|QT_TR_NOOP|QT_TRANSLATE_NOOP)[[:space:]]*\(|Q_DECLARE_TR_FUNCTIONS' \
    "${core[@]}"; then
    echo "the core translates: its words belong to the layers above"
    status=1
fi

# A sentence: a string literal that starts with a capital letter and holds a space. Literals
# are read outside comments and character literals; SQL statements (a keyword first) are not
# sentences.
sentences=$(
    ALLOWED=$(printf '%s\n' "${file_names[@]}") perl -ne '
        BEGIN { %allowed = map { $_ => 1 } split /\n/, $ENV{ALLOWED} }
        while (/"((?:[^"\\]|\\.)*)"|\x27(?:[^\x27\\]|\\.)+\x27|(\/\/.*)/g) {
            last if defined $2;
            my $text = $1;
            next unless defined $text;
            next if $text =~ /^(?:SELECT|INSERT|UPDATE|DELETE|CREATE|PRAGMA|BEGIN|COMMIT|ROLLBACK|JOIN|WHERE|ORDER|VALUES) /;
            if ($text =~ /^[A-Z].* / && !$allowed{$text}) { print "$ARGV:$.: $_"; last }
        }
        close ARGV if eof;
    ' "${core[@]}"
)
if [ -n "$sentences" ]; then
    echo "the core holds sentences a user reads: the layers above word its states:"
    echo "$sentences"
    status=1
fi
exit $status
