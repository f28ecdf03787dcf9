#!/bin/sh
# Runs a test program on a fresh Xvfb display of its own; exits 77 (skipped) with the reason where there is none.
# Each run starts its search for a free display at a number of its own: two suites started at the same moment would
# otherwise both pick :99, and the second would end up drawing on (and then losing) the first one's server.
# When the program fails, what the server said is shown too (a suite has been seen to lose its server, rarely).
# $XVFB_SCREEN sets the screen (default 1024x768x24).
command -v xvfb-run >/dev/null 2>&1 || { echo "skipped: no xvfb-run here (install xvfb to run this suite)"; exit 77; }
# A developer's Wayland session must not draw the X11 suites' savers natively on the desktop.
unset WAYLAND_DISPLAY WAYLAND_SOCKET
log=$(mktemp)
# -noreset: the server would otherwise reset whenever its last client leaves (a test's end, when its saver has
# ended too), and a connection made during the reset is refused.
xvfb-run -e "$log" -a -n $((200 + $$ % 700)) -s "-screen 0 ${XVFB_SCREEN:-1024x768x24} -nolisten tcp -noreset" "$@"
status=$?
if [ "$status" -ne 0 ] && [ -s "$log" ]; then
  echo "--- the X server said:"
  cat "$log"
fi
rm -f "$log"
exit "$status"
