#!/bin/sh
# Renders the pictures of the help page under a private Xvfb display:
# the About and help windows with quillon-help-screenshots, the main and
# alphabet windows with quillon-screenshots when that tool is built.
#
#   localisation/help/make_screenshots.sh BUILD_FOLDER
set -eu
build=${1:?usage: make_screenshots.sh BUILD_FOLDER}
here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "$build/bin" && pwd)
display=:$((90 + $$ % 9))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb' EXIT
sleep 1
export DISPLAY=$display QT_QPA_PLATFORM=xcb
if [ -x "$bin/quillon-screenshots" ]; then
  QUILLON_HOME=$bin "$bin/quillon-screenshots" "$here"
fi
"$bin/quillon-help-screenshots" "$bin" "$here"
