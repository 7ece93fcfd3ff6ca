#!/usr/bin/env bash
# desktop-install-test.sh BUILD-FOLDER — installs the build into a temporary prefix, checks
# that every file a desktop needs is there and that desktop-file-validate and appstreamcli
# accept them, runs the installed monitor's --version, then builds the Debian package and
# reads its control data and contents.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

id=org.umberlin.rezuvidodo
files=(
  bin/umberlin-rezuvidodo
  bin/umberlin-record
  share/applications/$id.desktop
  share/metainfo/$id.metainfo.xml
  share/icons/hicolor/scalable/apps/$id.svg
  share/doc/umberlin-rezuvidodo/manual/index.html
)
for size in 16 24 32 48 64 128 256; do files+=("share/icons/hicolor/${size}x${size}/apps/$id.png"); done

cmake --install "$build" --prefix "$work/usr" >"$work/install.log"
for file in "${files[@]}"; do
  [[ -s $work/usr/$file ]] || fail "the install has no $file"
done
for size in 16 256; do
  # A PNG's width is the big-endian number at byte 16.
  width=$(od -An -tu1 -j16 -N4 "$work/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" |
    awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }')
  [[ $width == "$size" ]] || fail "the ${size}x${size} icon is $width pixels wide"
done
desktop-file-validate "$work/usr/share/applications/$id.desktop"
grep -qx 'Exec=umberlin-rezuvidodo --new-window' "$work/usr/share/applications/$id.desktop" ||
  fail "the desktop entry has no New Window action"
appstreamcli validate --no-net "$work/usr/share/metainfo/$id.metainfo.xml"
version=$(QT_QPA_PLATFORM=offscreen "$work/usr/bin/umberlin-rezuvidodo" --version)
[[ $version == "Umberlin Rezuvidodo "[0-9]* ]] || fail "--version printed: $version"

cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(compgen -G "$work/package/*.deb" | head -n 1) || fail "cpack made no .deb"
depends=$(dpkg-deb --field "$deb" Depends)
for package in libqt6widgets6 libqt6openglwidgets6 libavcodec59 libavformat59 libswresample4 libavahi-client3; do
  [[ $depends == *"$package"* ]] || fail "the package does not depend on $package: $depends"
done
# Read the field itself: `dpkg-deb --info | grep -q` fails under pipefail whenever grep stops
# reading before dpkg-deb has finished writing.
package=$(dpkg-deb --field "$deb" Package)
[[ $package == umberlin-rezuvidodo ]] || fail "the package is named $package, not umberlin-rezuvidodo"
contents=$(dpkg-deb --contents "$deb" | awk '{ print $6 }')
for file in "${files[@]}"; do
  grep -qx "./usr/$file" <<<"$contents" || fail "the package does not contain /usr/$file"
done
echo "PASS: $(basename "$deb")"
