#!/usr/bin/env bash
# XScreenSaver's description and the man page as the build wrote them from the options table: the XML is well
# formed, every argument XScreenSaver's Settings dialog can make from it (each boolean's words, each number at its
# low, high and default, each string at its default) is one inkspin takes, every setting --help lists is in both,
# the man pages render without a warning, and the README's tables of the settings and of the preferences file's keys
# are the ones the options table makes.
# Every option of inkspin-idle's --help ($INKSPIN_IDLE) has its entry in the last man page given, the watcher's.
# Usage: option-pages.sh INKSPIN OPTION_PAGES README XML MANPAGE...
set -euo pipefail
inkspin=$1 pages=$2 readme=$3 xml=$4
shift 4
for table in "option | sets:readme" "key | kind:keys"; do
  if ! diff -u <(sed -n "/^| ${table%%:*}/,/^\$/p" "$readme" | sed '/^$/d') <("$pages" "${table#*:}"); then
    echo "a table of the README differs from the options table (build/tools/option-pages ${table#*:} prints it)"
    exit 1
  fi
done
xmllint --noout "$xml"
for page in "$@"; do
  mandoc -T lint -W warning "$page"
  groff -ww -z -man "$page"
done

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_CONFIG_HOME=$dir
taken=0
take() {
  # shellcheck disable=SC2068 # the dialog splits its arguments at spaces, as this does
  if ! "$inkspin" --render "$dir/frames" --frames 1 --size 16x16 $@; then
    echo "inkspin refused what the dialog passes: $*"
    exit 1
  fi
  taken=$((taken + 1))
}
value() { xmllint --xpath "string($1/@$2)" "$xml"; }
for n in $(seq "$(xmllint --xpath 'count(//boolean)' "$xml")"); do
  for attribute in arg-set arg-unset; do
    words=$(value "(//boolean)[$n]" "$attribute")
    [[ -z $words ]] || take "$words"
  done
done
for kind in number string; do
  for n in $(seq "$(xmllint --xpath "count(//$kind)" "$xml")"); do
    arg=$(value "(//$kind)[$n]" arg)
    for attribute in low high default; do
      v=$(value "(//$kind)[$n]" "$attribute")
      [[ -z $v ]] || take "${arg//%/$v}"
    done
  done
done
echo "$taken arguments taken"
[[ $taken -ge 30 ]]

# Every setting --help lists is in the dialog and has its entry in the saver's man page (the first page given).
settings=$("$inkspin" --help | sed -n '/^Settings, for this run only/,/^$/p' | grep -o '^  --[a-z-]*')
manual=$(mandoc -T ascii "$1" | col -b)
for option in $settings; do
  grep -qE -- "arg(-set|-unset)?=\"($option|--no-${option#--})[ \"]" "$xml" || { echo "not in the dialog: $option"; exit 1; }
  grep -qE -- "^ +$option([ ,]|$)" <<<"$manual" || { echo "not in the man page: $option"; exit 1; }
done
echo "$(wc -w <<<"$settings") settings in --help, the dialog and the man page"

idle_manual=$(mandoc -T ascii "${@: -1}" | col -b)
idle_options=$("$INKSPIN_IDLE" --help | grep -o '^  --[a-z-]*')
for option in $idle_options; do
  grep -qE -- "^ +$option( |$)" <<<"$idle_manual" || { echo "not in inkspin-idle's man page: $option"; exit 1; }
done
echo "$(wc -w <<<"$idle_options") options of inkspin-idle in its man page"
