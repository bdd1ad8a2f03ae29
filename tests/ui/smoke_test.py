#!/usr/bin/python3
"""End-to-end run of the built window under an X server, read through the accessibility bus.

Usage (inside xvfb-run and dbus-run-session):
    smoke_test.py SELVANE MAKE_DEMO_CARDS SELVANE_CLI

Writes the demo cards into a temporary folder, starts Selvane with one of them on its command
line (a path with a space, split by the shell into two arguments), reads the 15 lines of
"Memory Card 1 slots" from the accessibility tree, compares them with what selvane-cli lists for
the same file, closes the window as the close box does and checks that the program ended by
itself, stored its settings and registered the card types in its (temporary) data folder.
"""
import ctypes
import ctypes.util
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

CAPTION = b"Selvane 1.1"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def find(node, predicate, depth=0):
    """Depth-first search of the accessibility tree below node."""
    if node is None or depth > 30:
        return None
    try:
        if predicate(node):
            return node
        for i in range(node.childCount):
            found = find(node.getChildAtIndex(i), predicate, depth + 1)
            if found is not None:
                return found
    except Exception:  # a node that went away while it was read
        return None
    return None


def wait_for(what, probe, seconds=30):
    deadline = time.time() + seconds
    while time.time() < deadline:
        result = probe()
        if result:
            return result
        time.sleep(0.25)
    fail("timed out waiting for " + what)


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def close_window_by_title(title):
    """Sends WM_DELETE_WINDOW to the top-level window with the given title, as a close box does."""
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                               ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                               ctypes.POINTER(ctypes.c_uint)]
    x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]

    display = x11.XOpenDisplay(None)
    if not display:
        fail("cannot open the X display")
    root = x11.XDefaultRootWindow(display)
    parent = ctypes.c_ulong()
    root_return = ctypes.c_ulong()
    children = ctypes.POINTER(ctypes.c_ulong)()
    count = ctypes.c_uint()
    x11.XQueryTree(display, root, ctypes.byref(root_return), ctypes.byref(parent), ctypes.byref(children),
                   ctypes.byref(count))
    target = None
    for i in range(count.value):
        name = ctypes.c_char_p()
        if x11.XFetchName(display, children[i], ctypes.byref(name)) and name.value == title:
            target = children[i]
    if children:
        x11.XFree(children)
    if target is None:
        x11.XCloseDisplay(display)
        fail("no window titled " + title.decode())
    event = XEvent()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = target
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.xclient.data[1] = 0  # CurrentTime
    x11.XSendEvent(display, target, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def main():
    if len(sys.argv) != 4:
        fail(__doc__)
    selvane, make_demo_cards, cli = sys.argv[1:4]
    work = tempfile.mkdtemp(prefix="selvane-smoke-")
    try:
        subprocess.run([make_demo_cards, work], check=True)
        folder = os.path.join(work, "my cards")
        os.makedirs(folder)
        card = os.path.join(folder, "demo card.gme")
        shutil.copyfile(os.path.join(work, "demo.gme"), card)
        expected = subprocess.run([cli, "list", card], check=True, capture_output=True, text=True).stdout.splitlines()
        if len(expected) != 15:
            fail("selvane-cli listed %d lines" % len(expected))

        env = dict(os.environ)
        env.update({"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_QPA_PLATFORM": "xcb",
                    "XDG_CONFIG_HOME": os.path.join(work, "config"), "XDG_DATA_HOME": os.path.join(work, "data")})
        desktop = pyatspi.Registry.getDesktop(0)  # starts the accessibility bus of this session
        # The shell splits the path at its space; Selvane joins its arguments again.
        first, second = card.rsplit(" ", 1)
        program = subprocess.Popen([selvane, first, second], env=env)
        try:
            app = wait_for("Selvane on the accessibility bus", lambda: find(
                desktop, lambda n: n.getRole() == pyatspi.ROLE_APPLICATION and n.name.lower() == "selvane"))
            slots = wait_for("the slot list of Memory Card 1", lambda: find(
                app, lambda n: n.name == "Memory Card 1 slots" and n.childCount >= 15))
            lines = [slots.getChildAtIndex(i).name for i in range(slots.childCount)]
            if lines != expected:
                fail("slot lines differ:\n  window: %r\n  cli:    %r" % (lines, expected))
            path_box = find(app, lambda n: n.name == "Memory Card 1 file")
            if path_box is None or path_box.queryText().getText(0, -1) != card:
                fail("the path box does not hold the card's path")
            print("read %d slot lines from the accessibility tree" % len(lines))

            close_window_by_title(CAPTION)
            code = program.wait(timeout=30)
        finally:
            if program.poll() is None:
                program.kill()
                program.wait()
        if code != 0:
            fail("Selvane ended with exit status %d" % code)
        settings = os.path.join(work, "config", "Selvane", "Selvane.conf")
        with open(settings, encoding="utf-8") as f:
            stored = f.read()
        if "Output=gme" not in stored or "Source=2" not in stored:
            fail("settings not stored at exit:\n" + stored)
        # The start-up registered the card types with the desktop in the user's data folder.
        entry = os.path.join(work, "data", "applications", "selvane.desktop")
        if not os.path.isfile(entry):
            fail("no desktop entry was registered at start-up")
        print("Selvane registered its file types, closed cleanly and stored its settings")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
