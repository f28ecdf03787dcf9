#!/bin/sh
# Runs a test program as a Wayland client of a headless sway of its own (pixman, no input devices, no Xwayland);
# exits 77 (skipped) with the reason where there is no sway. Sway refuses to run as root: a root test runs it as
# nobody, in a runtime folder of nobody's that root still reaches.
command -v sway >/dev/null 2>&1 || { echo "skipped: no sway here (make deps installs it)"; exit 77; }
runtime=$(mktemp -d /tmp/inkspin-sway-XXXXXX) || exit 1
printf 'xwayland disable\n' >"$runtime/config"
as=""
if [ "$(id -u)" = 0 ]; then
  chown nobody "$runtime" "$runtime/config"
  as="runuser -u nobody --"
fi
$as env -i HOME="$runtime" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless WLR_RENDERER=pixman \
  WLR_LIBINPUT_NO_DEVICES=1 PATH=/usr/bin:/bin sway -c "$runtime/config" >"$runtime/log" 2>&1 &
sway=$!
display=""
for _ in $(seq 100); do
  display=$(ls "$runtime" 2>/dev/null | grep -E '^wayland-[0-9]+$' | head -n 1)
  [ -n "$display" ] && break
  sleep 0.1
done
status=1
if [ -n "$display" ]; then
  unset DISPLAY XSCREENSAVER_WINDOW
  XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$display" QT_QPA_PLATFORM=wayland "$@"
  status=$?
else
  echo "sway did not start:"
  cat "$runtime/log"
fi
kill "$sway" 2>/dev/null
wait "$sway" 2>/dev/null
rm -rf "$runtime"
exit "$status"
