#!/usr/bin/env bash
# Takes the demo's picture (DEMO_EXE --screenshot) of one run over the corpus in CORPUS, in
# transcript mode, through LOADER (wine, or the emulated 32-bit loader), and checks that the
# run counted every word of the references and left a PNG of the whole dialog.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
loader=${1:?usage: screenshot_test.sh LOADER DEMO_EXE CORPUS OUT}
demo_exe=$2
corpus=$3
out=$4
rm -rf "$out"
mkdir -p "$out"
mapfile -t windows_files < <(corpus_windows_paths "$corpus")
image="$out/tarvell.png"

unset TARVELL_STANDIN_RECOGNISER
"$loader" "$demo_exe" --screenshot "$(winepath -w "$image")" "${windows_files[@]}" \
    </dev/null >"$out/demo.txt" 2>&1 || {
    cat "$out/demo.txt"
    exit 1
}

status=0
spoken=$(wc -w <"$corpus/reference.txt")
if ! grep -q "^Pictured at slider 50: [0-9]* utterances, $spoken words," "$out/demo.txt"; then
    echo "FAIL: the run did not count the references' $spoken words:"
    cat "$out/demo.txt"
    status=1
fi
if ! grep -q "^Close button: a cross" "$out/demo.txt"; then
    echo "FAIL: the caption's close button shows no cross:"
    grep "^Close button" "$out/demo.txt" || true
    status=1
fi
# The PNG signature, then IHDR's width and height (big-endian), at least the dialog's size.
read -r signature < <(od -An -tx1 -N8 "$image" | tr -d ' ')
read -r width height < <(od -An -tu1 -j16 -N8 "$image" |
    awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }')
if [ "$signature" != 89504e470d0a1a0a ] || [ "$width" -lt 900 ] || [ "$height" -lt 500 ]; then
    echo "FAIL: $image is not a picture of the dialog (signature $signature, ${width}x$height)"
    status=1
else
    echo "the dialog pictured: ${width}x$height, $spoken words transcribed"
fi
exit $status
