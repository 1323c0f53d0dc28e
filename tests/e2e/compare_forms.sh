#!/usr/bin/env bash
# Runs the comparison session against the stand-in's DLL (the test prefix) and its local server
# (the local server's prefix), then compares what both wrote: the program must measure and
# call the same whichever form serves it.
#   compare_forms.sh EXE INPROCESS_PREFIX LOCAL_SERVER_PREFIX OUT_DIR
set -uo pipefail
exe=$1 inprocess=$2 local=$3 out=$4
mkdir -p "$out"
for form in inprocess local; do
    rm -f "$out/$form.txt"
    prefix=$inprocess
    [ "$form" = local ] && prefix=$local
    WINEPREFIX=$prefix TARVELL_COMPARISON_OUT=$(WINEPREFIX=$prefix winepath -w "$out/$form.txt") \
        "$(dirname "$0")/wine_on_prefix_display.sh" "$exe" --gtest_filter='Comparison.*' \
        >"$out/$form.log" 2>&1 </dev/null
    if [ ! -s "$out/$form.txt" ]; then
        echo "compare: the $form session wrote nothing; its output:" >&2
        cat "$out/$form.log" >&2
        exit 1
    fi
done
# The slider writes its position (an engine-control object and SetParameter) whenever it
# repaints, and how often it repaints, and between which events, is the machine's timing.
repaints='^(DgnEngineControl\.Create|IDgnEngineControl\.SetParameter) -> 0$'
for form in inprocess local; do
    grep -Ev "$repaints" "$out/$form.txt" >"$out/$form-compared.txt"
done
if ! diff -u "$out/inprocess-compared.txt" "$out/local-compared.txt"; then
    echo "compare: the program against the local server differs from the DLL (above)" >&2
    exit 1
fi
echo "compare: both forms gave the same $(wc -l <"$out/local.txt") lines"
