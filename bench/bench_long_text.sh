#!/usr/bin/env bash
# Benchmark: how `quillon-cli text` grows with the text. A 40,000-character text against a
# 4,000-character one, RUNS times each (default 5), interleaved, median and spread (min..max).
# Goals: the long text in at most 10x the short one's time; peak memory (the largest resident
# set of quillon-cli and the wavcat runs it starts, from /usr/bin/time -v) under 45 MB; and no
# chunk file left behind: the runs get a TMPDIR of their own, which must be empty afterwards.
# Usage: bench/bench_long_text.sh [BIN_DIR] [RUNS]   (default build/bin 5)
# BENCH_DIR names the folder for the scratch files (default: a new folder under TMPDIR).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=bench/bench_lib.sh
source "$here/bench_lib.sh"
bin=${1:-build/bin}
runs=${2:-5}
need_programs "$bin"
[[ -x /usr/bin/time ]] || { echo "bench_long_text: /usr/bin/time is missing (Debian package time)" >&2; exit 2; }
cli=$bin/quillon-cli

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/bench-long.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/out" "$work/tmp"
make_text 4000 >"$work/short.txt"
make_text 40000 >"$work/long.txt"

# build NAME: one timed build of NAME.txt; prints "seconds max-rss-kB".
build() {
  local start t
  start=$(now)
  TMPDIR="$work/tmp" /usr/bin/time -v -o "$work/time.txt" \
    "$cli" text --no-translate -o "$work/out/$1.wav" - <"$work/$1.txt" >"$work/$1.out"
  t=$(elapsed "$start")
  printf '%s %s' "$t" "$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")"
}

build long >/dev/null  # check that it works, and warm up
heard=$(minimodem --rx tdd -q -f "$work/out/long.wav" | tr -d '\n')
[[ $heard == "$(cat "$work/long.txt")" ]] || { echo "bench_long_text: the long WAV does not decode to its text" >&2; exit 1; }

short=() long=() rss=0
for ((r = 0; r < runs; r++)); do
  rm -f "$work/out/"*
  read -r t k <<<"$(build short)"; short+=("$t"); ((k > rss)) && rss=$k
  read -r t k <<<"$(build long)"; long+=("$t"); ((k > rss)) && rss=$k
done
left=$(find "$work/tmp" -mindepth 1 | wc -l)

echo "quillon-cli text, 4,000 against 40,000 characters, median of $runs runs (min..max):"
report "4,000 characters" "${short[@]}"
report "40,000 characters" "${long[@]}"
verdict "40,000/4,000" "$(median "${long[@]}")" "$(median "${short[@]}")" 10
awk -v k="$rss" 'BEGIN { printf "  peak memory %.1f MB (goal < 45): %s\n", k / 1024, (k / 1024 < 45 ? "met" : "MISSED") }'
echo "  files left in the build's TMPDIR: $left (goal 0): $([[ $left == 0 ]] && echo met || echo MISSED)"
