#!/usr/bin/env bash
# Runs the comparison session on the x86_64 build (64-bit Wine) and on the 32-bit build
# (the emulated loader), then compares what both wrote; times and real-time factors are
# masked by the session itself.
#   compare_builds.sh X86_64_EXE I686_EXE I686_LOADER OUT_DIR
set -uo pipefail
x64=$1 i686=$2 loader=$3 out=$4
mkdir -p "$out"
rm -f "$out/x86_64.txt" "$out/i686.txt"
if [ ! -f "$x64" ]; then
    echo "compare: no x86_64 build at $x64 (build build/x86_64 first)" >&2
    exit 1
fi
# A program left by a test killed earlier would refuse the session its start.
wine taskkill /f /im tarvell.exe >/dev/null 2>&1
# Each build's stand-in is registered in its own registry view of the prefix.
wine regsvr32 /s "$(winepath -w "$(dirname "$x64")/tarvell_standin.dll")" </dev/null
TARVELL_COMPARISON_OUT=$(winepath -w "$out/x86_64.txt") wine "$x64" \
    --gtest_filter='Comparison.*' >"$out/x86_64.log" 2>&1 </dev/null
TARVELL_COMPARISON_OUT=$(winepath -w "$out/i686.txt") "$loader" "$i686" \
    --gtest_filter='Comparison.*' >"$out/i686.log" 2>&1 </dev/null
for build in x86_64 i686; do
    if [ ! -s "$out/$build.txt" ]; then
        echo "compare: the $build session wrote nothing; its output:" >&2
        cat "$out/$build.log" >&2
        exit 1
    fi
done
if ! diff -u "$out/x86_64.txt" "$out/i686.txt"; then
    echo "compare: the 32-bit program differs from the x86_64 build (above)" >&2
    exit 1
fi
echo "compare: both builds gave the same $(wc -l <"$out/i686.txt") lines"
