#!/bin/sh
# Runs a command with the accessibility bus of the current D-Bus session up
# (at-spi-bus-launcher and the registry, which the session starts on
# demand), so that a Qt program started by the command joins it at once.
#
#   with_accessibility_bus.sh COMMAND [ARGUMENTS...]
set -eu
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
  >/dev/null
# The registry is started by the first reader of the tree.
/usr/bin/python3 "$(dirname "$0")/accessible_tree.py" 0 >/dev/null 2>&1 || true
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$@"
