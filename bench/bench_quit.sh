#!/usr/bin/env bash
# Benchmark: how long Ctrl+Q takes to end the program. Under a private Xvfb server with the
# openbox window manager (when installed), `quillon` is started, its main window mapped and
# focused, then xdotool presses Ctrl+Q; the time from the key to the process's end, RUNS times
# (default 5); median and spread (min..max). The goal: within 200 ms, as "at once" feels.
# Usage: bench/bench_quit.sh [BIN_DIR] [RUNS]   (default build/bin 5)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=bench/bench_lib.sh
source "$here/bench_lib.sh"
bin=${1:-build/bin}
runs=${2:-5}
start_private_x "$bin"

# One run: start, wait for the window, give it the focus, Ctrl+Q, time to the end.
quit_once() {
  local home="$work/home$1" pid window start t=""
  mkdir -p "$home"
  HOME="$home" XDG_CONFIG_HOME="$home/.config" QUILLON_REGISTRY="$home/registry.reg" \
    QT_QPA_PLATFORM=xcb "$bin/quillon" >/dev/null 2>&1 &
  pid=$!
  window=$(xdotool search --sync --onlyvisible --pid "$pid" --name '^Quillon$' | head -1)
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  sleep 0.3
  start=$(now)
  xdotool key ctrl+q
  for ((i = 0; i < 10000; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      t=$(elapsed "$start")
      break
    fi
    sleep 0.002
  done
  if [[ -z $t ]]; then
    kill "$pid" 2>/dev/null
    echo "bench_quit: Ctrl+Q did not end the program" >&2
    exit 1
  fi
  wait "$pid" 2>/dev/null || true
  printf '%s' "$t"
}

quit_once warmup >/dev/null
t=()
for ((r = 0; r < runs; r++)); do t+=("$(quit_once "$r")"); done
echo "Ctrl+Q to the end of the program (Xvfb), median of $runs runs (min..max):"
report "Ctrl+Q to the end of quillon" "${t[@]}"
verdict "time/200 ms" "$(median "${t[@]}")" 0.2 1
