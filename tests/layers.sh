#!/usr/bin/env bash
# The tree's shape: no folder includes a header of a folder that includes one of its own back (directly or round a
# longer loop), and no source file is longer than 400 lines. tsort (coreutils) finds the loops.
# Usage: layers.sh SOURCE_DIR
set -uo pipefail
cd "$1" || exit 2
files=$(find hosts platform saver settings support linkview tools bench fuzz -name '*.cpp' -o -name '*.h')
status=0
edges=$(for f in $files; do
  from=$(dirname "$f")
  sed -n 's/^#include "\([^"]*\)".*/\1/p' "$f" | while read -r header; do
    to=$(dirname "$header")
    [[ $to != "$from" && -e $header ]] && echo "$from $to"
  done
done | sort -u)
if ! loops=$(tsort <<<"$edges" 2>&1 >/dev/null) || [[ -n $loops ]]; then
  echo "folders that include each other:"
  echo "$loops"
  status=1
fi
for f in $files; do
  lines=$(wc -l <"$f")
  if ((lines > 400)); then
    echo "$f: $lines lines (at most 400: cut it where its concerns part)"
    status=1
  fi
done
exit $status
