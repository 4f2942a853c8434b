#!/usr/bin/env bash
# Benchmark: wavcat against cat on about 100 MB of WAV files (10 inputs of 10 MB of sample
# data each, 16-bit mono PCM). Times each best of 3 and prints one line:
#   wavcat 100MB: 0.21 s, cat: 0.15 s, ratio 1.4
# The goal is a ratio of at most 2. wavcat flushes its output to disk (fsync) before renaming it
# into place; cat does not, so the comparison is tilted against wavcat.
# Usage: bench/bench_wavcat.sh [path/to/wavcat]   (default build/bin/wavcat)
# BENCH_DIR names the folder for the scratch files (default: a new folder under TMPDIR).
set -euo pipefail

wavcat=${1:-build/bin/wavcat}
if [[ ! -x $wavcat ]]; then
  echo "bench_wavcat: no wavcat program at '$wavcat' (build it, or pass its path)" >&2
  exit 2
fi
files=10
data_bytes=10000000

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/bench-wavcat.XXXXXX")
trap 'rm -rf "$work"' EXIT

le16() { local h; h=$(printf '%04x' "$1"); printf "\\x${h:2:2}\\x${h:0:2}"; }
le32() { local h; h=$(printf '%08x' "$1"); printf "\\x${h:6:2}\\x${h:4:2}\\x${h:2:2}\\x${h:0:2}"; }

# make_wav PATH: a 16-bit mono 8 kHz PCM file with data_bytes of noise under a 44-byte header.
make_wav() {
  {
    printf 'RIFF'; le32 $((36 + data_bytes)); printf 'WAVEfmt '
    le32 16; le16 1; le16 1; le32 8000; le32 16000; le16 2; le16 16
    printf 'data'; le32 "$data_bytes"
    head -c "$data_bytes" /dev/urandom
  } >"$1"
}

inputs=()
for ((i = 0; i < files; i++)); do
  make_wav "$work/in$i.wav"
  inputs+=("$work/in$i.wav")
done

now() { date +%s.%N; }

# best_of_3 COMMAND...: the shortest wall time of three runs, in seconds.
best_of_3() {
  local best="" start end t
  for _ in 1 2 3; do
    start=$(now)
    "$@"
    end=$(now)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')
    if [[ -z $best ]] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  echo "$best"
}

run_cat() { cat "${inputs[@]}" >"$work/cat.out"; }
run_wavcat() { "$wavcat" "${inputs[@]}" "$work/wavcat.wav"; }

run_wavcat  # check that it works, and warm up
expected=$((44 + files * data_bytes))
actual=$(stat -c %s "$work/wavcat.wav")
if [[ $actual != "$expected" ]]; then
  echo "bench_wavcat: output holds $actual bytes, expected $expected" >&2
  exit 1
fi

t_cat=$(best_of_3 run_cat)
t_wavcat=$(best_of_3 run_wavcat)
mb=$(((files * data_bytes + 500000) / 1000000))
awk -v w="$t_wavcat" -v c="$t_cat" -v mb="$mb" \
  'BEGIN { printf "wavcat %dMB: %.2f s, cat: %.2f s, ratio %.1f\n", mb, w, c, (c > 0 ? w / c : 0) }'
