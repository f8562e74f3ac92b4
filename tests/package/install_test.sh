#!/bin/sh
# Installs the build into a scratch DESTDIR the way a distribution would, then checks the layout:
# install_test.sh <build dir> <scratch dir> <version>
set -eu
build=$1
scratch=$2
version=$3
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$scratch"
mkdir -p "$scratch"
DESTDIR="$scratch" cmake --install "$build" --prefix /usr >"$scratch.log" 2>&1 \
    || { cat "$scratch.log" >&2; exit 1; }
"$here/check_layout.sh" "$scratch/usr" "$version"
