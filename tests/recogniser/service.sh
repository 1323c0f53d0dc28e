#!/usr/bin/env bash
# The recogniser service for the tests, its files in DIR:
#   service.sh start DIR ACCURACY speaks the demo's corpus (DIR/corpus), takes its noisy file
#                                  as the sample, has the recogniser decode it on its own
#                                  (DIR/expected.txt) and starts the service (DIR/port)
#   service.sh stop DIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
action=$1
dir=$2
case "$action" in
start)
    build_recogniser # at once when it is up to date
    stop_recogniser "$dir"
    "$ROOT/scripts/make_corpus.sh" "$dir/corpus"
    # Right words and wrong ones, both.
    cp "$dir/corpus/noisy-kal16.wav" "$dir/sample.wav"
    "$ROOT/build/recogniser/tarvell_recogniser" --decode "$dir/sample.wav" --accuracy "$3" \
        >"$dir/expected.txt"
    rm -f "$dir/service.log"
    start_recogniser "$dir"
    echo "service on 127.0.0.1:$RECOGNISER_PORT"
    ;;
stop)
    stop_recogniser "$dir"
    ;;
esac
