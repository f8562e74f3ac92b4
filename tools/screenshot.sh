#!/usr/bin/env bash
# Retakes docs/screenshot.png: Orvik following two logs that are being written while it runs,
# with "ERROR" highlighted. Runs on a virtual X server, so it works on a headless machine too.
#   tools/screenshot.sh [output.png]        (BUILD=dir picks the build directory, default build)
#   tools/screenshot.sh docs/find.png find  the Find window over the logs, after a search
#   tools/screenshot.sh docs/filter.png filter  the application log with its filter open
#   tools/screenshot.sh docs/rules.png rules    highlight rules in both logs, an alert on the
#                                               log out of sight, and the Highlight Rules window
# Needs the packages xvfb, xauth, imagemagick and xdotool (all in `make deps`) and a built
# program.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
output=${1:-docs/screenshot.png}
scene=${2:-}
width=960
height=600

if [ -z "${ORVIK_SCREENSHOT_DISPLAY:-}" ]; then
    [ -x "$BUILD/orvik" ] || { echo "no program at $BUILD/orvik; run make build first" >&2; exit 1; }
    mkdir -p "$(dirname "$output")"
    export BUILD
    exec xvfb-run -a -s "-screen 0 ${width}x${height}x24 -nolisten tcp" \
        env ORVIK_SCREENSHOT_DISPLAY=1 "$0" "$output" "$scene"
fi

# From here on we run inside the virtual display.
work=$(mktemp -d /tmp/orvik-demo.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Settings of a user who likes ERROR in red: the window fills the screen (geometry in twips,
# 15 to a pixel at 96 dpi) and the views refresh twice a second.
mkdir -p "$work/config/Orvik"
cat > "$work/config/Orvik/Orvik.conf" <<CONF
[Settings]
Left=0
Top=0
Width=$((width * 15))
Height=$((height * 15))
FontName=DejaVu Sans Mono
FontSize=9
FontBold=False
FontItalic=False
FontUnderline=False
HighLightString=ERROR
RefreshInterval=500
CONF
if [ "$scene" = rules ]; then
    # Errors on a red line, warnings in orange, server errors in purple, two users in blue;
    # an error in a log out of sight raises an alert.
    cat >> "$work/config/Orvik/Orvik.conf" <<'CONF'

[Highlight Rules]
Count=4
Rule1="ERROR",1,0,#d62728,1,1
Rule2="WARN",0,0,#ff7f0e,0,0
Rule3="\" 5\\d\\d ",0,1,#9467bd,0,0
Rule4="alice|bob",0,1,#1f77b4,0,0
CONF
fi

# Two logs as a web service would write them: a request log and an application log.
stamp() { date '+%Y-%m-%d %H:%M:%S'; }
paths=(/ /login /api/orders /api/orders/1042 /static/app.js /api/cart /health /api/search)
entries=("INFO order 1042 confirmed" "DEBUG cache refreshed in 12 ms"
         "ERROR payment gateway timeout after 30 s" "INFO user alice signed in"
         "WARN retrying delivery of message 77" "WARN disk usage at 81%"
         "ERROR connection pool exhausted" "INFO nightly report written"
         "INFO order 1043 confirmed" "INFO user bob signed out")
write_access() { # <lines>
    for ((i = 0; i < $1; i++)); do
        local code=200
        ((RANDOM % 9 == 0)) && code=500
        echo "10.0.0.$((RANDOM % 40 + 2)) - - [$(stamp)] \"GET ${paths[RANDOM % 8]} HTTP/1.1\"" \
             "$code $((RANDOM % 9000 + 300))"
    done >> "$work/access.log"
}
write_app() { # <lines>
    for ((i = 0; i < $1; i++)); do
        local entry=${entries[RANDOM % ${#entries[@]}]}
        echo "$(stamp) ${entry%% *} [worker-$((RANDOM % 4 + 1))] ${entry#* }"
    done >> "$work/app.log"
}
write_access 30
write_app 30
(while :; do write_access 1; sleep 0.3; done) &
pids+=($!)
(while :; do write_app 1; sleep 0.4; done) &
pids+=($!)

logs=("$work/access.log" "$work/app.log")
[ "$scene" = filter ] && logs=("$work/app.log")
XDG_CONFIG_HOME="$work/config" "$BUILD/orvik" "${logs[@]}" &
orvik=$!
pids+=("$orvik")

# Let a few refresh cycles bring both views up to date, then take the whole screen.
sleep 4
kill -0 "$orvik" 2>/dev/null || { echo "orvik ended before the screenshot" >&2; exit 1; }
if [ "$scene" = find ]; then
    # A click in the application log, Ctrl+F, and a search upwards for a payment timeout; the
    # occurrence found stays selected while the log grows.
    xdotool search --sync --name '^Orvik$' windowfocus --sync
    xdotool mousemove 300 480 click 1 key ctrl+f
    xdotool search --sync --name '^Find$' windowfocus --sync
    xdotool type --delay 60 'payment gateway'
    xdotool key alt+u
    sleep 0.3 # a button's access key takes effect after its short animation
    xdotool key Return
    sleep 1.5
elif [ "$scene" = filter ]; then
    # The application log filled out, Ctrl+L and an expression for errors and warnings; the
    # pane keeps up while the log grows.
    xdotool search --sync --name '^Orvik$' windowfocus --sync
    xdotool mousemove 300 200 click 1 key ctrl+l
    sleep 0.5
    xdotool type --delay 60 'ERROR|WARN'
    xdotool key alt+r
    sleep 2.5
elif [ "$scene" = rules ]; then
    # The request log active, so that errors in the application log raise its alert; then
    # View, Highlight Rules... moved below the logs.
    xdotool search --sync --name '^Orvik$' windowfocus --sync
    xdotool mousemove 300 200 click 1
    sleep 3
    xdotool key alt+v
    sleep 0.3
    xdotool key u
    xdotool search --sync --name '^Highlight Rules$' windowsize 560 250 windowmove 400 345
    sleep 1
fi
import -window root "$output"
echo "wrote $output"
