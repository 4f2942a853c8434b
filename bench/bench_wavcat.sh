#!/usr/bin/env bash
# Benchmark: wavcat against cat joining the same 100 MB (10 WAV files of 10 MB of sample data,
# 16-bit mono PCM), both writing a new file into the same output folder; beside them the
# physical floor, the same 100 MB written once (dd of one 100 MB file into that folder).
# Each side runs 5 times, interleaved, with its previous output removed before each run (not
# timed); the median is printed with the spread (min..max), so the machine's noise shows.
# The goal: wavcat within 1.3x of cat.
#
# A last line times wavcat replacing an existing output, which it flushes to disk before the
# rename (see tools/wavcat/README.md); that one is disk-bound and has no cat counterpart.
#
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
runs=5

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/bench-wavcat.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/in" "$work/out"

# shellcheck disable=SC2059  # the format string is the bytes to write
le16() { local h; h=$(printf '%04x' "$1"); printf "\\x${h:2:2}\\x${h:0:2}"; }
# shellcheck disable=SC2059
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
  make_wav "$work/in/in$i.wav"
  inputs+=("$work/in/in$i.wav")
done
cat "${inputs[@]}" >"$work/in/all.bin"  # the floor's single input: the same bytes in one file

run_wavcat() { "$wavcat" "${inputs[@]}" "$work/out/wavcat.wav"; }
run_cat() { cat "${inputs[@]}" >"$work/out/cat.out"; }
run_floor() { dd if="$work/in/all.bin" of="$work/out/floor.out" bs=8M status=none; }

run_wavcat  # check that it works, and warm up
expected=$((44 + files * data_bytes))
actual=$(stat -c %s "$work/out/wavcat.wav")
if [[ $actual != "$expected" ]]; then
  echo "bench_wavcat: output holds $actual bytes, expected $expected" >&2
  exit 1
fi
if ! cmp -s <(tail -c +45 "$work/out/wavcat.wav") <(for f in "${inputs[@]}"; do tail -c +45 "$f"; done); then
  echo "bench_wavcat: the output's sample data differs from the inputs'" >&2
  exit 1
fi
run_cat
run_floor

# timed SIDE: runs side SIDE once into a fresh output and prints its wall time in seconds.
timed() {
  rm -f "$work/out/"*
  local start=$EPOCHREALTIME
  "run_$1"
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }'
}

declare -A times=([wavcat]="" [cat]="" [floor]="")
for ((r = 0; r < runs; r++)); do
  for side in wavcat cat floor; do times[$side]+="$(timed "$side") "; done
done
replacing=""
for ((r = 0; r < runs; r++)); do
  run_wavcat  # leaves an output for the timed run to replace
  start=$EPOCHREALTIME
  run_wavcat
  replacing+="$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f", b - a }') "
done

# stats TIMES...: "median min max" of the numbers given.
stats() {
  printf '%s\n' "$@" | sort -g | awk '{ t[NR] = $1 } END { printf "%s %s %s", t[int((NR + 1) / 2)], t[1], t[NR] }'
}

# shellcheck disable=SC2086  # the lists are split into their numbers on purpose
read -r w_med w_min w_max <<<"$(stats ${times[wavcat]})"
# shellcheck disable=SC2086
read -r c_med c_min c_max <<<"$(stats ${times[cat]})"
# shellcheck disable=SC2086
read -r f_med f_min f_max <<<"$(stats ${times[floor]})"
# shellcheck disable=SC2086
read -r r_med r_min r_max <<<"$(stats $replacing)"
mb=$(((files * data_bytes + 500000) / 1000000))
awk -v mb="$mb" -v runs="$runs" \
  -v wm="$w_med" -v wl="$w_min" -v wh="$w_max" \
  -v cm="$c_med" -v cl="$c_min" -v ch="$c_max" \
  -v fm="$f_med" -v fl="$f_min" -v fh="$f_max" \
  -v rm="$r_med" -v rl="$r_min" -v rh="$r_max" 'BEGIN {
  printf "joining %d MB into a new file, median of %d runs (min..max):\n", mb, runs
  printf "  wavcat %6.3f s (%.3f..%.3f)\n", wm, wl, wh
  printf "  cat    %6.3f s (%.3f..%.3f)\n", cm, cl, ch
  printf "  floor  %6.3f s (%.3f..%.3f)  the same bytes written once (dd bs=8M)\n", fm, fl, fh
  printf "  wavcat/cat %.2f (goal <= 1.3), wavcat/floor %.2f, cat/floor %.2f\n", wm / cm, wm / fm, cm / fm
  printf "replacing an existing output (flushed to disk first): wavcat %.3f s (%.3f..%.3f)\n", rm, rl, rh
}'
