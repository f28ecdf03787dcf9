#!/usr/bin/env bash
# A long real run of `inkspin -root` on an Xvfb display of its own, sampling the saver's resident memory and open
# descriptors every INTERVAL seconds. Usage: scripts/soak.sh BUILD [SECONDS=600] [SIZE=1280x720] [INTERVAL=10]
# Prints one line per sample and a summary; exits 1 if the saver died or grew after the first minute.
set -euo pipefail
build=${1:?usage: scripts/soak.sh BUILD [SECONDS] [SIZE] [INTERVAL]}
seconds=${2:-600}
size=${3:-1280x720}
interval=${4:-10}
display=":$((200 + RANDOM % 300))"
config=$(mktemp -d)
Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$config"' EXIT
sleep 1
DISPLAY=$display XDG_CONFIG_HOME=$config "$build/hosts/inkspin" -root &
saver=$!
echo "seconds rss_kib fds cpu_ticks"
first_minute_rss=0 first_minute_fds=0 grew=0
for ((t = 0; t <= seconds; t += interval)); do
  [[ -d /proc/$saver ]] || { echo "the saver died"; exit 1; }
  rss=$(awk '/^VmRSS/ {print $2}' /proc/$saver/status)
  fds=$(ls /proc/$saver/fd | wc -l)
  cpu=$(awk '{print $14 + $15}' /proc/$saver/stat)
  echo "$t $rss $fds $cpu"
  if ((t == 60)); then first_minute_rss=$rss first_minute_fds=$fds; fi
  if ((t > 60)) && ((rss > first_minute_rss + 1024 || fds != first_minute_fds)); then grew=1; fi
  ((t < seconds)) && sleep "$interval"
done
kill -TERM $saver
wait $saver && status=0 || status=$?
echo "after the first minute: rss $first_minute_rss KiB, $first_minute_fds descriptors; grew: $grew; exit status $status"
((grew == 0 && status == 0))
