#!/usr/bin/env bash
# `make run`: renders 300 frames of 1280x720 headless into ./out.
set -euo pipefail
build=$1
out=${INKSPIN_OUT:-out}
"$build/hosts/inkspin" --render "$out" --frames 300 --size 1280x720
echo "Inkspin rendered 300 frames of 1280x720 into $(cd "$out" && pwd)/frame-0000.png ... frame-0299.png"
