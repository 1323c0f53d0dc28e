#!/usr/bin/env bash
# Speaks the demo's corpus with flite into OUT: for each file NAME.wav (16 kHz, 16-bit PCM
# mono, what the recogniser decodes without resampling), one sentence per utterance with
# pauses between, and NAME.txt, the sentences exactly as handed to the synthesiser. Also
# OUT/files.txt, the file names in order, and OUT/reference.txt, every sentence in that order.
# The voices are those PocketSphinx hears best (rms, kal16); one file has pink noise mixed in,
# so that wrong words with low scores show beside right ones. sox runs repeatable (-R): its
# noise and dither are seeded, so every run speaks the same files.
set -euo pipefail
out=${1:?usage: make_corpus.sh OUTPUT_FOLDER}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# NAME VOICE NOISE (a sox noise type:volume, or -) | SENTENCE; a file's lines in order.
corpus() {
    cat <<'EOF'
clean-rms rms - | Please call me back when you have a free moment.
clean-rms rms - | The quick brown fox jumps over the lazy dog.
clean-rms rms - | We will meet at the station at nine in the morning.
clean-kal16 kal16 - | Each utterance gets a real time factor and a score for every word.
clean-kal16 kal16 - | The weather today is cold and windy with some rain.
noisy-kal16 kal16 pinknoise:0.015 | Speech recognition turns spoken words into text.
noisy-kal16 kal16 pinknoise:0.015 | Please send the report to the team before lunch.
EOF
}

# Joins the spoken parts of one file and mixes its noise in.
finish_file() {
    local name=$1 noise=$2
    shift 2
    sox -R "$@" "$work/speech.wav"
    if [ "$noise" = - ]; then
        mv "$work/speech.wav" "$out/$name.wav"
    else
        sox -R -n -r 16000 -c 1 -b 16 "$work/noise.wav" \
            synth "$(soxi -D "$work/speech.wav")" "${noise%%:*}" vol "${noise##*:}"
        sox -R -m "$work/speech.wav" "$work/noise.wav" -e signed-integer "$out/$name.wav"
    fi
}

: >"$out/files.txt"
: >"$out/reference.txt"
current="" current_noise="" parts=()
i=0
while IFS='|' read -r entry sentence; do
    read -r name voice noise <<<"$entry"
    sentence=${sentence# }
    if [ "$name" != "$current" ]; then
        [ -n "$current" ] && finish_file "$current" "$current_noise" "${parts[@]}"
        current=$name current_noise=$noise parts=()
        echo "$name.wav" >>"$out/files.txt"
        : >"$out/$name.txt"
    fi
    # The reference is written from the same variable the synthesiser is given.
    printf '%s\n' "$sentence" | tee -a "$out/$name.txt" >>"$out/reference.txt"
    flite -voice "$voice" -t "$sentence" -o "$work/raw$i.wav"
    sox -R "$work/raw$i.wav" -r 16000 -c 1 -b 16 -e signed-integer "$work/part$i.wav" pad 0.6 0.6
    parts+=("$work/part$i.wav")
    i=$((i + 1))
done < <(corpus)
finish_file "$current" "$current_noise" "${parts[@]}"
