#!/usr/bin/env python3
"""Kills the configuration writer with SIGKILL at random moments of its writes in place, many
times, and counts the files left neither as they were before a write nor as the write makes them.

    bench/kill_inplace.py WRITER [KILLS]

WRITER is the test helper tarvik_zapis_hodnoty (build-*/tests/tarvik_zapis_hodnoty). The file has
a name too long for a temporary name beside it, so every write goes in place. The writer loops
over four writes: chlivek319 grows on the last page (0 -> 127), stykac5 shrinks on the first page
(padded with blanks), chlivek319 shrinks (padded), stykac5 grows back into its padding. After each
kill the file must be one of the states those writes leave, byte for byte.
"""
import os
import random
import signal
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
writer = os.path.abspath(sys.argv[1])
kills = int(sys.argv[2]) if len(sys.argv) > 2 else 1000

with open(os.path.join(here, "..", "resources", "demo", "tarvik.ini"), "rb") as f:
    sample = f.read()


def with_values(stykac5: bytes, chlivek319: bytes) -> bytes:
    lines = sample.split(b"\r\n")
    for i, line in enumerate(lines):
        if line.startswith(b"stykac5="):
            lines[i] = b"stykac5=" + stykac5
        elif line.startswith(b"chlivek319="):
            lines[i] = b"chlivek319=" + chlivek319
    return b"\r\n".join(lines)


start = with_values("stykač 5".encode("cp1250"), b"0")
states = {start}
for s5 in ("stykač 5".encode("cp1250"), b"x       "):
    for c in (b"127", b"7  "):
        states.add(with_values(s5, c))
assert len(start) // 4096 == 2 and start.index(b"chlivek319=") // 4096 == 2
assert start.index(b"stykac5=") // 4096 == 0

folder = tempfile.mkdtemp(prefix="tarvik-kill-")
path = os.path.join(folder, "n" * 250)
env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
command = [writer, "--smycka", path,
           "chlivky", "chlivek319", "127", "stykace", "stykac5", "x",
           "chlivky", "chlivek319", "7", "stykace", "stykac5", "stykač 5"]
damaged = 0
writes_seen = 0
began = time.monotonic()
with open(path, "wb") as f:
    f.write(start)
for _ in range(kills):
    before = os.stat(path).st_mtime_ns
    p = subprocess.Popen(command, env=env)
    # Wait for the writer's first write, then kill it somewhere in the following ones.
    deadline = time.monotonic() + 10
    while os.stat(path).st_mtime_ns == before and time.monotonic() < deadline:
        time.sleep(0.0005)
    writes_seen += os.stat(path).st_mtime_ns != before
    time.sleep(random.uniform(0, 0.005))
    p.send_signal(signal.SIGKILL)
    p.wait()
    with open(path, "rb") as f:
        damaged += f.read() not in states
print(f"{kills} kills in the middle of writes in place ({writes_seen} after a write had landed), "
      f"{damaged} files damaged, {time.monotonic() - began:.0f} s")
sys.exit(1 if damaged else 0)
