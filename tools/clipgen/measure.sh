#!/usr/bin/env bash
# Measures the shipped tic clips with minimodem, an independent TTY decoder.
#
# For each baud rate it joins the tics into "HELLO WORLD 123" (lead-in, LTRS, letters,
# FIGS, digits, closing LTRS), decodes it and prints minimodem's confidence figure:
#   - shipped tics, receiver on the nominal 1400/1800 Hz,
#   - shipped tics, receiver on the tics' own whole-cycle tones,
#   - for comparison, tics of the same length cut from a sox tone at exactly 1400/1800 Hz,
#     which do not hold whole cycles, so every join jumps in phase.
#
# Usage: measure.sh [path/to/quillon-clipgen]    (needs minimodem and sox)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
clipgen=${1:-}
if [[ -z $clipgen ]]; then
  for guess in "$here/../../build-clipgen/bin/quillon-clipgen" "$here/../../build/bin/quillon-clipgen"; do
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

# join DIR TAG OUT: joins the message from the tics in DIR (sox joins sample data as is).
join_message() {
  local dir=$1 tag=$2 out=$3 shift="" c i files=("$work/shipped/smallsilence.wav")
  for ((i = 0; i < ${#message}; i++)); do
    c=${message:i:1}
    if [[ $c == [0-9] && $shift != F ]]; then mapfile -t -O ${#files[@]} files < <(frame "$dir" "$tag" $figs); shift=F; fi
    if [[ $c != [0-9] && $shift != L ]]; then mapfile -t -O ${#files[@]} files < <(frame "$dir" "$tag" $ltrs); shift=L; fi
    mapfile -t -O ${#files[@]} files < <(frame "$dir" "$tag" "${code[$c]}")
  done
  mapfile -t -O ${#files[@]} files < <(frame "$dir" "$tag" $ltrs)
  sox "${files[@]}" "$out"
}

# confidence FILE BAUD MARK SPACE: minimodem's figure, or "lost" when the text differs.
confidence() {
  local text report
  report=$(minimodem --rx "$2" --baudot --stopbits 2.0 -M "$3" -S "$4" -f "$1" 2>&1 >"$work/text")
  text=$(tr -d '\n' <"$work/text")
  if [[ $text != "$message" ]]; then echo "lost ($text)"; return; fi
  sed -n 's/.*confidence=\([0-9.]*\).*/\1/p' <<<"$report" | head -1
}

printf '%-6s %-8s %-18s %-12s %-12s %-14s\n' baud samples "tones (Hz)" "conf@nominal" "conf@own" "exact-Hz conf"
for tag in 45 50 75 110; do
  baud=$tag; [[ $tag == 45 ]] && baud=45.45
  samples=$(soxi -s "$work/shipped/marktic${tag}baud.wav")
  rate=$(soxi -r "$work/shipped/marktic${tag}baud.wav")
  # The tics' own tones: the whole number of cycles per tic nearest 1400 and 1800 Hz.
  mark=$(awk -v n="$samples" -v r="$rate" 'BEGIN{printf "%.2f", int(1400*n/r+0.5)*r/n}')
  space=$(awk -v n="$samples" -v r="$rate" 'BEGIN{printf "%.2f", int(1800*n/r+0.5)*r/n}')
  seconds=$(awk -v n="$samples" -v r="$rate" 'BEGIN{printf "%.6f", n/r}')
  # 0.2203 of full scale is -10 dBm0, the shipped level.
  sox -D -n -r "$rate" -b 16 -c 1 -e signed-integer "$work/exact/marktic${tag}baud.wav" synth "$seconds" sine 1400 vol 0.2203
  sox -D -n -r "$rate" -b 16 -c 1 -e signed-integer "$work/exact/spacetic${tag}baud.wav" synth "$seconds" sine 1800 vol 0.2203
  join_message "$work/shipped" "$tag" "$work/shipped-$tag.wav"
  join_message "$work/exact" "$tag" "$work/exact-$tag.wav"
  printf '%-6s %-8s %-18s %-12s %-12s %-14s\n' "$baud" "$samples" "$mark/$space" \
    "$(confidence "$work/shipped-$tag.wav" "$baud" 1400 1800)" \
    "$(confidence "$work/shipped-$tag.wav" "$baud" "$mark" "$space")" \
    "$(confidence "$work/exact-$tag.wav" "$baud" 1400 1800)"
done
