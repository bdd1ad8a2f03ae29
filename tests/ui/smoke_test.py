#!/usr/bin/python3
# The built window under Xvfb, read through the accessibility bus. Arguments: the selvane,
# make_demo_cards and selvane-cli programs. Starts Selvane on a demo card named on the command
# line, reads the 15 lines of "Memory Card 1 slots", compares them with selvane-cli's list of the
# same file, closes the window as its close box does and expects exit status 0.
import ctypes
import os
import subprocess
import sys
import tempfile
import time

import pyatspi


def close_window(title):
    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XDefaultRootWindow.restype = x.XInternAtom.restype = ctypes.c_ulong
    d = ctypes.c_void_p(x.XOpenDisplay(None))
    root, parent, count, kids = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_uint(), ctypes.POINTER(ctypes.c_ulong)()
    x.XQueryTree(d, ctypes.c_ulong(x.XDefaultRootWindow(d)), *map(ctypes.byref, (root, parent, kids, count)))
    # An XClientMessageEvent as longs (LP64): type, serial, send_event, display, window, message_type,
    # format, then the data: WM_DELETE_WINDOW.
    event = (ctypes.c_long * 24)(33, 0, 0, 0, 0, x.XInternAtom(d, b"WM_PROTOCOLS", 0), 32,
                                 x.XInternAtom(d, b"WM_DELETE_WINDOW", 0))
    for window in (kids[i] for i in range(count.value)):
        name = ctypes.c_char_p()
        if x.XFetchName(d, ctypes.c_ulong(window), ctypes.byref(name)) and name.value == title:
            event[4] = window
            x.XSendEvent(d, ctypes.c_ulong(window), 0, ctypes.c_long(0), event)
    x.XCloseDisplay(d)


def main():
    selvane, make_demo_cards, cli = sys.argv[1:4]
    with tempfile.TemporaryDirectory(prefix="selvane-smoke-") as work:
        subprocess.run([make_demo_cards, work], check=True)
        card = os.path.join(work, "demo card.gme")
        os.rename(os.path.join(work, "demo.gme"), card)
        expected = subprocess.run([cli, "list", card], check=True, capture_output=True, text=True).stdout.splitlines()
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                   XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_DATA_HOME=os.path.join(work, "data"))
        desktop = pyatspi.Registry.getDesktop(0)  # starts this session's accessibility bus
        # The path's space splits it into two arguments, which Selvane joins again.
        program = subprocess.Popen([selvane] + card.rsplit(" ", 1), env=env)
        for _ in range(120):
            slots = pyatspi.findDescendant(desktop, lambda n: n.name == "Memory Card 1 slots" and n.childCount >= 15)
            if slots:
                break
            time.sleep(0.25)
        lines = [line.name for line in slots] if slots else []
        close_window(b"Selvane 1.1")
        code = program.wait(timeout=30)
        if len(lines) != 15 or lines != expected:
            sys.exit("slot lines differ:\n  window: %r\n  cli:    %r" % (lines, expected))
        sys.exit("Selvane ended with exit status %d" % code if code else 0)


if __name__ == "__main__":
    main()
