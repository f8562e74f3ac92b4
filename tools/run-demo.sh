#!/usr/bin/env bash
# Starts the demo log generator and follows its log with Orvik; the generator stops when
# Orvik exits. Orvik runs on settings of its own in the demo's temporary folder, with ERROR
# highlighted, so the user's own settings and recent files are neither read nor changed.
# Usage: run-demo.sh PATH_TO_ORVIK
set -eu

orvik=${1:?usage: run-demo.sh PATH_TO_ORVIK}
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d "${TMPDIR:-/tmp}/orvik-demo.XXXXXX")
log="$dir/service.log"

# The window in twips (15 to a pixel at 96 dpi): 1000 by 700 pixels, wide enough for a line.
mkdir -p "$dir/config/Orvik"
cat >"$dir/config/Orvik/Orvik.conf" <<CONF
[Settings]
Left=900
Top=900
Width=15000
Height=10500
HighLightString=ERROR
CONF

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
XDG_CONFIG_HOME="$dir/config" "$orvik" "$log"
