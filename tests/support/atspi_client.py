#!/usr/bin/python3
"""What a screen reader sees of one program, through AT-SPI, the road Orca takes.

atspi_client.py PID tree            every accessible of the program, one per line: depth, role, name
atspi_client.py PID press PATH...   does the first action of the accessible reached by names, e.g.
                                    "About" "About Me"; prints the action's name
Waits up to 20 s for the program to register; exits 1 if it never does, 2 if the path is not found.
"""
import sys
import time

import pyatspi

MAX_CHILDREN = 200  # a list of a big folder is read as far as a reader would at first


def application(pid):
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            try:
                if app is not None and app.get_process_id() == pid and app.childCount > 0:
                    return app
            except Exception:  # an application that went away while being asked
                continue
        time.sleep(0.2)
    return None


def children(accessible):
    for index in range(min(accessible.childCount, MAX_CHILDREN)):
        child = accessible.getChildAtIndex(index)
        if child is not None:
            yield child


def walk(accessible, depth=0):
    yield depth, accessible
    for child in children(accessible):
        yield from walk(child, depth + 1)


def clean(text):
    return (text or "").replace("\n", " ").replace("\t", " ")


def find(accessible, path):
    """The first accessible named path[-1] under one named path[-2], and so on up, anywhere below."""
    if not path:
        return accessible
    for _, candidate in walk(accessible):
        if candidate is not accessible and clean(candidate.name) == path[0]:
            found = find(candidate, path[1:])
            if found is not None:
                return found
    return None


def main():
    pid, verb, rest = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
    app = application(pid)
    if app is None:
        print("no application with process id %d on the accessibility bus" % pid, file=sys.stderr)
        return 1
    if verb == "tree":
        for depth, accessible in walk(app):
            print("%d\t%s\t%s" % (depth, accessible.getRoleName(), clean(accessible.name)))
        return 0
    target = find(app, rest)
    if target is None:
        print("nothing named %s" % " > ".join(rest), file=sys.stderr)
        return 2
    action = target.queryAction()
    print(action.getName(0))
    return 0 if action.doAction(0) else 3


if __name__ == "__main__":
    sys.exit(main())
