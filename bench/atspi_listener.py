#!/usr/bin/env python3
"""A screen reader's ear on the AT-SPI bus for the receive benchmark: it listens to every text
change and caret move announced, as a screen reader does, until its standard input closes, then
prints how many it heard and how many characters they carried."""

import sys

import pyatspi
from gi.repository import GLib

heard = [0, 0]


def on(event):
    heard[0] += 1
    heard[1] += len(event.any_data) if isinstance(event.any_data, str) else 0


pyatspi.Registry.registerEventListener(on, "object:text-changed", "object:text-caret-moved")
loop = GLib.MainLoop()
GLib.io_add_watch(sys.stdin.fileno(), GLib.IO_IN | GLib.IO_HUP, lambda *_: loop.quit())
print("listening", flush=True)
loop.run()
print(heard[0], heard[1], flush=True)
