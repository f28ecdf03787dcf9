#!/usr/bin/env bash
# Installs the given Debian packages that are missing; says nothing when all are there. With --no-recommends first,
# without the packages they recommend (KWin's would bring the whole Plasma desktop).
set -euo pipefail
options=()
if [[ ${1:-} == --no-recommends ]]; then
  options=(--no-install-recommends)
  shift
fi
missing=()
for package in "$@"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${options[@]}" "${missing[@]}" >/dev/null
