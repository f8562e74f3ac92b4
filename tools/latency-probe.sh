#!/usr/bin/env bash
# How soon a line written to a followed log is on screen, measured from outside through the
# accessibility bus, on a virtual display with buses of its own. Options go to the probe:
#   tools/latency-probe.sh [--rounds N] [--timer-only] [--big MB]
# (BUILD=dir picks the build directory, default build). Needs xvfb, xauth, dbus,
# at-spi2-core and python3-pyatspi (all in `make deps`) and a built program.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
[ -x "$BUILD/orvik" ] || { echo "no program at $BUILD/orvik; run make build first" >&2; exit 1; }
if [ -z "${ORVIK_PROBE_BUSES:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
        dbus-run-session -- env ORVIK_PROBE_BUSES=1 "$0" "$@"
fi
/usr/libexec/at-spi-bus-launcher --launch-immediately &
launcher=$!
trap 'kill "$launcher" 2>/dev/null || true; wait 2>/dev/null || true' EXIT
/usr/bin/python3 tools/latency_probe.py "$BUILD/orvik" "$@"
