#!/usr/bin/env bash
# Builds the Release program and the bare window, then measures them side by side under Xvfb.
#   bench/side_by_side.sh [KALVANE...]   (default: build/release/src/kalvane; give several to compare builds)
# Needs root for the pseudo-terminal wrapper, and Xvfb, xdotool, socat, python3-xlib and ser2net (the remote case).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target kalvane bare_window >/dev/null
(($#)) || set -- build/release/src/kalvane
exec "${FAKE_SERIAL:-../shared/tools/fake-serial}" -- /usr/bin/python3 bench/side_by_side.py \
  build/release/bench/bare_window "$@"
