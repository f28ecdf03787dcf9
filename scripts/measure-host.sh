#!/usr/bin/env bash
# Frames per second and processor time per frame of the real X11 host, `inkspin -root` on an Xvfb display of
# 1920x1080 of its own, beside its floor (bench/FloorHost.cpp) in the same run. The saver is measured over
# SECONDS once its intro is over (25 s in), the floor over SECONDS.
# Usage: scripts/measure-host.sh BUILD [SECONDS=15] [FLOOR_BUILD=BUILD] (an older saver can be measured beside today's floor)
# SAVER_ARGS are passed to the saver (SAVER_ARGS="--delay 33333": 30 frames a second).
set -euo pipefail
build=${1:?usage: scripts/measure-host.sh BUILD [SECONDS]}
seconds=${2:-15}
floor_build=${3:-$build}
work=$(mktemp -d)
display=":$((200 + RANDOM % 300))"
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
cc -shared -fPIC -O2 -o "$work/frame-counter.so" "$(dirname "$0")/../bench/frame-counter.c" -ldl
sleep 1
export DISPLAY=$display XDG_CONFIG_HOME=$work
cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
presents() { tail -1 "$work/saver.err" | awk '{print ($2 > 0) ? $2 : int($4 / 2)}'; }

# shellcheck disable=SC2086 # SAVER_ARGS is a list of words
LD_PRELOAD="$work/frame-counter.so" "$build/hosts/inkspin" -root ${SAVER_ARGS:-} 2>"$work/saver.err" &
saver=$!
sleep 25
kill -USR1 $saver; sleep 0.2
frames0=$(presents) cpu0=$(cpu $saver) t0=$(date +%s.%N)
sleep "$seconds"
kill -USR1 $saver; sleep 0.2
frames1=$(presents) cpu1=$(cpu $saver) t1=$(date +%s.%N)
kill -TERM $saver; wait $saver || true
hz=$(getconf CLK_TCK)
awk -v f=$((frames1 - frames0)) -v c=$((cpu1 - cpu0)) -v t0="$t0" -v t1="$t1" -v hz="$hz" \
    'BEGIN { printf "saver: %.1f frames/s, %.1f ms of processor time per frame, %.0f%% of a core\n",
                   f / (t1 - t0), 1000 * c / hz / f, 100 * c / hz / (t1 - t0) }'
"$floor_build/bench/inkspin-floor" "$seconds"
