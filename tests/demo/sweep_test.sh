#!/usr/bin/env bash
# Plays the demo (DEMO_EXE) over the corpus in CORPUS into OUT and checks the session log it
# saved for each slider position: every utterance of every file, in order, with
#   - the reference's words (transcript mode, no PORT_FILE), or
#   - exactly the words and scores the recogniser reports for that file at that position
#     (recogniser mode: PORT_FILE names the running service's port file).
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
demo_exe=${1:?usage: sweep_test.sh DEMO_EXE CORPUS OUT [PORT_FILE]}
corpus=$2
out=$3
port_file=${4:-}
positions=(0 50 100)
rm -rf "$out"
mkdir -p "$out"
mapfile -t files <"$corpus/files.txt"
mapfile -t windows_files < <(corpus_windows_paths "$corpus")

if [ -n "$port_file" ]; then
    export TARVELL_STANDIN_RECOGNISER=$(cat "$port_file")
else
    unset TARVELL_STANDIN_RECOGNISER
fi
wine "$demo_exe" "$(winepath -w "$out")" "${windows_files[@]}" </dev/null >"$out/demo.txt" 2>&1 || {
    cat "$out/demo.txt"
    exit 1
}

# The "score : word" lines of a log's utterances, in order.
logged_words() {
    tr -d '\r' <"$1" | awk '
        / words in utterance, each with individual confidence scores:$/ { state = 1; next }
        state == 1 && $0 == "" { state = 2; next }
        state == 2 && /^-?[0-9]+ : / { print; next }
        { state = 0 }'
}

status=0
for position in "${positions[@]}"; do
    log="$out/session-log-$position.txt"
    if [ ! -s "$log" ]; then
        echo "FAIL: no session log for position $position"
        status=1
        continue
    fi
    if [ -n "$port_file" ]; then
        expected=$(for f in "${files[@]}"; do
            "$ROOT/build/recogniser/tarvell_recogniser" --decode "$corpus/$f" --accuracy "$position" |
                awk '$1 == "WORD" { text = $4; for (i = 5; i <= NF; i++) text = text " " $i; print $2 " : " text }'
        done)
        got=$(logged_words "$log")
    else
        expected=$(cat "$corpus/reference.txt" | tr -s ' \n' '\n\n' | sed '/^$/d')
        got=$(logged_words "$log" | sed 's/^-\?[0-9]* : //')
    fi
    if [ "$got" = "$expected" ]; then
        echo "position $position: $(wc -l <<<"$got") words as expected"
    else
        echo "FAIL: position $position: the saved log's words differ from those expected"
        diff <(echo "$expected") <(echo "$got") | head -20
        status=1
    fi
done
[ -s "$out/transcript.txt" ] || {
    echo "FAIL: transcript.txt missing"
    status=1
}
exit $status
