#!/usr/bin/env bash
# Builds the Release program and the bare window, then measures them side by side under Xvfb, each program on
# a pseudo-terminal the benchmark makes.
#   bench/side_by_side.sh [KALVANE...]   (default: build/release/src/kalvane; give several to compare builds)
# Needs Xvfb, xdotool, python3-xlib, and ser2net for the remote case. Through sudo it builds and measures as the
# user who called sudo.
# BENCH_ROUNDS, BENCH_STARTS, BENCH_POLL_S and BENCH_FLOOD_S shorten a trial run (3, 20, 30 and 10 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
as_user=()
if [[ $(id -u) == 0 && -n ${SUDO_USER:-} && $SUDO_USER != root ]]; then
  as_user=(runuser -u "$SUDO_USER" --)
  # An earlier run as root may have left build trees the user cannot write.
  [[ -d build ]] && chown -R "$SUDO_USER:" build
fi
"${as_user[@]}" cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
"${as_user[@]}" cmake --build build/release --target kalvane bare_window >/dev/null
(($#)) || set -- build/release/src/kalvane
exec "${as_user[@]}" /usr/bin/python3 bench/side_by_side.py build/release/bench/bare_window "$@"
