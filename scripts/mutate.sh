#!/usr/bin/env bash
# `make mutate`: plants each fault of tests/mutations.txt in turn (one exact text of one file replaced), rebuilds,
# runs the tests the fault names, puts the file back, and reports the faults no test noticed. The same tests run
# first on the code as it is: a suite that fails there gives no verdicts.
# With FULL=1 each fault runs against the whole suite instead, and BUILD/mutate-table.txt tells which tests caught
# which fault, which faults only one test caught, and which tests caught no fault alone: the candidates to cut.
# Usage: [FULL=1] mutate.sh BUILD [WORD]   (WORD: only the faults whose description holds it)
set -uo pipefail
build=$1
only=${2:-}
full=${FULL:-}
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

run_tests() { # a ctest regular expression (all tests when FULL); true when every test passed
  if [[ -n $full ]]; then
    (cd "$build" && timeout 3600 ctest --timeout 300 -j 2 >/dev/null 2>&1)
  else
    (cd "$build" && timeout 900 ctest -R "$1" --timeout 300 -j 2 >/dev/null 2>&1)
  fi
}
failed_tests() { # the names of the tests the last run failed, one a line
  sed 's/^[0-9]*://' "$build/Testing/Temporary/LastTestsFailed.log" 2>/dev/null
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
catchers=$(mktemp) # FULL: a line for each test that caught a fault, "INDEX<tab>TEST"
trap 'restore; rm -f "$saved" "$catchers"' EXIT
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
    if [[ -n $full ]]; then
      failed_tests | sed "s/^/$i\t/" >>"$catchers"
      failed_tests | grep -Eq "${tests[i]}" ||
        echo "          not by the tests it names (${tests[i]}) but by: $(failed_tests | tr '\n' ' ')"
    fi
  fi
  restore
done
cmake --build "$build" -j 2 >/dev/null
if [[ -n $full ]]; then
  table="$build/mutate-table.txt"
  {
    echo "# Which tests caught which fault (make mutate FULL=1)."
    echo
    echo "## Faults, and the tests that caught each"
    for i in "${selected[@]}"; do
      echo "${whats[i]}: $(awk -F'\t' -v i="$i" '$1 == i { printf "%s ", $2 }' "$catchers")"
    done
    echo
    echo "## Faults that one test alone caught"
    awk -F'\t' '{ n[$1]++; t[$1] = $2 } END { for (i in n) if (n[i] == 1) print i "\t" t[i] }' "$catchers" |
      while IFS=$'\t' read -r i test; do echo "$test: ${whats[i]}"; done | sort
    echo
    echo "## Tests: the faults each caught, and those it alone caught (none alone: a candidate to cut)"
    awk -F'\t' '{ n[$1]++; caught[$2]++; fault[NR] = $1; test[NR] = $2 }
                END { for (k in fault) if (n[fault[k]] == 1) alone[test[k]]++
                      for (t in caught) printf "%s: %d caught, %d alone\n", t, caught[t], alone[t] }' "$catchers" | sort
    (cd "$build" && ctest -N) | sed -n 's/^ *Test *#[0-9]*: //p' | sort | comm -23 - <(cut -f2 "$catchers" | sort -u) |
      sed 's/$/: 0 caught/'
  } >"$table"
  echo "mutate: the table is in $table"
fi
echo "mutate: $((${#selected[@]} - missed - broken)) caught, $missed missed, $broken broken"
[[ $missed -eq 0 && $broken -eq 0 ]]
