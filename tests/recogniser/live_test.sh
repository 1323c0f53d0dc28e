#!/usr/bin/env bash
# The recogniser's live mode against a service of its own, over loopback TCP:
#   live_test.sh DIR [FILE.wav]   (without a file, speaks the demo's corpus into DIR/corpus
#                                  and takes its clean-kal16.wav; FILE.txt beside it holds
#                                  the file's sentences, one a line)
# One file played as a microphone: the lines' order, stamps and pace; requests refused while
# and around it; STOP and a vanished client each let go of the decoder.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
dir=$1
mkdir -p "$dir"
if [ $# -ge 2 ]; then
    wav=$2
else
    "$ROOT/scripts/make_corpus.sh" "$dir/corpus"
    wav=$dir/corpus/clean-kal16.wav
fi
bin=$ROOT/build/recogniser/tarvell_recogniser
[ -x "$bin" ] || build_recogniser
trap 'stop_recogniser "$dir/service"' EXIT
start_recogniser "$dir/service"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# Every answer is waited for, never long.
answer() { # FD WHAT-WAS-ASKED
    read -r -t 20 line <&"$1" || fail "no answer to $2"
}
expect() { # FD PATTERN WHAT-WAS-ASKED
    answer "$1" "$3"
    # shellcheck disable=SC2053 # a pattern
    [[ $line == $2 ]] || fail "$3: '$line', expected '$2'"
}
ms_since() { echo $((($(date +%s%N) - $1) / 1000000)); }

exec 3<>"/dev/tcp/127.0.0.1/$RECOGNISER_PORT"
# Each refusal is one line: the PONG after it is the very next.
for request in "HELLO" "LISTEN" "LISTEN 50 wav" "LISTEN 50 wav $dir/missing.wav" \
    "LISTEN 50 mic tarvell-no-such-device"; do
    printf '%s\nPING\n' "$request" >&3
    expect 3 "ERR *" "$request"
    case $request in
    *missing*) [[ $line == "ERR unreadable "* ]] || fail "$request: $line" ;;
    *mic*) [[ $line == "ERR device "* ]] || fail "$request: $line" ;;
    *) [[ $line == "ERR request "* ]] || fail "$request: $line" ;;
    esac
    expect 3 PONG "PING after $request"
done

# The file as a microphone, with requests in the middle of it.
printf 'LISTEN 50 wav %s\n' "$wav" >&3
expect 3 LISTENING "LISTEN"
began=$(date +%s%N)
speech=() asked=no pong=no refused=no
utterances=0
while answer 3 "LISTEN (utterance $utterances)"; do
    read -r kind n start end _ _ words <<<"$line"
    case $kind in
    SPEECH)
        [ "$n" = "$utterances" ] && [ -z "${speech[$n]:-}" ] || fail "out of turn: $line"
        speech[n]=$start
        if [ $asked = no ]; then
            printf 'PING\nNEXT\n' >&3
            exec 4<>"/dev/tcp/127.0.0.1/$RECOGNISER_PORT"
            printf 'DECODE 50 %s\n' "$wav" >&4
            expect 4 "ERR busy *" "DECODE while another client listens"
            exec 4>&-
            asked=yes
        fi
        ;;
    UTT)
        [ "$n" = "$utterances" ] && [ -n "${speech[$n]:-}" ] || fail "UTT without its SPEECH: $line"
        ((speech[n] <= start + 300 && start < end)) || fail "SPEECH at ${speech[$n]}, then $line"
        ((words > 0)) || fail "no words: $line"
        for ((i = 0; i < words; i++)); do expect 3 "WORD * * *" "$line"; done
        utterances=$((utterances + 1))
        ;;
    PONG) pong=yes ;;
    "ERR") [[ $line == "ERR request listening" ]] && refused=yes || fail "$line" ;;
    END) break ;;
    *) fail "unexpected while listening: $line" ;;
    esac
done
elapsed=$(ms_since "$began")
[ "$line" = "END eof" ] || fail "ended with '$line'"
[ $pong = yes ] && [ $refused = yes ] || fail "PING or NEXT while listening unanswered"
sentences=$(grep -c . "${wav%.wav}.txt")
[ "$utterances" = "$sentences" ] || fail "$utterances utterances for $sentences sentences"
duration=$(soxi -D "$wav" | awk '{ printf "%d", $1 * 1000 }')
((elapsed > duration - 300 && elapsed < duration + 5000)) ||
    fail "played $duration ms of audio in $elapsed ms"
printf 'PING\n' >&3
expect 3 PONG "PING after END"

# STOP ends listening and the connection stays; a client that vanishes lets go of the decoder.
printf 'LISTEN 50 wav %s\n' "$wav" >&3
expect 3 LISTENING "LISTEN again"
printf 'STOP\n' >&3
while answer 3 STOP && [[ $line != END* ]]; do :; done
[ "$line" = "END stopped" ] || fail "STOP: $line"
printf 'LISTEN 50 wav %s\n' "$wav" >&3
expect 3 LISTENING "LISTEN after STOP"
exec 3>&-
exec 3<>"/dev/tcp/127.0.0.1/$RECOGNISER_PORT"
printf 'LISTEN 50 wav %s\nSTOP\n' "$wav" >&3
expect 3 LISTENING "LISTEN after a client vanished"
exec 3>&-
kill -0 "$RECOGNISER_PID" || fail "the service ended"

started=$(date +%s%N)
if "$bin" --probe-mic tarvell-no-such-device 2>/dev/null; then fail "--probe-mic found no device"; fi
(($(ms_since "$started") < 2000)) || fail "--probe-mic took $(ms_since "$started") ms"
echo "live: $utterances utterances, $elapsed ms for $duration ms of audio"
