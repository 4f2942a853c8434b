#!/usr/bin/env bash
# Benchmark: the noise break of TTY prompts built by Quillon on telephone line models, beside
# minimodem's and spandsp's own transmitters sending the same text (bench/README.md).
#
# For each rate it copies the program folder's programs and clips to a scratch folder, builds
# the clip set at that rate with `quillon-cli alphabet --baud RATE`, builds the prompt with
# `quillon-cli text`, and hands the prompts to line-bench, which prints the table.
#
# Usage: bench/bench_line.sh [BIN_DIR]     (default build/bin; needs line-bench, minimodem)
# Environment: SEEDS (8), THREADS (2), RATES ("45.45 50 75 110"), RECEIVERS
# ("spandsp,minimodem"), CLOCKS ("0,1,-1"), LINES (all), TEXT.
set -euo pipefail

bin=${1:-build/bin}
for program in quillon-cli wavcat quillon-clipgen line-bench; do
  [[ -x $bin/$program ]] || { echo "bench_line: no $program in '$bin' (build it, or pass BIN_DIR)" >&2; exit 2; }
done
command -v minimodem >/dev/null || { echo "bench_line: minimodem is not installed" >&2; exit 2; }
bin=$(cd "$bin" && pwd)
text=${TEXT:-THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890 PACK MY BOX WITH FIVE DOZEN JUGS CALL 5550100}

work=$(mktemp -d "${TMPDIR:-/tmp}/bench-line.XXXXXX")
trap 'rm -rf "$work"' EXIT
prompts=()
for rate in ${RATES:-45.45 50 75 110}; do
  folder="$work/$rate"
  mkdir "$folder"
  cp "$bin"/quillon-cli "$bin"/wavcat "$bin"/quillon-clipgen "$bin"/*.wav "$folder"/
  QUILLON_HOME=$folder "$folder/quillon-cli" alphabet --baud "$rate" >/dev/null
  QUILLON_HOME=$folder "$folder/quillon-cli" text --no-translate -o "$work/prompt-$rate.wav" "$text" >/dev/null
  prompts+=("$rate=$work/prompt-$rate.wav")
done
"$bin/line-bench" --seeds "${SEEDS:-8}" --threads "${THREADS:-2}" \
  --receivers "${RECEIVERS:-spandsp,minimodem}" --clocks "${CLOCKS:-0,1,-1}" \
  ${LINES:+--lines "$LINES"} --text "$text" "${prompts[@]}"
