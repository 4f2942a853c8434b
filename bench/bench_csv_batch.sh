#!/usr/bin/env bash
# Benchmark: a CSV batch of 1,000 rows through `quillon-cli csv` (the real wavcat and clip
# set), against running `minimodem --tx tdd` once per row on the same texts. Prints prompts per
# second for both, best of RUNS (default 3):
#   csv batch 1000 rows: quillon-cli 21.4 s (46.7 prompts/s), minimodem --tx tdd 6.9 s (145 prompts/s), ratio 3.1
# wavcat flushes every prompt to disk (fsync) before renaming it into place; minimodem does
# not, so the comparison is tilted against Quillon.
# Usage: bench/bench_csv_batch.sh [BIN_DIR] [ROWS] [RUNS]   (default build/bin 1000 3)
# BENCH_DIR names the folder for the scratch files (default: a new folder under TMPDIR).
set -euo pipefail

bin=${1:-build/bin}
rows=${2:-1000}
runs=${3:-3}
cli=$bin/quillon-cli
for need in "$cli" "$bin/wavcat" "$bin/a.wav"; do
  if [[ ! -e $need ]]; then
    echo "bench_csv_batch: $need is missing (build the project, or pass its bin folder)" >&2
    exit 2
  fi
done
command -v minimodem >/dev/null || { echo "bench_csv_batch: minimodem is not installed" >&2; exit 2; }

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/bench-csv.XXXXXX")
trap 'rm -rf "$work"' EXIT

# A program folder of its own (wavcat and the clips), so that the log lands there.
mkdir -p "$work/program" "$work/quillon" "$work/minimodem"
cp "$bin/wavcat" "$bin"/*.wav "$work/program/"

texts=()
{
  echo "FILE, TEXT"
  for ((i = 0; i < rows; i++)); do
    text="Prompt $i: please hold, an agent will be with you shortly."
    texts+=("$text")
    echo "quillon/p$i.wav,\"$text\""
  done
} >"$work/list.csv"

now() { date +%s.%N; }

run_quillon() {
  QUILLON_HOME="$work/program" QUILLON_REGISTRY="$work/registry.reg" \
    "$cli" csv --no-translate "$work/list.csv" >"$work/quillon.out"
}

run_minimodem() {
  for ((i = 0; i < rows; i++)); do
    printf '%s' "${texts[$i]}" | minimodem --tx tdd -f "$work/minimodem/p$i.wav"
  done
}

# best_of COMMAND: the shortest wall time of `runs` runs, in seconds.
best_of() {
  local best="" start end t
  for ((r = 0; r < runs; r++)); do
    start=$(now)
    "$@"
    end=$(now)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')
    if [[ -z $best ]] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  echo "$best"
}

t_quillon=$(best_of run_quillon)
if ! grep -q "Done. $rows rows processed, $rows of them were good." "$work/quillon.out"; then
  echo "bench_csv_batch: the batch did not build every row:" >&2
  cat "$work/quillon.out" >&2
  exit 1
fi
heard=$(minimodem --rx tdd -q -f "$work/quillon/p$((rows - 1)).wav" | tr -d '\n')
expected=$(printf '%s' "${texts[$((rows - 1))]}" | tr '[:lower:]' '[:upper:]')
if [[ $heard != "$expected" ]]; then
  echo "bench_csv_batch: the last prompt decodes as '$heard', expected '$expected'" >&2
  exit 1
fi
t_minimodem=$(best_of run_minimodem)

awk -v q="$t_quillon" -v m="$t_minimodem" -v n="$rows" 'BEGIN {
  printf "csv batch %d rows: quillon-cli %.1f s (%.1f prompts/s), minimodem --tx tdd %.1f s (%.1f prompts/s), ratio %.1f\n",
         n, q, n / q, m, n / m, (m > 0 ? q / m : 0) }'
