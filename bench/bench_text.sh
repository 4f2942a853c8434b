#!/usr/bin/env bash
# Times `quillon-cli text` against `minimodem --tx tdd` on the same texts,
# a 200-character and a 5,000-character one, and prints the ratios.
#   bench/bench_text.sh [BIN_DIR]     (default: build/bin)
set -euo pipefail
bin="${1:-build/bin}"
cli="$bin/quillon-cli"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

make_text() {  # make_text LENGTH
  local sentence="CALL THE HELP DESK AT 555-0100, EXT. 42, BETWEEN 8 AND 5. "
  local text=""
  while ((${#text} < $1)); do text+="$sentence"; done
  printf '%s' "${text:0:$1}"
}

best_of() {  # best_of RUNS command...: the fastest wall time in seconds
  local runs="$1" best="" t
  shift
  for ((i = 0; i < runs; i++)); do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }')
    if [[ -z $best ]] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  printf '%.3f' "$best"
}

for length in 200 5000; do
  make_text "$length" >"$work/text.txt"
  q=$(best_of 3 sh -c "\"$cli\" text --no-translate -o \"$work/q.wav\" - < \"$work/text.txt\"")
  m=$(best_of 3 sh -c "minimodem --tx tdd -f \"$work/m.wav\" < \"$work/text.txt\"")
  ratio=$(awk -v q="$q" -v m="$m" 'BEGIN { print q / m }')
  printf 'text %5d chars: quillon-cli %s s, minimodem --tx tdd %s s, ratio %.2f\n' "$length" "$q" "$m" "$ratio"
done
