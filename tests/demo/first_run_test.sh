#!/usr/bin/env bash
# What scripts/run leaves when no display is there (OUT, build/demo): a saved session log per
# slider position (and of the live pass) with measured utterances, the report's page and
# figures, and the screenshot as a whole PNG. A first run that printed well but left less
# fails here.
set -uo pipefail
out=${1:?usage: first_run_test.sh OUT}
passed=0 failed=0
check() {
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "FAIL: $what"
        failed=$((failed + 1))
    fi
}

# Every utterance block complete: as many closing "Average Score" lines as openings.
measured_log() {
    local log=$1 opened closed
    [ -s "$log" ] || return 1
    opened=$(grep -c '^Utterance #: [0-9]* *RTF: [0-9.]*' "$log")
    closed=$(grep -c '<---> Average Score' "$log")
    echo "$(basename "$log"): $opened utterances"
    [ "$opened" -gt 0 ] && [ "$opened" = "$closed" ]
}

# The PNG signature, a header at least the dialog's size, and the closing IEND chunk.
whole_png() {
    local png=$1 width height
    [ "$(od -An -tx1 -N8 "$png" | tr -d ' \n')" = 89504e470d0a1a0a ] || return 1
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }')
    echo "$(basename "$png"): ${width}x$height"
    [ "$width" -ge 900 ] && [ "$height" -ge 500 ] &&
        [ "$(tail -c 12 "$png" | od -An -tx1 | tr -d ' \n')" = 0000000049454e44ae426082 ]
}

whole_page() {
    grep -q '<svg' "$1" && grep -q '</html>' "$1"
}

for position in 0 50 100; do
    check "session-log-$position.txt holds measured utterances" measured_log "$out/session-log-$position.txt"
done
# The live pass runs with the recogniser alone; where it reported, its log must be whole.
[ ! -e "$out/report-live.csv" ] ||
    check "session-log-live-50.txt holds measured utterances" measured_log "$out/session-log-live-50.txt"
check "report.html is a whole page with its charts" whole_page "$out/report.html"
check "report.csv has a row per slider position" \
    test "$(grep -c '^"*slider' "$out/report.csv" 2>/dev/null)" -ge 3
check "tarvell.png is a whole picture of the dialog" whole_png "$out/tarvell.png"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
