#!/usr/bin/env bash
# Builds the Debian package with CPack into OUT_DIR and checks its control
# fields and contents.
# Usage: deb_package_test.sh BUILD_DIR OUT_DIR VERSION APP_ID
set -euo pipefail
build="$1" out="$2" version="$3" app_id="$4"

problems=0
problem() {
  echo "deb_package_test: $*" >&2
  problems=$((problems + 1))
}

rm -rf "$out"
mkdir -p "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || {
  cat "$out/cpack.log" >&2
  exit 1
}
debs=("$out"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "deb_package_test: cpack made ${#debs[@]} packages" >&2; exit 1; }
deb="${debs[0]}"
arch="$(dpkg --print-architecture)"
[ "$(basename "$deb")" = "velmor_${version}_${arch}.deb" ] || problem "package file is $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velmor ] || problem "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || problem "Version: $(field Version), not $version"
[ "$(field Section)" = graphics ] || problem "Section: $(field Section)"
[ "$(field Architecture)" = "$arch" ] || problem "Architecture: $(field Architecture)"
field Maintainer | grep -qE '^.+ <[^@ ]+@[^@ ]+>$' || problem "Maintainer is no 'name <address>': $(field Maintainer)"
# A summary line and a long description below it.
[ "$(field Description | wc -l)" -gt 2 ] || problem "the description has no long part"
# Every library the programs load is declared, not only some.
depends="$(field Depends)"
for lib in libc6 libstdc++6 libgomp1 libpng16-16 libjpeg62-turbo libtiff6 libgif7 libwebp7 libheif1 libgtk-3-0 libwxbase3.2 libwxgtk3.2; do
  grep -q "$lib" <<<"$depends" || problem "Depends does not name $lib: $depends"
done

contents="$(dpkg-deb -c "$deb" | awk '{print $NF}')"
for f in ./usr/bin/velmor ./usr/bin/velmor-sketch ./usr/share/velmor/velmor.htb \
         "./usr/share/applications/$app_id.desktop" "./usr/share/metainfo/$app_id.metainfo.xml" \
         "./usr/share/icons/hicolor/48x48/apps/$app_id.png" "./usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
         ./usr/share/man/man1/velmor-sketch.1.gz ./usr/share/man/man1/velmor.1.gz; do
  grep -qxF "$f" <<<"$contents" || problem "the package lacks $f"
done

# The packaged programs are stripped, and the tool reports the package's version.
root="$out/root"
dpkg-deb -x "$deb" "$root"
for p in velmor velmor-sketch; do
  file -b "$root/usr/bin/$p" | grep -q ', stripped' || problem "$p is not stripped: $(file -b "$root/usr/bin/$p")"
done
[ "$("$root/usr/bin/velmor-sketch" --version)" = "velmor-sketch $(field Version)" ] ||
  problem "the packaged velmor-sketch --version prints '$("$root/usr/bin/velmor-sketch" --version)'"

if [ "$problems" -ne 0 ]; then
  echo "deb_package_test: $problems problem(s)" >&2
  exit 1
fi
echo "deb_package_test: $(basename "$deb") is complete"
