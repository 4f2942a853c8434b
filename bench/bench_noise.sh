#!/usr/bin/env bash
# Benchmark: how much white noise a TTY text joined from the shipped tic clips survives, beside
# minimodem's own continuous-phase signal at the same rate and sample rate (8 kHz).
#
# For each rate (45.45, 50, 75, 110 baud) it joins a 90-character text from a freshly generated
# clip set with wavcat, frame by frame as the alphabet construction builds character clips
# (start bit = space, the five code bits in the order sent with mark = 1, two stop bits = mark),
# with FIGS/LTRS shifts where the text needs them, framed exactly as minimodem --tx frames the
# same text: two mark bits, LTRS, the characters, two mark bits. So only the tics differ.
# White noise over 0-4 kHz (sox, one stretch of noise per seed) is added at a sweep of SNRs
# (tone power to noise power), and minimodem decodes each mix:
#   --rx tdd                                                    at 45.45 baud
#   --rx RATE --baudot --stopbits 2.0 -M 1400 -S 1800           at 50, 75, 110 baud
# A signal's noise break for one seed is the lowest SNR down to which every step of the sweep
# decodes with at most 1 % character errors (edit distance; for 90 characters: none). One
# seed's break swings by 1 to 3 dB from the next (and minimodem itself is not quite
# deterministic), so the mean over many seeds is printed, with the worst seed; two seeds are
# too few to tell designs 1 dB apart. The last column is the tics' mean minus minimodem's.
#
# Usage: bench/bench_noise.sh [--tics DIR] [BIN_DIR]
#   BIN_DIR  folder with quillon-clipgen and wavcat (default build/bin)
#   --tics   join the text from the tic clips in DIR instead (to measure a candidate design)
# Environment: SEEDS (default 20), SNR_TOP (6), SNR_BOTTOM (-14), SNR_STEP (0.5), JOBS (2),
# RATES ("45 50 75 110"), NOISE_SEEDS_SHOWN (set: print every seed's break),
# NOISE_DEBUG (set: print every decode).
# Needs sox and minimodem. About 3 minutes on 2 cores with 20 seeds.
set -euo pipefail

tics_dir=""
if [[ ${1:-} == --tics ]]; then
  tics_dir=$(cd "$2" && pwd)
  shift 2
fi
bin=${1:-build/bin}
seeds=${SEEDS:-20}
snr_top=${SNR_TOP:-6}
snr_bottom=${SNR_BOTTOM:--14}
snr_step=${SNR_STEP:-0.5}
jobs=${JOBS:-2}
rates=${RATES:-45 50 75 110}
for tool in sox minimodem; do
  command -v "$tool" >/dev/null || { echo "bench_noise: $tool is not installed" >&2; exit 2; }
done
for program in quillon-clipgen wavcat; do
  [[ -x $bin/$program ]] || { echo "bench_noise: no $program in '$bin' (build it, or pass BIN_DIR)" >&2; exit 2; }
done
bin=$(cd "$bin" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/bench-noise.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/clips"
"$bin/quillon-clipgen" --out "$work/clips" >/dev/null
tics=${tics_dir:-$work/clips}

# 90 characters: every letter, every digit, the space.
text="THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890 PACK MY BOX WITH FIVE DOZEN JUGS OK"
((${#text} == 90)) || { echo "bench_noise: the text must hold 90 characters" >&2; exit 1; }

declare -A code=([A]=11000 [B]=10011 [C]=01110 [D]=10010 [E]=10000 [F]=10110 [G]=01011
  [H]=00101 [I]=01100 [J]=11010 [K]=11110 [L]=01001 [M]=00111 [N]=00110 [O]=00011
  [P]=01101 [Q]=11101 [R]=01010 [S]=10100 [T]=00001 [U]=11100 [V]=01111 [W]=11001
  [X]=10111 [Y]=10101 [Z]=10001 [" "]=00100 [1]=11101 [2]=11001 [3]=10000 [4]=01010
  [5]=00001 [6]=10101 [7]=11100 [8]=01100 [9]=00011 [0]=01101)
ltrs=11111
figs=11011

# frame TAG BITS: appends the eight tic files of one frame to the array `files`.
frame() {
  local tag=$1 bits=$2 i
  files+=("$tics/spacetic${tag}baud.wav")
  for ((i = 0; i < 5; i++)); do
    if [[ ${bits:i:1} == 1 ]]; then files+=("$tics/marktic${tag}baud.wav"); else files+=("$tics/spacetic${tag}baud.wav"); fi
  done
  files+=("$tics/marktic${tag}baud.wav" "$tics/marktic${tag}baud.wav")
}

# build_ours TAG OUT: joins the text from the tics with wavcat, framed as minimodem --tx frames
# it (two mark bits, LTRS, the text, two mark bits), so that only the tics differ.
build_ours() {
  local tag=$1 c i shift=L
  files=("$tics/marktic${tag}baud.wav" "$tics/marktic${tag}baud.wav")
  frame "$tag" $ltrs
  for ((i = 0; i < ${#text}; i++)); do
    c=${text:i:1}
    if [[ $c == [0-9] && $shift != F ]]; then frame "$tag" $figs; shift=F; fi
    if [[ $c == [A-Z] && $shift != L ]]; then frame "$tag" $ltrs; shift=L; fi
    frame "$tag" "${code[$c]}"
  done
  files+=("$tics/marktic${tag}baud.wav" "$tics/marktic${tag}baud.wav")
  "$bin/wavcat" "${files[@]}" "$2"
}

baud_of() { [[ $1 == 45 ]] && echo 45.45 || echo "$1"; }
mode_of() {
  if [[ $1 == 45 ]]; then echo tdd; else echo "$1 --baudot --stopbits 2.0 -M 1400 -S 1800"; fi
}

rms() { sox "$1" -n stat 2>&1 | awk '/RMS +amplitude/ { print $3 }'; }

# errors DECODED: the edit distance between DECODED and the text sent.
errors() {
  awk -v a="$1" -v b="$text" 'BEGIN {
    n = length(a); m = length(b)
    for (j = 0; j <= m; j++) prev[j] = j
    for (i = 1; i <= n; i++) {
      cur[0] = i
      for (j = 1; j <= m; j++) {
        cost = (substr(a, i, 1) == substr(b, j, 1)) ? 0 : 1
        v = prev[j - 1] + cost
        if (prev[j] + 1 < v) v = prev[j] + 1
        if (cur[j - 1] + 1 < v) v = cur[j - 1] + 1
        cur[j] = v
      }
      for (j = 0; j <= m; j++) prev[j] = cur[j]
    }
    print prev[m]
  }'
}

# sweep NAME TAG: the noise break of signal $work/NAME-TAG.wav, written to $work/NAME-TAG.break.
sweep() {
  local name=$1 tag=$2 wav="$work/$1-$2.wav" seed snr gain decoded e per_seed=""
  local samples signal_gain
  samples=$(soxi -s "$wav")
  # The signal is scaled to an RMS of 0.05 so that signal and noise never clip.
  signal_gain=$(awk -v r="$(rms "$wav")" 'BEGIN { printf "%.6f", 0.05 / r }')
  for ((seed = 0; seed < seeds; seed++)); do
    local noise="$work/noise-$name-$tag-$seed.wav" last_pass=""
    sox "$work/noise.wav" "$noise" trim "$((seed * 400000))s" "${samples}s"
    local noise_rms
    noise_rms=$(rms "$noise")
    for snr in $(seq "$snr_top" "-$snr_step" "$snr_bottom"); do
      gain=$(awk -v r="$noise_rms" -v s="$snr" 'BEGIN { printf "%.6f", 0.05 / (r * 10 ^ (s / 20)) }')
      sox -m -v "$signal_gain" "$wav" -v "$gain" "$noise" -e floating-point -b 32 "$work/mix-$name-$tag.wav"
      # shellcheck disable=SC2046
      decoded=$(minimodem --rx $(mode_of "$tag") -q -f "$work/mix-$name-$tag.wav" 2>/dev/null | tr -d '\r\n')
      e=$(errors "$decoded")
      [[ -n ${NOISE_DEBUG:-} ]] && echo "$name $tag seed $seed snr $snr errors $e: $decoded" >&2
      if ((e * 100 > ${#text} * 1)); then break; fi
      last_pass=$snr
    done
    per_seed+="${per_seed:+ }${last_pass:-$(awk -v t="$snr_top" -v s="$snr_step" 'BEGIN { print t + s }')}"
  done
  # mean, worst (highest) and every seed's break
  awk -v list="$per_seed" 'BEGIN {
    n = split(list, v, " "); sum = 0; worst = v[1]
    for (i = 1; i <= n; i++) { sum += v[i]; if (v[i] + 0 > worst + 0) worst = v[i] }
    printf "%.1f %s %s\n", sum / n, worst, list
  }' >"$work/$name-$tag.break"
}

# The noise: seeds times 400000 samples (50 s) of white noise, each seed its own stretch.
sox -R -n -r 8000 -c 1 -b 32 -e floating-point "$work/noise.wav" synth "$((seeds * 50 + 1))" whitenoise

for tag in $rates; do
  build_ours "$tag" "$work/ours-$tag.wav"
  # shellcheck disable=SC2046
  printf '%s' "$text" | minimodem --tx $(mode_of "$tag") -R 8000 -f "$work/minimodem-$tag.wav"
done
for tag in $rates; do
  for name in ours minimodem; do
    while (($(jobs -rp | wc -l) >= jobs)); do wait -n; done
    sweep "$name" "$tag" &
  done
done
wait

# column NAME TAG: "mean (worst)" of a signal's breaks.
column() { awk '{ printf "%5.1f (%s)", $1, $2 }' "$work/$1-$2.break"; }

echo "noise break: the lowest SNR (dB, tone to white noise over 0-4 kHz) down to which 90"
echo "characters still decode with at most 1 % errors; mean over $seeds noise seeds (worst seed)"
printf '%-8s %-16s %-16s %s\n' baud "joined tics" "minimodem --tx" "difference of the means"
for tag in $rates; do
  printf '%-8s %-16s %-16s %+.1f\n' "$(baud_of "$tag")" "$(column ours "$tag")" \
    "$(column minimodem "$tag")" \
    "$(awk 'NR == FNR { a = $1; next } { print a - $1 }' "$work/ours-$tag.break" "$work/minimodem-$tag.break")"
done
if [[ -n ${NOISE_SEEDS_SHOWN:-} ]]; then
  for tag in $rates; do
    for name in ours minimodem; do
      echo "$(baud_of "$tag") $name: $(cut -d' ' -f3- "$work/$name-$tag.break")"
    done
  done
fi
