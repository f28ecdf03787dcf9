#!/usr/bin/env bash
# `make mutate`: plants each fault of tests/mutations.txt in turn (one exact text of one file replaced), rebuilds,
# runs the tests the fault names, puts the file back, and reports the faults no test noticed. The same tests run
# first on the code as it is: a suite that fails there gives no verdicts.
# Usage: mutate.sh BUILD [WORD]   (WORD: only the faults whose description holds it)
set -uo pipefail
build=$1
only=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
list="$root/tests/mutations.txt"
saved=$(mktemp)
planted=""
restore() { [[ -z $planted ]] || cp "$saved" "$planted"; planted=""; }
trap 'restore; rm -f "$saved"' EXIT
trap 'exit 130' INT TERM

# The faults, one block each (what:, file:, find:, replace:, tests:), blocks apart by blank lines.
whats=() files=() finds=() replaces=() tests=()
while IFS= read -r line || [[ -n $line ]]; do
  case $line in
    what:*) whats+=("${line#what: }") ;;
    file:*) files+=("${line#file: }") ;;
    find:*) finds+=("${line#find: }") ;;
    replace:*) replaces+=("${line#replace: }") ;;
    tests:*) tests+=("${line#tests: }") ;;
  esac
done < <(grep -v '^#' "$list")
count=${#whats[@]}
if [[ ${#files[@]} -ne $count || ${#finds[@]} -ne $count || ${#replaces[@]} -ne $count || ${#tests[@]} -ne $count ]]; then
  echo "mutate: $list: every fault needs what:, file:, find:, replace: and tests:" >&2
  exit 2
fi

run_tests() { # a ctest regular expression; true when every test passed
  (cd "$build" && timeout 900 ctest -R "$1" --timeout 300 -j 2 >/dev/null 2>&1)
}

selected=()
for ((i = 0; i < count; i++)); do
  [[ -z $only || ${whats[i]} == *"$only"* ]] && selected+=("$i")
done
echo "mutate: ${#selected[@]} of $count faults"
if ! cmake --build "$build" -j 2 >/dev/null; then
  echo "mutate: the build fails as it is" >&2
  exit 2
fi
union=""
for i in "${selected[@]}"; do
  union+="${union:+|}${tests[i]}"
done
if ! run_tests "$union"; then
  echo "mutate: the tests fail on the unchanged code ($build: ctest -R '$union'): no verdicts" >&2
  exit 2
fi

missed=0 broken=0
for i in "${selected[@]}"; do
  file="$root/${files[i]}"
  find=${finds[i]//\\n/$'\n'} replace=${replaces[i]//\\n/$'\n'} # \n: a line break
  found=$(FIND=$find perl -0777 -ne 'print scalar(() = /\Q$ENV{FIND}\E/g)' "$file" 2>/dev/null || echo 0)
  if [[ $found != 1 ]]; then
    echo "  BROKEN  ${whats[i]}: the text is in ${files[i]} $found times, not once"
    broken=$((broken + 1))
    continue
  fi
  cp "$file" "$saved"
  planted=$file
  FIND=$find REPLACE=$replace perl -0777 -pi -e 's/\Q$ENV{FIND}\E/$ENV{REPLACE}/' "$file"
  if ! cmake --build "$build" -j 2 >/dev/null 2>&1; then
    echo "  BROKEN  ${whats[i]}: does not build"
    broken=$((broken + 1))
  elif run_tests "${tests[i]}"; then
    echo "  MISSED  ${whats[i]}"
    missed=$((missed + 1))
  else
    echo "  caught  ${whats[i]}"
  fi
  restore
done
cmake --build "$build" -j 2 >/dev/null
echo "mutate: $((${#selected[@]} - missed - broken)) caught, $missed missed, $broken broken"
[[ $missed -eq 0 && $broken -eq 0 ]]
