#!/usr/bin/env bash
# Runs each libFuzzer target of BUILD for SECONDS, from a corpus seeded with real inputs (the packed lattice, the
# golden preferences files, typical command lines). A crash leaves its input in BUILD/crashes/ and fails the run.
set -euo pipefail
build=$1
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$build/crashes"
seed() { # target, then seed files
  local corpus="$build/corpus/$1"
  mkdir -p "$corpus"
  shift
  cp "$@" "$corpus/"
}
seed packed_object "$root/resources/lattice.lzo"
seed preferences_file "$root"/tests/golden/preferences-*.conf
mkdir -p "$build/corpus/command_line"
printf -- '--render\nout\n--frames\n3\n--size\n96x54\n--rate\n4' > "$build/corpus/command_line/render"
printf -- '-window-id\n0x200001' > "$build/corpus/command_line/window-id"
printf -- '-root' > "$build/corpus/command_line/root"
printf -- '--root\n--window-id\n0x400001\n--zoom-factor\n2.5\n--ink-colour\n#ff0000\n--shade-colour\n1,0.5,0\n--fps\n--delay\n33333' > "$build/corpus/command_line/settings"
failed=0
for target in packed_object preferences_file command_line; do
  echo "fuzzing $target for ${seconds}s"
  if ! "$build/fuzz/fuzz_$target" "$build/corpus/$target" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="$build/crashes/$target-" 2>"$build/fuzz-$target.log"; then
    echo "  $target: FAILED, see $build/fuzz-$target.log and $build/crashes/"
    failed=1
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$build/fuzz-$target.log" | sed 's/^/  /'
done
exit $failed
