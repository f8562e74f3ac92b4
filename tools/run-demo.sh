#!/usr/bin/env bash
# Starts the demo log generator and follows its log with Orvik; the generator stops when
# Orvik exits. Usage: run-demo.sh PATH_TO_ORVIK
set -eu

orvik=${1:?usage: run-demo.sh PATH_TO_ORVIK}
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d "${TMPDIR:-/tmp}/orvik-demo.XXXXXX")
log="$dir/service.log"

"$here/demolog.sh" "$log" "$$" &
generator=$!
trap 'kill "$generator" 2>/dev/null || true; wait "$generator" 2>/dev/null || true; rm -rf "$dir"' EXIT
trap 'exit 130' INT TERM

# Let the first lines land before the window opens.
for _ in 1 2 3 4 5 6 7 8 9 10; do
    [ -s "$log" ] && break
    sleep 0.1
done
echo "Following $log (the generator stops when Orvik exits)"
"$orvik" "$log"
