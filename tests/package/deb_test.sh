#!/bin/sh
# Checks the Debian package: its control fields, then its files unpacked into a scratch root.
#   deb_test.sh <build dir> <scratch dir> <version> [package.deb]
# Without a package file, one is built with CPack into the scratch directory first.
set -eu
build=$1
scratch=$2
version=$3
deb=${4:-}
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$scratch"
mkdir -p "$scratch/out" "$scratch/root"
if [ -z "$deb" ]; then
    cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 \
        || { cat "$scratch/cpack.log" >&2; exit 1; }
    set -- "$scratch"/out/orvik_*.deb
    [ $# = 1 ] && [ -f "$1" ] || { echo "FAIL: CPack made no single package: $*" >&2; exit 1; }
    deb=$1
fi

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
field() { dpkg-deb -f "$deb" "$1"; }

[ "$(field Package)" = orvik ] || fail "package name is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "package version is '$(field Version)', not $version"
[ "$(field Maintainer)" = "Orvik developers" ] || fail "maintainer is '$(field Maintainer)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] \
    || fail "architecture is '$(field Architecture)'"
depends=$(field Depends)
for runtime in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libqt6printsupport6 libqt6dbus6 \
        qt6-qpa-plugins libpcre2-8-0 zlib1g libzstd1 liblzma5 libbz2-1.0 libc6; do
    echo "$depends" | tr ',' '\n' | grep -q "^ *$runtime\( \|$\)" \
        || fail "does not depend on $runtime: $depends"
done
# Hyperscan is linked where it was found at build time (amd64).
if grep -q "^HYPERSCAN_FOUND:INTERNAL=1" "$build/CMakeCache.txt"; then
    echo "$depends" | tr ',' '\n' | grep -q "^ *libhyperscan5\( \|$\)" \
        || fail "does not depend on libhyperscan5: $depends"
fi
# Nothing a Debian system would reject outright in the package's own metadata.
dpkg-deb --info "$deb" >/dev/null || fail "dpkg-deb cannot read $deb"

dpkg -x "$deb" "$scratch/root"
"$here/check_layout.sh" "$scratch/root/usr" "$version" || failures=$((failures + 1))
# Owned by root and world-readable, whoever built the package.
dpkg-deb -c "$deb" | awk '$2 != "root/root" { print }' | grep . \
    && fail "files not owned by root/root"

[ "$failures" = 0 ] || exit 1
echo "package $deb is complete"
