#!/bin/sh
# Regenerates the screenshots of the windows under a virtual X server.
#
#   docs/screenshots/make_screenshots.sh [BUILD_FOLDER]
#
# BUILD_FOLDER is a configured build (default: ./build); the script builds
# quillon-screenshots and the clip set there, then renders the main window
# after a real "Create WAV File" and the "Construct Alphabet" window into
# this folder. Needs xvfb-run (Debian package xvfb).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
cmake --build "$build" --target quillon-screenshots alphabet help_page
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
  "$build/bin/quillon-screenshots" "$here"
