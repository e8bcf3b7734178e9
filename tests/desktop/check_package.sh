#!/usr/bin/env bash
# Builds the Debian package from a build tree and checks that it carries what the desktop needs.
# usage: check_package.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1 id=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" || { cat "$out/cpack.log"; exit 1; }
deb=$(echo "$out"/kalvane_1.0_*.deb)
[[ -f $deb ]] || { echo "no kalvane_1.0_*.deb"; cat "$out/cpack.log"; exit 1; }

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
expected=(./usr/bin/kalvane "./usr/share/applications/$id.desktop" "./usr/share/metainfo/$id.metainfo.xml"
          ./usr/share/man/man1/kalvane.1)
for size in 16 24 32 48 64 128 256; do
  expected+=("./usr/share/icons/hicolor/${size}x$size/apps/$id.png")
done
status=0
for file in "${expected[@]}"; do
  grep -qxF "$file" <<<"$files" || { echo "missing from the package: $file"; status=1; }
done
# Computed from the binary, so the serial library and the C++ runtime are named with their versions.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6serialport6 libqt6network6 libqt6widgets6 libstdc++6 qt6-qpa-plugins fonts-paratype; do
  grep -q "$library" <<<"$depends" || { echo "Depends lacks $library: $depends"; status=1; }
done
! grep -q gensio <<<"$depends" || { echo "Depends names gensio: $depends"; status=1; }
exit $status
