#!/usr/bin/python3
"""An accessibility client on the AT-SPI bus, as a screen reader is: it registers for the events a
screen reader listens to (state changes, property changes, focus, children) and counts them.
Runs until killed; prints the count on SIGTERM. Needs python3-pyatspi."""

import signal
import sys

import pyatspi

pocet = 0


def udalost(_):
    global pocet
    pocet += 1


def konec(*_):
    print(f"accessibility events received: {pocet}", flush=True)
    pyatspi.Registry.stop()


signal.signal(signal.SIGTERM, konec)
pyatspi.Registry.registerEventListener(
    udalost, "object:state-changed", "object:property-change", "object:children-changed",
    "object:text-changed", "focus:", "window:")
print("listening", flush=True)
pyatspi.Registry.start()
sys.exit(0)
