#!/usr/bin/env bash
# Benchmark: `quillon-cli text` against `minimodem --tx tdd -R 8000` on the same texts (a
# 200-character and a 5,000-character one), both at 8 kHz, both writing a file (-f) into the
# same output folder. Each side runs RUNS times (default 5), interleaved; the median is printed
# with the spread (min..max), so the machine's noise shows. The goal: quillon-cli at most 0.5x
# minimodem's time. quillon-cli runs twice: as people run it (every WAV read back by the
# receiver) and with --no-verify (the build alone, the same work minimodem does).
# Usage: bench/bench_text.sh [BIN_DIR] [RUNS]   (default build/bin 5)
# BENCH_DIR names the folder for the scratch files (default: a new folder under TMPDIR).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=bench/bench_lib.sh
source "$here/bench_lib.sh"
bin=${1:-build/bin}
runs=${2:-5}
need_programs "$bin"
cli=$bin/quillon-cli

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/bench-text.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"

echo "quillon-cli text against minimodem --tx tdd -R 8000, median of $runs runs (min..max):"
for length in 200 5000; do
  make_text "$length" >"$work/text.txt"
  run_quillon() { "$cli" text --no-translate -o "$work/out/q.wav" - <"$work/text.txt" >/dev/null; }
  run_unchecked() {
    "$cli" text --no-translate --no-verify -o "$work/out/u.wav" - <"$work/text.txt" >/dev/null
  }
  run_minimodem() { minimodem --tx tdd -R 8000 -f "$work/out/m.wav" <"$work/text.txt"; }
  run_quillon  # check that it works, and warm up
  heard=$(minimodem --rx tdd -q -f "$work/out/q.wav" | tr -d '\n')
  if [[ $heard != "$(cat "$work/text.txt")" ]]; then
    echo "bench_text: the $length-character WAV does not decode to its text" >&2
    exit 1
  fi
  q=() u=() m=()
  for ((r = 0; r < runs; r++)); do
    rm -f "$work/out/"*
    start=$(now); run_quillon; q+=("$(elapsed "$start")")
    start=$(now); run_unchecked; u+=("$(elapsed "$start")")
    start=$(now); run_minimodem; m+=("$(elapsed "$start")")
  done
  echo " text of $length characters:"
  report "quillon-cli text (checked)" "${q[@]}"
  report "quillon-cli text --no-verify" "${u[@]}"
  report "minimodem --tx tdd -R 8000" "${m[@]}"
  verdict "quillon/minimodem" "$(median "${q[@]}")" "$(median "${m[@]}")" 0.5
  verdict "quillon --no-verify/minimodem" "$(median "${u[@]}")" "$(median "${m[@]}")" 0.5
done
