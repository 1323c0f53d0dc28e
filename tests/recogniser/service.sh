#!/usr/bin/env bash
# The recogniser service for the tests, its files in DIR:
#   service.sh start DIR ACCURACY speaks the sample, has the recogniser decode it on its own
#                                  (DIR/expected.txt) and starts the service (DIR/port)
#   service.sh stop DIR
#   service.sh demo DIR DEMO_EXE   plays the demo against the service; its saved log must
#                                  hold the recognised words
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
action=$1
dir=$2
case "$action" in
start)
    [ -x "$ROOT/build/recogniser/tarvell_recogniser" ] || build_recogniser
    stop_recogniser "$dir"
    "$ROOT/scripts/make_sample.sh" "$dir"
    "$ROOT/build/recogniser/tarvell_recogniser" --decode "$dir/sample.wav" --accuracy "$3" \
        >"$dir/expected.txt"
    rm -f "$dir/service.log"
    start_recogniser "$dir"
    echo "service on 127.0.0.1:$RECOGNISER_PORT"
    ;;
stop)
    stop_recogniser "$dir"
    ;;
demo)
    out="$dir/demo"
    rm -rf "$out"
    mkdir -p "$out"
    cp "$dir/sample.wav" "$out/"
    TARVELL_STANDIN_RECOGNISER=$(cat "$dir/port") wine "$3" "$(winepath -w "$out")" \
        "$(winepath -w "$out/sample.wav")" </dev/null >"$out/demo.txt" 2>&1 || {
        cat "$out/demo.txt"
        exit 1
    }
    # Every word the recogniser reports for the sample, as a word line of the saved log.
    status=0
    while read -r _ score _ word; do
        grep -qxF "$score : $word"$'\r' "$out/session-log.txt" || {
            echo "missing from the saved log: $score : $word"
            status=1
        }
    done < <(grep '^WORD ' "$dir/expected.txt")
    grep -c '^WORD ' "$dir/expected.txt" | sed 's/$/ recognised words found in the saved log/'
    exit $status
    ;;
esac
