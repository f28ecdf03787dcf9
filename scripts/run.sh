#!/usr/bin/env bash
# `make run`: the saver in its own window when there is a display; otherwise (or when the display cannot be used)
# 300 frames of 1280x720 rendered headless into ./out.
set -euo pipefail
build=$1
out=${INKSPIN_OUT:-out}
if [[ -n "${WAYLAND_DISPLAY:-}" || -n "${DISPLAY:-}" ]]; then
  echo "Inkspin runs in its own window on ${WAYLAND_DISPLAY:-$DISPLAY}; press q or Esc to end it."
  if "$build/hosts/inkspin"; then
    exit 0
  fi
  echo "The display could not be used; rendering headless instead."
fi
"$build/hosts/inkspin" --render "$out" --frames 300 --size 1280x720
echo "Inkspin rendered 300 frames of 1280x720 into $(cd "$out" && pwd)/frame-0000.png ... frame-0299.png"
