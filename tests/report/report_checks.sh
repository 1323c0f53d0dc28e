#!/usr/bin/env bash
# The shipped tarvell-report.exe under Wine against the native build, on the logs the real
# program saved: the same report, line for line (the Windows one ends lines with CR LF), the
# same CSV, the same warnings for a log cut short, and the same exit code and message for a
# log that does not fit.
#   report_checks.sh WINDOWS_EXE NATIVE_EXE LOG_FOLDER
set -euo pipefail
exe=$1
native=$2
cd "$3"
printf 'The quick brown fox\njumps over the lazy dog\ncafe naive instant\n' >reference.txt
status=0
compare() {
    local name=$1
    shift
    local code=0 wcode=0
    "$native" "$@" --csv "native-$name.csv" >"native-$name.out" 2>"native-$name.err" || code=$?
    timeout 120 wine "$exe" "$@" --csv "windows-$name.csv" </dev/null >"windows-$name.out" \
        2>"windows-$name.err" || wcode=$?
    if [ "$code" != "$wcode" ]; then
        echo "$name: exit code $wcode under Wine, $code natively"
        status=1
    fi
    local kinds=(out)
    [ "$code" = 0 ] && kinds+=(csv)
    for kind in "${kinds[@]}"; do
        if ! diff <(tr -d '\r' <"native-$name.$kind") <(tr -d '\r' <"windows-$name.$kind") >/dev/null; then
            echo "$name: the $kind differs"
            diff <(tr -d '\r' <"native-$name.$kind") <(tr -d '\r' <"windows-$name.$kind") | head -20
            status=1
        fi
    done
    # Wine adds its own lines to stderr; the program's message must be there.
    while read -r line; do
        grep -qF "$line" "windows-$name.err" || {
            echo "$name: missing from the Windows stderr: $line"
            status=1
        }
    done <"native-$name.err"
    echo "$name: exit code $code, $(wc -l <"native-$name.out") lines alike"
}
compare varied --details --reference reference.txt varied.txt varied-after-save.txt clean.txt
head -c 700 varied.txt >cut.txt
compare cut cut.txt
sed '20s/^[0-9]*/x/' varied.txt >broken.txt
compare broken broken.txt
exit $status
