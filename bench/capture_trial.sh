#!/usr/bin/env bash
# The capture for real: 1 MB of random bytes to the other end of the program's pseudo-terminal in uneven chunks,
# with two picks and a Stop/Start on the way, must arrive in the --log file byte for byte.
#   bench/capture_trial.sh [KALVANE]   (default build/release/src/kalvane)
# Needs Xvfb, openbox, xdotool, socat (which joins the program's pseudo-terminal to the one written) and python3.
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/release/src/kalvane}")
work=$(mktemp -d -t capture_trial.XXXXXX)
exec 3< <(exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
xvfb=$! # not a job, so named apart
trap 'kill $(jobs -p) "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
read -r display <&3
export DISPLAY=:$display
openbox >/dev/null 2>&1 &
head -c 1000000 /dev/urandom >"$work/sent"
socat pty,raw,echo=0,link="$work/port" pty,raw,echo=0,link="$work/peer" 2>/dev/null &
for _ in $(seq 100); do [[ -e $work/port && -e $work/peer ]] && break; sleep 0.05; done
log=$work/capture.log
write() { # from to: that stretch of the bytes, in chunks of 1 byte to 64 KiB at an uneven pace
  python3 - "$work/peer" "$work/sent" "$1" "$2" <<'PY'
import os, random, sys, time
peer, sent, start, end = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
data, fd, rng, i = open(sent, 'rb').read()[start:end], os.open(peer, os.O_WRONLY | os.O_NOCTTY), random.Random(start), 0
while i < len(data):
    i += os.write(fd, data[i:i + rng.choice([1, 7, 100, 1000, 4096, 20000, 65536])])
    time.sleep(rng.choice([0, 0, 0.001, 0.01, 0.05]))
PY
}
arrived() { for _ in $(seq 300); do (($(stat -c %s "$log") >= $1)) && return; sleep 0.1; done; echo "only $(stat -c %s "$log") of $1 bytes"; }
"$program" --log "$log" "$work/port" & pid=$!
sleep 3
window=$(xdotool search --onlyvisible --name Kalvane | head -1)
xdotool windowactivate "$window"
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.3; }
pick() { click 326 374; xdotool key "$1" Return; sleep 0.5; } # the baud list, one item down or up
click 448 457 # "пуск"
write 0 300000; arrived 300000
pick Down
write 300000 500000 & writer=$!
click 508 457; sleep 0.5; click 448 457 # "стоп", then "пуск", while bytes flow
wait $writer; arrived 500000
pick Up
write 500000 1000000; arrived 1000000
kill -TERM $pid; wait $pid
cmp "$work/sent" "$log" && echo "cmp: the capture is identical to the 1000000 bytes sent"
