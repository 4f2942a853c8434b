# Helpers the benchmark scripts share (sourced, not run).
#   now                     the wall clock in seconds (bash's EPOCHREALTIME)
#   elapsed START           seconds since START
#   stats TIMES...          "median min max" of the numbers given
#   report NAME TIMES...    "NAME  median s (min..max)"
#   verdict LABEL A B GOAL  "LABEL A/B = R (goal <= GOAL): met|MISSED"

now() { printf '%s' "$EPOCHREALTIME"; }

elapsed() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f", b - a }'; }

stats() {
  printf '%s\n' "$@" | sort -g |
    awk '{ t[NR] = $1 } END { printf "%s %s %s", t[int((NR + 1) / 2)], t[1], t[NR] }'
}

report() {
  local name=$1 med lo hi
  shift
  read -r med lo hi <<<"$(stats "$@")"
  printf '  %-34s %8.3f s  (%.3f..%.3f, %d runs)\n' "$name" "$med" "$lo" "$hi" "$#"
}

median() { local med lo hi; read -r med lo hi <<<"$(stats "$@")"; printf '%s' "$med"; }

verdict() {
  awk -v l="$1" -v a="$2" -v b="$3" -v g="$4" 'BEGIN {
    r = (b > 0 ? a / b : 0)
    printf "  %s = %.2f (goal <= %s): %s\n", l, r, g, (r <= g ? "met" : "MISSED") }'
}

# make_text LENGTH: LENGTH characters of plain office text, no line ends.
make_text() {
  local sentence="CALL THE HELP DESK AT 555-0100, EXT. 42, BETWEEN 8 AND 5. "
  local text=""
  while ((${#text} < $1)); do text+="$sentence"; done
  printf '%s' "${text:0:$1}"
}

# need_programs BIN: fails plainly when the build or minimodem is missing.
need_programs() {
  local need
  for need in "$1/quillon-cli" "$1/wavcat" "$1/a.wav"; do
    [[ -e $need ]] || { echo "$(basename "$0"): $need is missing (build the project, or pass its bin folder)" >&2; exit 2; }
  done
  command -v minimodem >/dev/null || { echo "$(basename "$0"): minimodem is not installed" >&2; exit 2; }
}

# start_private_x BIN: for a benchmark of the windows, a private Xvfb server (and openbox when
# installed, as on a desktop) as DISPLAY, and a scratch folder in `work`; both go on exit.
start_private_x() {
  local name need
  name=$(basename "$0" .sh)
  for need in Xvfb xdotool; do
    command -v "$need" >/dev/null || { echo "$name: $need is not installed" >&2; exit 2; }
  done
  [[ -x $1/quillon ]] || { echo "$name: $1/quillon is missing (build the GUI)" >&2; exit 2; }
  work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/${name//_/-}.XXXXXX")
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  wm=""
  trap '[[ -n $wm ]] && kill "$wm" 2>/dev/null; kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
  export DISPLAY=$display
  for ((i = 0; i < 200; i++)); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.02; done
  if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 0.5
  fi
}
