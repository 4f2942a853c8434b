#!/usr/bin/python3
"""Prints the accessibility tree of one process as AT-SPI shows it to a screen reader.

    accessible_tree.py PID

One line per object, depth first: the depth, the role, the name and the description, separated
by tabs (tabs and line ends inside a text are shown as blanks). Exits 1 when no application of
that process is on the accessibility bus.
"""
import sys

import pyatspi


def clean(text):
    return (text or "").replace("\t", " ").replace("\n", " ")


def walk(node, depth, out):
    try:
        role = node.getRoleName()
        name = node.name
        description = node.description
        count = node.childCount
    except Exception:  # an object that went away while it was read
        return
    out.append(f"{depth}\t{role}\t{clean(name)}\t{clean(description)}")
    for i in range(count):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, depth + 1, out)


def main():
    pid = int(sys.argv[1])
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            out = []
            walk(app, 0, out)
            print("\n".join(out))
            return 0
    print(f"no application of process {pid} on the accessibility bus", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
