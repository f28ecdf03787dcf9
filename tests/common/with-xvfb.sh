#!/bin/sh
# Runs a test program on a fresh Xvfb display of its own; exits 77 (skipped) with the reason where there is none.
command -v xvfb-run >/dev/null 2>&1 || { echo "skipped: no xvfb-run here (install xvfb to run this suite)"; exit 77; }
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$@"
