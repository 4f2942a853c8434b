#!/usr/bin/env bash
# Benchmark: a CSV batch of ROWS rows (default 1,000, about 60 characters each) through
# `quillon-cli csv` (the real wavcat and clip set), against `minimodem --tx tdd -R 8000` run
# once per row on the same texts, both at 8 kHz, both writing into the same output folder.
# RUNS runs per side (default 5), interleaved; median and spread (min..max). The goal:
# quillon-cli at most 0.5x minimodem's time.
# wavcat flushes every prompt to disk (fsync) before renaming it into place; minimodem does
# not, so the comparison is tilted against Quillon.
# Usage: bench/bench_csv_batch.sh [BIN_DIR] [ROWS] [RUNS]   (default build/bin 1000 5)
# BENCH_DIR names the folder for the scratch files (default: a new folder under TMPDIR).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=bench/bench_lib.sh
source "$here/bench_lib.sh"
bin=${1:-build/bin}
rows=${2:-1000}
runs=${3:-5}
need_programs "$bin"
bin=$(cd "$bin" && pwd)
cli=$bin/quillon-cli

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/bench-csv.XXXXXX")
trap 'rm -rf "$work"' EXIT

# A program folder of its own (wavcat and the clips), so that the log lands there.
mkdir -p "$work/program" "$work/out"
cp "$bin/wavcat" "$bin"/*.wav "$bin/clipset.ini" "$work/program/"

texts=()
{
  echo "FILE, TEXT"
  for ((i = 0; i < rows; i++)); do
    text="Prompt $i: please hold, an agent will be with you shortly."
    texts+=("$text")
    echo "$work/out/p$i.wav,\"$text\""
  done
} >"$work/list.csv"

run_quillon() {
  (cd "$work" && QUILLON_HOME="$work/program" QUILLON_REGISTRY="$work/registry.reg" \
    "$cli" csv --no-translate "$work/list.csv" >"$work/quillon.out")
}
run_unchecked() {
  (cd "$work" && QUILLON_HOME="$work/program" QUILLON_REGISTRY="$work/registry.reg" \
    "$cli" csv --no-translate --no-verify "$work/list.csv" >"$work/unchecked.out")
}
run_minimodem() {
  for ((i = 0; i < rows; i++)); do
    printf '%s' "${texts[$i]}" | minimodem --tx tdd -R 8000 -f "$work/out/p$i.wav"
  done
}

run_quillon  # check that it works, and warm up
if ! grep -q "Done. $rows rows processed, $rows of them were good." "$work/quillon.out"; then
  echo "bench_csv_batch: the batch did not build every row:" >&2
  cat "$work/quillon.out" >&2
  exit 1
fi
heard=$(minimodem --rx tdd -q -f "$work/out/p$((rows - 1)).wav" | tr -d '\n')
expected=$(printf '%s' "${texts[$((rows - 1))]}" | tr '[:lower:]' '[:upper:]')
if [[ $heard != "$expected" ]]; then
  echo "bench_csv_batch: the last prompt decodes as '$heard', expected '$expected'" >&2
  exit 1
fi

q=() u=() m=()
for ((r = 0; r < runs; r++)); do
  rm -f "$work/out/"*
  start=$(now); run_quillon; q+=("$(elapsed "$start")")
  rm -f "$work/out/"*
  start=$(now); run_unchecked; u+=("$(elapsed "$start")")
  rm -f "$work/out/"*
  start=$(now); run_minimodem; m+=("$(elapsed "$start")")
done
echo "csv batch of $rows rows, median of $runs runs (min..max):"
report "quillon-cli csv (checked)" "${q[@]}"
report "quillon-cli csv --no-verify" "${u[@]}"
report "minimodem --tx tdd -R 8000 per row" "${m[@]}"
verdict "quillon/minimodem" "$(median "${q[@]}")" "$(median "${m[@]}")" 0.5
verdict "quillon --no-verify/minimodem" "$(median "${u[@]}")" "$(median "${m[@]}")" 0.5
