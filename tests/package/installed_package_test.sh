#!/usr/bin/env bash
# Unpacks the Debian package made by the package_build test into a scratch
# root, checks what it installs, and runs the installed programs from there:
# zld-run --version, then the example test against the simulated load in a
# program folder that starts empty.
#   installed_package_test.sh PACKAGE_DIR VERSION
set -euo pipefail
package_dir=$1
version=$2

fail() { echo "FAIL: $*" >&2; exit 1; }

debs=("$package_dir"/zld3300_"$version"_*.deb)
[ -f "${debs[0]}" ] || fail "no package zld3300_${version}_*.deb in $package_dir"
deb=${debs[0]}

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
names=" $(echo "$depends" | sed -E 's/ \([^)]*\)//g; s/,//g') "
for lib in libqt6core6 libqt6network6 libqt6serialport6 libqt6widgets6 libstdc++6 qt6-qpa-plugins; do
    [[ "$names" == *" $lib "* ]] || fail "Depends lacks $lib (dependencies come from the binaries)"
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg -x "$deb" "$root"
usr=$root/usr

for file in bin/zld3300 bin/zld-run bin/zld-sim \
        share/applications/zld3300.desktop \
        share/metainfo/net.zld3300.control.metainfo.xml \
        share/icons/hicolor/scalable/apps/zld3300.svg \
        share/man/man1/zld3300.1.gz share/man/man1/zld-run.1.gz share/man/man1/zld-sim.1.gz \
        share/zld3300/examples/TRIO.INI share/zld3300/examples/demo/TRIO.INI \
        share/zld3300/examples/demo/TestFile01.INI \
        share/doc/zld3300/README.md share/doc/zld3300/docs/scripting.md \
        share/doc/zld3300/docs/user-guide.md; do
    [ -f "$usr/$file" ] || fail "the package lacks /usr/$file"
done
for size in 16 32 48 64 128 256; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/zld3300.png
    [ -f "$png" ] || fail "the package lacks the ${size}x${size} icon"
    [[ $(file -b "$png") == "PNG image data, $size x $size,"* ]] || fail "$png is not $size x $size"
done
for page in "$usr"/share/man/man1/*.1.gz; do
    gzip -t "$page" || fail "$page is no whole gzip file"
    zcat "$page" | grep -q '^\.SH OPTIONS' || fail "$page lists no options"
done

out=$(desktop-file-validate "$usr/share/applications/zld3300.desktop" 2>&1) \
    || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net --pedantic \
        "$usr/share/metainfo/net.zld3300.control.metainfo.xml" 2>&1) || fail "appstreamcli: $out"
[[ "$out" == *"Validation was successful." ]] && [[ "$out" != *"pedantic:"* ]] \
    || fail "appstreamcli: $out"

shown=$("$usr/bin/zld-run" --version)
[[ "$shown" =~ ^zld-run\ ${version//./\\.}( \(commit [0-9a-f]+(, modified)?\))?$ ]] \
    || fail "zld-run --version printed '$shown'"
echo "$shown"

# An empty program folder: the installed copy puts its example there and runs it.
export XDG_DATA_HOME=$scratch/data XDG_CONFIG_HOME=$scratch/config
home=$scratch/home
status=0
"$usr/bin/zld-run" --home "$home" --sim --sn PKG1 >"$scratch/out" 2>"$scratch/err" || status=$?
cat "$scratch/out" "$scratch/err"
[ "$status" -eq 0 ] || fail "zld-run --home --sim exited with $status"
grep -q '^message: Test Finished$' "$scratch/err" || fail "the example did not run to its end"
grep -q 'example files .*TRIO.INI copied' "$scratch/out" || fail "no example files were copied"
cmp -s "$home/TestFile01.INI" "$usr/share/zld3300/examples/demo/TestFile01.INI" \
    || fail "the copied test file differs from the installed one"
[ "$(wc -l < "$home/TestLog/PKG1.CSV")" -gt 10 ] || fail "the data log is short"
[ ! -e "$XDG_DATA_HOME/zld3300" ] || fail "with --home, nothing goes to the user's data folder"
echo "package OK"
