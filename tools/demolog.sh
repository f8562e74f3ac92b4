#!/usr/bin/env bash
# Appends web-service style log lines to a file, a few every 300 ms, some of them errors,
# until it is stopped or the process given as the watcher is gone.
# Usage: demolog.sh LOGFILE [WATCHER_PID]
set -u

log=${1:?usage: demolog.sh LOGFILE [WATCHER_PID]}
watcher=${2:-}

threads=(http-1 http-2 http-3 scheduler db-pool mailer)
paths=(/api/orders /api/orders/1042 /api/customers /api/stock /health /login /api/invoices)
users=(anna bjorn chen dara emil farah)

line() {
    local now level thread
    now=$(date '+%Y-%m-%d %H:%M:%S.%3N')
    thread=${threads[RANDOM % ${#threads[@]}]}
    case $((RANDOM % 20)) in
    0)
        level=ERROR
        case $((RANDOM % 3)) in
        0) msg="Database connection lost: timeout after 5000 ms (pool db-main)" ;;
        1) msg="Payment gateway returned 502 for order $((1000 + RANDOM % 9000))" ;;
        *) msg="Unhandled exception in ${paths[RANDOM % ${#paths[@]}]}: NullPointerException" ;;
        esac
        ;;
    1 | 2)
        level=WARN
        msg="Slow request ${paths[RANDOM % ${#paths[@]}]} took $((800 + RANDOM % 3000)) ms"
        ;;
    3)
        level=DEBUG
        msg="Cache hit ratio $((60 + RANDOM % 40))% ($((RANDOM % 5000)) entries)"
        ;;
    4)
        level=INFO
        msg="User ${users[RANDOM % ${#users[@]}]} logged in from 10.0.$((RANDOM % 255)).$((RANDOM % 255))"
        ;;
    *)
        level=INFO
        msg="GET ${paths[RANDOM % ${#paths[@]}]} 200 $((2 + RANDOM % 180)) ms"
        ;;
    esac
    printf '%s %-5s [%s] %s\n' "$now" "$level" "$thread" "$msg"
}

{
    printf '%s INFO  [main] Service starting, version 4.2.1\n' "$(date '+%Y-%m-%d %H:%M:%S.000')"
    for _ in $(seq 1 30); do line; done
} >>"$log"

while :; do
    if [ -n "$watcher" ] && ! kill -0 "$watcher" 2>/dev/null; then
        exit 0
    fi
    for _ in $(seq 1 $((1 + RANDOM % 3))); do line; done >>"$log"
    sleep 0.3
done
