#!/usr/bin/env bash
# Benchmark: a voicemail prompt set of PROMPTS prompts (default 3,000) through
# `quillon-cli prompts --language DEU --yes` (every prompt read back by the receiver): a
# registry export naming the language and the root of a prompt tree
# (localize/prompts/DEU/prompt.ini, one section per prompt), as an administrator copies them
# from the server; against `minimodem --tx tdd -R 8000` run once per prompt on the same
# texts into the same folder. Each run of Quillon replaces the prompts of the run before,
# as a rebuild on the server does (each replaced prompt reaches the disk before its rename).
# RUNS runs per side (default 3), interleaved; median and spread (min..max). The goals:
# Quillon under 8 s, and at most 0.5x minimodem's time.
# Usage: bench/bench_prompt_set.sh [BIN_DIR] [PROMPTS] [RUNS]   (default build/bin 3000 3)
# BENCH_DIR names the folder for the scratch files (default: a new folder under TMPDIR).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=bench/bench_lib.sh
source "$here/bench_lib.sh"
bin=${1:-build/bin}
prompts=${2:-3000}
runs=${3:-3}
need_programs "$bin"
cli=$bin/quillon-cli

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/bench-prompts.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/program" "$work/vm/localize/prompts/DEU"
cp "$bin/wavcat" "$bin"/*.wav "$bin"/*.txt "$bin/clipset.ini" "$work/program/"

root=${work//\//\\\\}\\\\vm\\\\
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\SystemParameters\\1.0]\r\n"TUI Languages Loaded"="DEU"\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Hubrix\\1.0]\r\n"Root Path"="%s"\r\n' \
  "$root" >"$work/registry.reg"
texts=()
for ((i = 1; i <= prompts; i++)); do
  texts+=("Bitte warten Sie, Ansage $i wird gleich gespielt.")
  printf '[Prompt%04dDEU]\r\nText=%s\r\n' "$i" "${texts[$((i - 1))]}"
done >"$work/vm/localize/prompts/DEU/prompt.ini"

run_prompts() {
  QUILLON_HOME="$work/program" QUILLON_REGISTRY="$work/registry.reg" \
    "$cli" prompts --language DEU --yes >"$work/prompts.out"
}

run_minimodem() {
  for ((i = 1; i <= prompts; i++)); do
    printf '%s' "${texts[$((i - 1))]}" |
      minimodem --tx tdd -R 8000 -f "$work/vm/localize/prompts/DEU/mm$i.wav"
  done
}

run_prompts  # check that it works, and warm up
if ! grep -q "^$prompts prompts processed" "$work/prompts.out" || grep -q "not built" "$work/prompts.out"; then
  echo "bench_prompt_set: the prompt set was not built whole:" >&2
  tail -20 "$work/prompts.out" >&2
  exit 1
fi
last=$(find "$work/vm/localize/prompts/DEU" -iname "Prompt${prompts}DEU.wav" | head -1)
heard=$(minimodem --rx tdd -q -f "$last" | tr -d '\n' | sed 's/[[:space:]]*$//')
if [[ $heard != "BITTE WARTEN SIE, ANSAGE $prompts WIRD GLEICH GESPIELT." ]]; then
  echo "bench_prompt_set: the last prompt decodes as '$heard'" >&2
  exit 1
fi

t=() m=()
for ((r = 0; r < runs; r++)); do
  start=$(now); run_prompts; t+=("$(elapsed "$start")")
  start=$(now); run_minimodem; m+=("$(elapsed "$start")")
  rm -f "$work/vm/localize/prompts/DEU/"mm*.wav
done
echo "voicemail prompt set of $prompts prompts, median of $runs runs (min..max):"
report "quillon-cli prompts (checked)" "${t[@]}"
report "minimodem --tx tdd -R 8000 per prompt" "${m[@]}"
verdict "quillon/minimodem" "$(median "${t[@]}")" "$(median "${m[@]}")" 0.5
verdict "time/8 s" "$(median "${t[@]}")" 8 1
