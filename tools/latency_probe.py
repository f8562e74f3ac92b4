#!/usr/bin/python3
"""Measures from outside how soon Orvik shows a line written to a log it follows.

Three small logs are open, each in its own document window. In each round a line is appended
to one of them at a random moment, and the window's text is read through the accessibility
bus, as a screen reader would, until it holds the line. Prints the median, p90, p99 and
maximum, and what one read of the text costs the probe itself.

Run by tools/latency-probe.sh, which provides the virtual display and the buses.
"""
import argparse
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

import pyatspi


def settings(config, follow_instantly):
    os.makedirs(os.path.join(config, "Orvik"))
    with open(os.path.join(config, "Orvik", "Orvik.conf"), "w") as f:
        f.write("[Settings]\nLeft=0\nTop=0\nWidth=14400\nHeight=9000\n")
        if not follow_instantly:
            f.write("FollowInstantly=False\n")


def write_big(path, size):
    """A log of about `size` bytes, written in blocks of lines."""
    line = b"2026-12-08 20:00:00.000 [INFO ] worker-3: request 17 handled in 12 ms\n"
    block = line * (1024 * 1024 // len(line))
    with open(path, "wb") as f:
        written = 0
        while written < size:
            f.write(block)
            written += len(block)


def views(pid, names, timeout=30):
    """The text object of each document window, by the log it shows."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = {}
        desktop = pyatspi.Registry.getDesktop(0)
        for app in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
            if app is None or app.get_process_id() != pid:
                continue
            frames = pyatspi.findAllDescendants(app, lambda o: o.getRoleName() == "frame")
            for frame in frames:
                for name in names:
                    if frame.name.startswith(name + " - "):
                        text = pyatspi.findDescendant(frame, lambda o: o.getRoleName() == "text")
                        if text is not None:
                            found[name] = text.queryText()
        if len(found) == len(names):
            return found
        time.sleep(0.2)
    sys.exit("the document windows did not appear on the accessibility bus")


def quantile(values, q):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(q * (len(ordered) - 1) + 0.5))]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("orvik", help="the program")
    parser.add_argument("--rounds", type=int, default=100)
    parser.add_argument("--timer-only", action="store_true",
                        help="View, Follow Instantly switched off: the refresh timer alone")
    parser.add_argument("--big", type=int, default=0, metavar="MB",
                        help="a log of MB megabytes in the first window, rewritten every 2.5 s")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="orvik-probe.")
    settings(os.path.join(work, "config"), not args.timer_only)
    logs = [os.path.join(work, "log%d.log" % i) for i in range(3)]
    for i, path in enumerate(logs):
        with open(path, "w") as f:
            f.write("log %d opened\n" % i)
    opened = list(logs)
    if args.big:
        big = os.path.join(work, "big.log")
        write_big(big, args.big * 1024 * 1024)
        opened.insert(0, big)
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"),
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    program = subprocess.Popen([args.orvik] + opened, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        texts = views(program.pid, logs + ([big] if args.big else []),
                      timeout=120 if args.big else 30)
        # Wait until every window shows its whole log.
        for path in opened:
            while texts[path].characterCount < os.path.getsize(path):
                time.sleep(0.1)

        # What one look at a window costs the probe.
        started = time.perf_counter()
        for _ in range(200):
            texts[logs[0]].characterCount
        look = (time.perf_counter() - started) / 200

        latencies = []
        next_rewrite = time.monotonic() + 2.5
        for round_ in range(args.rounds):
            pause = random.uniform(0.1, 0.6)
            if args.big and time.monotonic() + pause >= next_rewrite:
                with open(big, "r+b") as f:  # the first byte, so the whole log is read anew
                    f.write(b"X" if round_ % 2 else b"2")
                next_rewrite += 2.5
            time.sleep(pause)
            path = random.choice(logs)
            text = texts[path]
            line = "round %d at %.6f\n" % (round_, time.time())
            expected = os.path.getsize(path) + len(line)
            fd = os.open(path, os.O_WRONLY | os.O_APPEND)
            written = time.perf_counter()
            os.write(fd, line.encode())
            os.close(fd)
            while text.characterCount < expected:
                if time.perf_counter() - written > 10:
                    sys.exit("round %d: the line was not shown within 10 s" % round_)
            latencies.append(time.perf_counter() - written)
            if text.getText(expected - len(line), expected) != line:
                sys.exit("round %d: the window shows other text than was written" % round_)
    finally:
        program.terminate()
        program.wait(10)
        subprocess.run(["rm", "-rf", work])

    ms = [x * 1000 for x in latencies]
    mode = "timer only" if args.timer_only else "follow instantly"
    extra = ", %d MB log rewritten every 2.5 s in the first window" % args.big if args.big else ""
    print("%s%s, %d rounds: median %.1f ms, p90 %.1f ms, p99 %.1f ms, max %.1f ms"
          % (mode, extra, len(ms), statistics.median(ms), quantile(ms, 0.9), quantile(ms, 0.99),
             max(ms)))
    print("slowest: " + ", ".join("%.1f" % x for x in sorted(ms)[-5:]) + " ms")
    print("the probe's own look at a window: %.2f ms, so it adds up to that much to each figure"
          % (look * 1000))


if __name__ == "__main__":
    main()
