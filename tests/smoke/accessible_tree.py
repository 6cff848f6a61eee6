#!/usr/bin/python3
"""Prints what a screen reader sees of a running program: its accessible tree, one line a
node, with role, name and state. Usage: accessible_tree.py <application name>"""
import sys

import pyatspi


def walk(node, depth, out):
    try:
        states = node.getState()
        flags = [name for name, state in (("focused", pyatspi.STATE_FOCUSED),
                                           ("disabled", None), ("checked", pyatspi.STATE_CHECKED))
                 if state is not None and states.contains(state)]
        if not states.contains(pyatspi.STATE_ENABLED) and node.getRoleName() in (
                "menu item", "push button", "text", "combo box", "menu"):
            flags.append("disabled")
        out.append("%s%s \"%s\"%s" % ("  " * depth, node.getRoleName(), node.name,
                                       (" [" + ", ".join(flags) + "]") if flags else ""))
        for i in range(node.childCount):
            walk(node.getChildAtIndex(i), depth + 1, out)
    except Exception as e:  # a node that went away while we looked
        out.append("%s(gone: %s)" % ("  " * depth, e))


def main():
    wanted = sys.argv[1] if len(sys.argv) > 1 else "tessara"
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name.lower() == wanted.lower():
            out = []
            walk(app, 0, out)
            print("\n".join(out))
            return 0
    print("no application named %s on the accessibility bus" % wanted)
    return 1


if __name__ == "__main__":
    sys.exit(main())
