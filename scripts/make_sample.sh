#!/usr/bin/env bash
# Speaks a short English sample with espeak-ng and writes it, with its transcript, as
# OUT/sample.wav and OUT/sample.txt: 16 kHz, 16-bit PCM mono, one sentence per utterance,
# pauses between them and a little background noise, as a recording would have.
set -euo pipefail
out=${1:?usage: make_sample.sh OUTPUT_FOLDER}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sentences=(
    "Speech recognition turns spoken words into text."
    "Tarvell measures how fast and how confidently that happens."
    "Each utterance gets a real time factor and a score for every word."
)

parts=()
i=0
for sentence in "${sentences[@]}"; do
    espeak-ng -v en-us -s 150 -w "$work/raw$i.wav" "$sentence"
    sox "$work/raw$i.wav" -r 16000 -c 1 -b 16 "$work/part$i.wav" pad 0.6 0.6
    parts+=("$work/part$i.wav")
    i=$((i + 1))
done
sox "${parts[@]}" "$work/speech.wav"
length=$(soxi -D "$work/speech.wav")
sox -n -r 16000 -c 1 -b 16 "$work/noise.wav" synth "$length" whitenoise vol 0.03
sox -m "$work/speech.wav" "$work/noise.wav" "$out/sample.wav"
printf '%s\n' "${sentences[@]}" > "$out/sample.txt"
