#!/bin/sh
# Checks an installed Orvik tree: check_layout.sh <prefix dir> <version>
# Every file the desktop needs is present and well formed, and nothing else is installed.
set -eu
prefix=$1
version=$2
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

[ -d "$prefix" ] || { echo "FAIL: no installed tree at $prefix" >&2; exit 1; }
cd "$prefix"

# The program, and the About file beside it where the About window looks for it.
[ -f bin/orvik ] && [ -x bin/orvik ] || fail "bin/orvik is missing or not executable"
if [ -x bin/orvik ]; then
    said=$(QT_QPA_PLATFORM=offscreen bin/orvik --version 2>/dev/null) || true
    [ "$said" = "Orvik $version" ] || fail "installed bin/orvik --version says '$said'"
    # An unknown option is refused before any window is made: status 2, the reason on stderr.
    refused=$(XDG_CONFIG_HOME=/nonexistent QT_QPA_PLATFORM=offscreen \
        timeout 60 bin/orvik --bogus 2>&1 >/dev/null) && status=0 || status=$?
    [ $status -eq 2 ] && echo "$refused" | grep -qx "orvik: unknown option '--bogus'" \
        || fail "bin/orvik --bogus gave status $status and said '$refused'"
fi
head -c 6 bin/Orvik.rtf 2>/dev/null | grep -q '^{\\rtf1' || fail "bin/Orvik.rtf is not rich text"
if [ -f bin/Orvik.rtf ]; then
    opened=$(tr -cd '{' < bin/Orvik.rtf | wc -c)
    closed=$(tr -cd '}' < bin/Orvik.rtf | wc -c)
    [ "$opened" = "$closed" ] || fail "bin/Orvik.rtf has unbalanced braces"
fi

# One launcher; its name is the desktop id that the AppStream data must use too.
set -- share/applications/*.desktop
[ $# = 1 ] && [ -f "$1" ] || fail "expected exactly one launcher in share/applications, got: $*"
desktop=$1
id=$(basename "$desktop" .desktop)
grep -qx 'Exec=orvik %F' "$desktop" || fail "$desktop: Exec is not 'orvik %F'"
grep -qx 'Icon=orvik' "$desktop" || fail "$desktop: Icon is not 'orvik'"
grep -qx 'Type=Application' "$desktop" || fail "$desktop: not an application"
grep -q '^Categories=\(.*;\)\?Utility;' "$desktop" || fail "$desktop: not in the Utility category"
for mime in text/plain text/x-log; do
    grep -q "^MimeType=\(.*;\)\?$mime;" "$desktop" || fail "$desktop: does not open $mime"
done

metainfo=share/metainfo/$id.metainfo.xml
if [ -f "$metainfo" ]; then
    grep -q "<id>$id</id>" "$metainfo" || fail "$metainfo: component id is not $id"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
        || fail "$metainfo: does not launch $id.desktop"
    # The newest release comes first and must be the version being installed.
    first=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1)
    [ "$first" = "<release version=\"$version\"" ] \
        || fail "$metainfo: newest release is '$first', not $version"
else
    fail "no AppStream data $metainfo for the launcher $desktop"
fi

# The application icon at every size of the hicolor theme, each PNG exactly that size.
for size in 16 22 24 32 48 64 128 256; do
    png=share/icons/hicolor/${size}x${size}/apps/orvik.png
    if [ ! -f "$png" ]; then
        fail "missing $png"
        continue
    fi
    # PNG signature, then the IHDR chunk: width and height as 32-bit big-endian numbers.
    magic=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
    [ "$magic" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" \
        $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "$dims" = "${size}x${size}" ] || fail "$png is $dims, not ${size}x${size}"
done
svg=share/icons/hicolor/scalable/apps/orvik.svg
grep -q '<svg' "$svg" 2>/dev/null || fail "missing or broken $svg"

man=share/man/man1/orvik.1
if [ -f "$man" ]; then
    grep -q "^\.TH ORVIK 1 .*\"Orvik $version\"" "$man" || fail "$man: not the page of Orvik $version"
    for word in Orvik.conf '\-\-help' '\-\-version' comma; do
        grep -qF -- "$word" "$man" || fail "$man: says nothing of $word"
    done
    if command -v groff >/dev/null; then
        warnings=$(groff -man -Tutf8 -ww -z "$man" 2>&1)
        [ -z "$warnings" ] || fail "$man: groff warns: $warnings"
    fi
else
    fail "missing $man"
fi

# Nothing beyond the files above (no libraries, headers or test programs).
expected="bin/Orvik.rtf bin/orvik $desktop $metainfo $man $svg"
for size in 16 22 24 32 48 64 128 256; do
    expected="$expected share/icons/hicolor/${size}x${size}/apps/orvik.png"
done
extra=$(find . -type f -o -type l | sed 's|^\./||' | sort \
    | grep -vxF "$(printf '%s\n' $expected)" || true)
[ -z "$extra" ] || fail "unexpected installed files: $extra"

if [ "$failures" -gt 0 ]; then
    echo "$failures layout problem(s) in $prefix" >&2
    exit 1
fi
echo "layout of $prefix is complete ($id, Orvik $version)"
