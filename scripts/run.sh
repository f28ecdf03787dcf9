#!/usr/bin/env bash
# `make run`: the saver has no display host yet, so nothing to run beyond the build.
set -euo pipefail
echo "Inkspin is built in $1; the headless renderer arrives with the next host."
