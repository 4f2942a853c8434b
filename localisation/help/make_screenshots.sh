#!/bin/sh
# Refreshes the pictures of the help page: the main window, its File menu and
# the alphabet window come from docs/screenshots (make_screenshots.sh there
# renders them); the About and help windows are rendered here under a
# private Xvfb display by quillon-help-screenshots.
#
#   localisation/help/make_screenshots.sh BUILD_FOLDER
set -eu
build=${1:?usage: make_screenshots.sh BUILD_FOLDER}
here=$(cd "$(dirname "$0")" && pwd)
shots=$here/../../docs/screenshots
cmake --build "$build" --target quillon-help-screenshots help_page
bin=$(cd "$build/bin" && pwd)
for picture in main_window.png file_menu.png construct_alphabet.png; do
  if [ -f "$shots/$picture" ]; then cp "$shots/$picture" "$here/$picture"; fi
done
display=:$((90 + $$ % 9))
Xvfb "$display" -screen 0 1280x1024x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb' EXIT
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb "$bin/quillon-help-screenshots" "$bin" "$here"
