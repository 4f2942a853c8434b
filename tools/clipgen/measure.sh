#!/usr/bin/env bash
# Measures the shipped tic clips with minimodem, an independent TTY decoder, on a clean signal.
#
# For each baud rate it joins "HELLO WORLD 123" from the tics (two mark bits, LTRS, letters,
# FIGS, digits, two mark bits: the framing minimodem --tx uses), decodes it at the nominal
# 1400/1800 Hz and prints minimodem's confidence figure, beside
#   - tics of the bit time cut from a sox tone at exactly 1400/1800 Hz, which do not hold
#     whole cycles, so that every join jumps in phase,
#   - minimodem's own continuous-phase signal (--tx) of the same text.
# For the noise margins see bench/bench_noise.sh.
#
# Usage: measure.sh [path/to/quillon-clipgen]    (needs minimodem and sox)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
clipgen=${1:-}
if [[ -z $clipgen ]]; then
  for guess in "$here/../../build/bin/quillon-clipgen" "$here/../../build-clipgen/bin/quillon-clipgen"; do
    [[ -x $guess ]] && clipgen=$guess && break
  done
fi
[[ -x ${clipgen:-} ]] || { echo "measure.sh: give the path of quillon-clipgen" >&2; exit 2; }
for tool in minimodem sox soxi; do
  command -v "$tool" >/dev/null || { echo "measure.sh: $tool is not installed" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/shipped" "$work/exact"
"$clipgen" --out "$work/shipped" >/dev/null

message="HELLO WORLD 123"
declare -A code=([A]=11000 [B]=10011 [C]=01110 [D]=10010 [E]=10000 [F]=10110 [G]=01011
  [H]=00101 [I]=01100 [J]=11010 [K]=11110 [L]=01001 [M]=00111 [N]=00110 [O]=00011
  [P]=01101 [Q]=11101 [R]=01010 [S]=10100 [T]=00001 [U]=11100 [V]=01111 [W]=11001
  [X]=10111 [Y]=10101 [Z]=10001 [" "]=00100 [1]=11101 [2]=11001 [3]=10000 [4]=01010
  [5]=00001 [6]=10101 [7]=11100 [8]=01100 [9]=00011 [0]=01101)
ltrs=11111
figs=11011

# frame DIR TAG BITS: the eight tic files of one character frame, one name a line.
frame() {
  local dir=$1 tag=$2 bits=$3 i
  echo "$dir/spacetic${tag}baud.wav"
  for ((i = 0; i < 5; i++)); do
    [[ ${bits:i:1} == 1 ]] && echo "$dir/marktic${tag}baud.wav" || echo "$dir/spacetic${tag}baud.wav"
  done
  echo "$dir/marktic${tag}baud.wav"
  echo "$dir/marktic${tag}baud.wav"
}

# join_message DIR TAG OUT: joins the message from the tics in DIR (sox joins sample data as is).
join_message() {
  local dir=$1 tag=$2 out=$3 shift=L c i
  local files=("$dir/marktic${tag}baud.wav" "$dir/marktic${tag}baud.wav")
  mapfile -t -O ${#files[@]} files < <(frame "$dir" "$tag" $ltrs)
  for ((i = 0; i < ${#message}; i++)); do
    c=${message:i:1}
    if [[ $c == [0-9] && $shift != F ]]; then mapfile -t -O ${#files[@]} files < <(frame "$dir" "$tag" $figs); shift=F; fi
    if [[ $c == [A-Z] && $shift != L ]]; then mapfile -t -O ${#files[@]} files < <(frame "$dir" "$tag" $ltrs); shift=L; fi
    mapfile -t -O ${#files[@]} files < <(frame "$dir" "$tag" "${code[$c]}")
  done
  files+=("$dir/marktic${tag}baud.wav" "$dir/marktic${tag}baud.wav")
  sox "${files[@]}" "$out"
}

# confidence FILE BAUD: minimodem's figure, or "lost" when the text differs.
confidence() {
  local text report
  report=$(minimodem --rx "$2" --baudot --stopbits 2.0 -M 1400 -S 1800 -f "$1" 2>&1 >"$work/text")
  text=$(tr -d '\n' <"$work/text")
  if [[ $text != "$message" ]]; then echo "lost ($text)"; return; fi
  sed -n 's/.*confidence=\([0-9.]*\).*/\1/p' <<<"$report" | head -1
}

printf '%-6s %-14s %-14s %-14s\n' baud "shipped tics" "exact Hz tics" "minimodem --tx"
for tag in 45 50 75 110; do
  baud=$tag; [[ $tag == 45 ]] && baud=45.45
  rate=$(soxi -r "$work/shipped/marktic${tag}baud.wav")
  seconds=$(awk -v b="$baud" -v r="$rate" 'BEGIN { printf "%.6f", int(r / b + 0.5) / r }')
  # 0.2203 of full scale is -10 dBm0, the shipped level.
  sox -D -n -r "$rate" -b 16 -c 1 -e signed-integer "$work/exact/marktic${tag}baud.wav" synth "$seconds" sine 1400 vol 0.2203
  sox -D -n -r "$rate" -b 16 -c 1 -e signed-integer "$work/exact/spacetic${tag}baud.wav" synth "$seconds" sine 1800 vol 0.2203
  join_message "$work/shipped" "$tag" "$work/shipped-$tag.wav"
  join_message "$work/exact" "$tag" "$work/exact-$tag.wav"
  printf '%s' "$message" | minimodem --tx "$baud" --baudot --stopbits 2.0 -M 1400 -S 1800 -R "$rate" -f "$work/own-$tag.wav"
  printf '%-6s %-14s %-14s %-14s\n' "$baud" \
    "$(confidence "$work/shipped-$tag.wav" "$baud")" \
    "$(confidence "$work/exact-$tag.wav" "$baud")" \
    "$(confidence "$work/own-$tag.wav" "$baud")"
done
