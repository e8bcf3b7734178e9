#!/usr/bin/env bash
# Instructions counted by callgrind, offscreen, each measured twice: per polling tick every 100 ms, idle and
# with 1152 B read at each tick (hex), all the UI thread does between two ticks; and from exec until the event
# loop first waits, for the program on a pseudo-terminal this script makes and for bare_window. Counts, unlike
# times, do not move with the machine.
#   bench/instructions.sh [BUILD_DIR]   (default build/release; builds nothing: kalvane, bare_window and
#                                        bench_instructions must be built there)
# Needs valgrind, socat and ser2net, which serves the bench's pseudo-terminal on loopback for the ticks' second
# count. BENCH_IDLE_S (default 15) is how long each start is given to settle under
# valgrind.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/release}")
work=$(mktemp -d -t instructions.XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
# Both programs on Qt's own event loop, which the program picks for itself, so that both wait the same
# way; one locale whatever the caller's.
export QT_QPA_PLATFORM=offscreen QT_NO_GLIB=1 LC_ALL=C.UTF-8
socat pty,raw,echo=0,link="$work/port" pty,raw,echo=0,link="$work/peer" 2>/dev/null &
for _ in $(seq 100); do [[ -e $work/port ]] && break; sleep 0.05; done
port=$(readlink -f "$work/port")
[[ $port == /dev/pts/* ]] || { echo "socat made no pseudo-terminal" >&2; exit 1; }

ticks() { # run [rfc2217]: prints "NAME INSTRUCTIONS_PER_TICK" for each count the bench dumped
  local out=$work/tick$1${2:-}
  # glibc's per-thread cache holds 7 blocks of a size; beyond that a tick's blocks came from the heap's bins
  # at a cost that hung on where start-up had left them, and moved the idle count by 0.7 % from run to run.
  GLIBC_TUNABLES=glibc.malloc.tcache_count=1000 valgrind --tool=callgrind --collect-atstart=no \
    --callgrind-out-file="$out.%p" "$build/bench/bench_instructions" ${2:-} >"$out.log" 2>&1 ||
    { cat "$out.log" >&2; exit 1; }
  awk '/^desc: Trigger: Client Request:/ { name = $5; n = $6 }
       /^totals:/ && n { printf "%s %.0f\n", name, $2 / n; n = 0 }' "$out".*.*
}

# Callgrind dumps each pass of the loop as it is about to block. Posted events are all handled by then, yet
# the pass that follows may still find work waiting (the first expose, a wake-up), so the program is idle at
# the first pass whose poll then waits, or after which nothing ran until it was stopped.
idle() { # run name program [arguments]: prints "NAME INSTRUCTIONS PASSES"
  local out=$work/$2$1 name=$2 k=1 total=0 waited
  shift 2
  valgrind --tool=callgrind --collect-systime=msec --callgrind-out-file="$out" \
    --dump-before='QAbstractEventDispatcher::aboutToBlock*' "$@" >"$out.log" 2>&1 &
  sleep "${BENCH_IDLE_S:-15}"
  kill -TERM $!
  wait $! || true
  while [[ -f $out.$k ]]; do
    total=$((total + $(awk '/^totals:/ { print $2 }' "$out.$k")))
    if [[ ! -f $out.$((k + 1)) ]]; then
      (($(stat -c %Y "$out") - $(stat -c %Y "$out.$k") >= 2)) && break
      echo "$name was still busy when stopped: raise BENCH_IDLE_S" >&2 && exit 1
    fi
    waited=$(callgrind_annotate --show=sysTime --threshold=100 "$out.$((k + 1))" |
      awk '/:ppoll / { gsub(",", "", $1); print $1 + 0 }')
    ((${waited:-0} >= 10)) && break
    k=$((k + 1))
  done
  ((total > 0)) || { cat "$out.log" >&2; exit 1; }
  echo "$name $total $k"
}

for run in 1 2; do
  ticks $run
  ticks $run rfc2217
  idle $run kalvane "$build/src/kalvane" "$port"
  idle $run bare_window "$build/bench/bare_window"
done >"$work/counts"
# Start-up reads every font fontconfig knows: installing fonts moves the counts from exec.
echo "$(valgrind --version), $(fc-list 2>/dev/null | wc -l) fonts"
awk '!($1 in a) { a[$1] = $2; passes[$1] = $3; next } { b[$1] = $2; passes[$1] = passes[$1] "/" $3 }
     END {
       split("idle tick|1152 B tick (hex)|idle tick, ser2net|1152 B tick, ser2net|kalvane exec to idle|" \
             "bare_window exec to idle", label, "|")
       split("idle loaded remote-idle remote-loaded kalvane bare_window", key, " ")
       for (i = 1; i <= 6; i++) {
         k = key[i]
         d = a[k] > b[k] ? a[k] - b[k] : b[k] - a[k]
         printf "%-26s %12.0f %12.0f  apart %.3f %%", label[i], a[k], b[k], 100 * d / a[k]
         printf (passes[k] == "/" ? "\n" : "  (passes of the loop %s)\n"), passes[k]
       }
     }' "$work/counts"
