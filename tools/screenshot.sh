#!/usr/bin/env bash
# Retakes docs/screenshot.png: Orvik following two logs that are being written while it runs,
# with "ERROR" highlighted. Runs on a virtual X server, so it works on a headless machine too.
#   tools/screenshot.sh [output.png]        (BUILD=dir picks the build directory, default build)
#   tools/screenshot.sh docs/find.png find  the Find window over the logs, after a search
#   tools/screenshot.sh docs/filter.png filter  the application log with its filter open
#   tools/screenshot.sh docs/rules.png rules    highlight rules in both logs, an alert on the
#                                               log out of sight, and the Highlight Rules window
#   tools/screenshot.sh docs/time.png time      three logs with three forms of time (ISO 8601,
#                                               syslog, web server) synchronized on one moment
#   tools/screenshot.sh docs/merged.png merged  the same three logs and the window of all logs
#                                               by time beside them, filtered on ERROR
# Needs the packages xvfb, xauth, imagemagick and xdotool (all in `make deps`) and a built
# program.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
output=${1:-docs/screenshot.png}
scene=${2:-}
width=960
height=600
if [ "$scene" = merged ]; then
    width=1400
    height=860
fi

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
# The same service's times three ways: ISO 8601 with milliseconds and the zone, syslog's
# "Dec  8 13:58:42" and the web server's "[08/Dec/2026:13:58:42 +0000]"; the history written
# first covers the last two minutes, one line about every second in each.
messages=("connection from 10.0.0.7 accepted" "session 42 opened for user alice"
          "pam_unix: authentication failure for bob" "disk /dev/sda1 at 81%"
          "kernel: ERROR I/O on /dev/sdb1, sector 88120"
          "CRON[2211]: (root) CMD (run-parts /etc/cron.hourly)" "session 42 closed")
write_times() { # <seconds since 1970>
    local at=$1
    local entry=${entries[RANDOM % ${#entries[@]}]}
    echo "$(date -d "@$at" '+%Y-%m-%dT%H:%M:%S').$((RANDOM % 900 + 100))$(date -d "@$at" '+%:z')" \
         "${entry%% *} [worker-$((RANDOM % 4 + 1))] ${entry#* }" >> "$work/app.log"
    echo "$(date -d "@$at" '+%b %e %H:%M:%S') gateway sshd[$((RANDOM % 900 + 100))]:" \
         "${messages[RANDOM % ${#messages[@]}]}" >> "$work/syslog"
    echo "10.0.0.$((RANDOM % 40 + 2)) - - [$(date -d "@$at" '+%d/%b/%Y:%H:%M:%S %z')]" \
         "\"GET ${paths[RANDOM % 8]} HTTP/1.1\" 200 $((RANDOM % 9000 + 300))" >> "$work/access.log"
}
if [ "$scene" = time ] || [ "$scene" = merged ]; then
    now=$(date +%s)
    for ((t = now - 120; t < now; t++)); do write_times "$t"; done
    (while :; do write_times "$(date +%s)"; sleep 0.5; done) &
    pids+=($!)
else
    write_access 30
    write_app 30
    (while :; do write_access 1; sleep 0.3; done) &
    pids+=($!)
    (while :; do write_app 1; sleep 0.4; done) &
    pids+=($!)
fi

logs=("$work/access.log" "$work/app.log")
[ "$scene" = filter ] && logs=("$work/app.log")
[ "$scene" = time ] && logs=("$work/app.log" "$work/syslog" "$work/access.log")
[ "$scene" = merged ] && logs=("$work/app.log" "$work/syslog" "$work/access.log")
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
elif [ "$scene" = time ]; then
    # Window, Synchronize by Time; a click in the syslog, then Go to Time there, a minute back:
    # the other two logs show the same moment, their lines marked by a band.
    xdotool search --sync --name '^Orvik$' windowfocus --sync
    xdotool key alt+w
    sleep 0.3
    xdotool key s
    xdotool mousemove 300 300 click 1 key ctrl+t
    xdotool search --sync --name '^Go to Time$' windowfocus --sync
    xdotool key ctrl+a
    xdotool type --delay 40 "$(date -d "@$((now - 60))" '+%H:%M:%S')"
    xdotool key Return
    sleep 1.5
fi
if [ "$scene" = merged ]; then
    # Window, All Logs by Time beside the three logs, and its filter on ERROR; the logs go on
    # being written, the errors of all three come in as they happen.
    xdotool search --sync --name '^Orvik$' windowfocus --sync
    xdotool key ctrl+shift+t
    sleep 1
    xdotool key ctrl+l
    sleep 0.5
    xdotool type --delay 60 'ERROR'
    sleep 2.5
fi
import -window root "$output"
echo "wrote $output"
