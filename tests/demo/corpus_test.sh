#!/usr/bin/env bash
# Speaks the demo's corpus into DIR and checks it: each reference is exactly the text handed
# to the synthesiser (flite is watched through a stand-in on PATH that records its calls),
# every file is a 16 kHz 16-bit PCM mono WAV, the recogniser finds one utterance per
# sentence, and the clean voices decode with a reasonable word error rate.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
dir=${1:?usage: corpus_test.sh DIR}
max_clean_wer=35 # per cent, at the slider's middle position
rm -rf "$dir"
mkdir -p "$dir"
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

# A flite that writes down the voice and the text of each call, then speaks as flite does.
shim="$dir/shim"
mkdir -p "$shim"
cat >"$shim/flite" <<EOF
#!/usr/bin/env bash
voice="" text=""
args=("\$@")
for ((i = 0; i < \${#args[@]}; i++)); do
    case "\${args[i]}" in
    -voice) voice=\${args[i + 1]} ;;
    -t) text=\${args[i + 1]} ;;
    esac
done
printf '%s\t%s\n' "\$voice" "\$text" >>"$dir/flite-calls.tsv"
exec $(command -v flite) "\$@"
EOF
chmod +x "$shim/flite"
PATH="$shim:$PATH" "$ROOT/scripts/make_corpus.sh" "$dir/corpus"
corpus="$dir/corpus"

# The references, file by file, are the synthesiser's texts in the order it spoke them.
mapfile -t files <"$corpus/files.txt"
[ ${#files[@]} -ge 3 ] || fail "only ${#files[@]} files in the corpus"
joined=$(for f in "${files[@]}"; do cat "$corpus/${f%.wav}.txt"; done)
[ "$joined" = "$(cat "$corpus/reference.txt")" ] || fail "reference.txt is not the files' references in order"
[ "$(cut -f2 "$dir/flite-calls.tsv")" = "$(cat "$corpus/reference.txt")" ] ||
    fail "the references differ from the texts handed to flite"
voices=$(cut -f1 "$dir/flite-calls.tsv" | sort -u | tr '\n' ' ')
[ "$voices" = "kal16 rms " ] || fail "voices used: $voices"

# WER in per cent of HYPOTHESIS against REFERENCE (words compared in lower case without
# punctuation): the least substitutions, deletions and insertions over the reference's words.
wer() {
    awk -v ref="$1" -v hyp="$2" 'BEGIN {
        n = split(tolower(ref), r, /[^a-z0-9'\'']+/); m = split(tolower(hyp), h, /[^a-z0-9'\'']+/)
        a = 0; for (i = 1; i <= n; i++) if (r[i] != "") R[++a] = r[i]; n = a
        b = 0; for (j = 1; j <= m; j++) if (h[j] != "") H[++b] = h[j]; m = b
        for (j = 0; j <= m; j++) d[0, j] = j
        for (i = 1; i <= n; i++) {
            d[i, 0] = i
            for (j = 1; j <= m; j++) {
                c = d[i - 1, j - 1] + (R[i] != H[j])
                if (d[i - 1, j] + 1 < c) c = d[i - 1, j] + 1
                if (d[i, j - 1] + 1 < c) c = d[i, j - 1] + 1
                d[i, j] = c
            }
        }
        printf "%d\n", n ? int(100 * d[n, m] / n + 0.5) : 0
    }'
}
[ "$(wer "The cat, sat." "the cat sat")" = 0 ] || fail "wer of equal texts"
[ "$(wer "a b c d" "a x c")" = 50 ] || fail "wer of one substitution and one deletion"

[ -x "$ROOT/build/recogniser/tarvell_recogniser" ] || build_recogniser
for f in "${files[@]}"; do
    wav="$corpus/$f"
    [ "$(head -c 4 "$wav")" = RIFF ] || fail "$f is not RIFF"
    # Format tag 1 (plain PCM), 1 channel, 16000 Hz, 16 bits: what the engine and the
    # recogniser take without conversion.
    header=$(od -An -tu2 -j20 -N4 "$wav" | xargs)
    rate=$(od -An -tu4 -j24 -N4 "$wav" | xargs)
    bits=$(od -An -tu2 -j34 -N2 "$wav" | xargs)
    [ "$header $rate $bits" = "1 1 16000 16" ] || fail "$f: format tag, channels, rate, bits: $header $rate $bits"

    sentences=$(grep -c . "$corpus/${f%.wav}.txt")
    decoded=$("$ROOT/build/recogniser/tarvell_recogniser" --decode "$wav" --accuracy 50)
    utterances=$(sed -n 's/^READY //p' <<<"$decoded")
    [ "$utterances" = "$sentences" ] || fail "$f: $utterances utterances for $sentences sentences"
    said=$(awk '$1 == "WORD" { printf "%s%s", sep, $4; sep = " " }' <<<"$decoded")
    rate=$(wer "$(cat "$corpus/${f%.wav}.txt")" "$said")
    echo "$f: WER $rate% ($said)"
    case "$f" in
    clean-*) [ "$rate" -le $max_clean_wer ] || fail "$f: WER $rate% above $max_clean_wer%" ;;
    esac
done
exit $status
