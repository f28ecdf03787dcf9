#!/usr/bin/env bash
# The Debian package that `make package` built: lintian finds no error, it holds exactly the files of the golden
# list (tests/golden/package-files.txt), it is under 1 MB, and it installs, runs and purges cleanly. It is installed
# into a throwaway root (dpkg --root), so the machine is left as it was.
# Usage: package.sh PACKAGE_DIR GOLDEN_LIST VERSION
set -euo pipefail
directory=$1 golden=$2 version=$3
package=$directory/inkspin_${version}_amd64.deb
# Skipped (77) where it was not built: a plain ctest in build/ stays green; make test builds it first.
[[ -f $package ]] || { echo "skipped: no $package (make package builds it; make test does)"; exit 77; }

lint=$(lintian --tag-display-limit 0 "$package" 2>/dev/null || true)
echo "$lint"
if grep -q '^E:' <<<"$lint"; then
  echo "lintian reports errors"
  exit 1
fi

files=$(dpkg-deb -c "$package" | awk '$1 !~ /^d/ {print $6, $7, $8}' | sed 's/ *$//' | sort)
if ! diff -u "$golden" - <<<"$files"; then
  echo "the package's files differ from $golden"
  exit 1
fi
size=$(stat -c %s "$package")
(( size < 1000000 )) || { echo "the package is $size bytes, over 1 MB"; exit 1; }
[[ $(dpkg-deb -f "$package" Version) == "$version" ]]

root=$(mktemp -d)
trap 'rm -rf "$root" "$root.log"' EXIT
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
force=(--force-depends --force-script-chrootless)
[[ $(id -u) -eq 0 ]] || force+=(--force-not-root)
# The dependencies are not in the throwaway root; dpkg says so at length, which matters only when it fails.
dpkg --root="$root" "${force[@]}" --log=/dev/null -i "$package" >"$root.log" 2>&1 || { cat "$root.log"; exit 1; }
[[ $("$root/usr/bin/inkspin" --version) == "inkspin $version" ]]
[[ $("$root/usr/bin/inkspin-idle" --version) == "inkspin-idle $version" ]]
XDG_CONFIG_HOME=$root "$root/usr/libexec/xscreensaver/inkspin" --render "$root/frames" --frames 3 --size 64x36
[[ $(find "$root/frames" -name 'frame-*.png' | wc -l) -eq 3 ]]
rm -rf "$root/frames"
dpkg --root="$root" "${force[@]}" --log=/dev/null --purge inkspin >"$root.log" 2>&1 || { cat "$root.log"; exit 1; }
left=$(find "$root" -mindepth 1 -not -path "$root/var/lib/dpkg*" -not -type d)
[[ -z $left ]] || { echo "left behind by the purge: $left"; exit 1; }
echo "inkspin $version: lintian without errors, $(wc -l <"$golden") files as listed, $size bytes, installs, runs and purges"
