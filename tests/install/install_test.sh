#!/usr/bin/env bash
# Installs the build into a staging folder as a package would (DESTDIR, prefix
# /usr) and checks what a Debian desktop sees there.
# Usage: install_test.sh BUILD_DIR STAGING_DIR VERSION APP_ID
set -euo pipefail
build="$1" staging="$2" version="$3" app_id="$4"

problems=0
problem() {
  echo "install_test: $*" >&2
  problems=$((problems + 1))
}

rm -rf "$staging"
DESTDIR="$staging" cmake --install "$build" --prefix /usr >/dev/null
usr="$staging/usr"

# Only the two programs go to bin; everything else is data under share.
bins="$(cd "$usr/bin" && ls | sort | tr '\n' ' ')"
[ "$bins" = "velmor velmor-sketch " ] || problem "bin holds '$bins', not just velmor and velmor-sketch"
stray="$(cd "$usr" && find . -type f ! -path './bin/*' ! -path './share/*')"
[ -z "$stray" ] || problem "installed outside bin and share: $stray"
for p in velmor velmor-sketch; do
  [ -x "$usr/bin/$p" ] || problem "bin/$p is not executable"
done

# The program looks for its book at ../share/velmor/velmor.htb from its own folder.
book="$usr/bin/../share/velmor/velmor.htb"
if [ ! -f "$book" ]; then
  problem "no help book at bin/../share/velmor/velmor.htb"
elif ! file -b "$book" | grep -q '^Zip archive'; then
  problem "the help book is no zip archive: $(file -b "$book")"
fi

desktop="$usr/share/applications/$app_id.desktop"
metainfo="$usr/share/metainfo/$app_id.metainfo.xml"
if [ -f "$desktop" ]; then
  out="$(desktop-file-validate "$desktop" 2>&1)" || problem "desktop-file-validate: $out"
  [ -z "$out" ] || problem "desktop-file-validate: $out"
  exec_line="$(sed -n 's/^Exec=//p' "$desktop")"
  [ -x "$usr/bin/${exec_line%% *}" ] || problem "Exec=$exec_line names no installed program"
  icon="$(sed -n 's/^Icon=//p' "$desktop")"
  [ "$icon" = "$app_id" ] || problem "Icon=$icon, not $app_id"
else
  problem "no desktop entry $app_id.desktop"
fi
if [ -f "$metainfo" ]; then
  appstreamcli validate --no-net --pedantic --strict "$metainfo" >/dev/null 2>&1 ||
    problem "appstreamcli validate: $(appstreamcli validate --no-net --pedantic --strict "$metainfo" 2>&1)"
  # The tree check also ties the metainfo to its desktop entry.
  appstreamcli validate-tree --no-net --strict "$staging" >/dev/null 2>&1 ||
    problem "appstreamcli validate-tree: $(appstreamcli validate-tree --no-net --strict "$staging" 2>&1)"
  grep -q "<release version=\"$version\"" "$metainfo" || problem "the metainfo has no release $version"
else
  problem "no metainfo $app_id.metainfo.xml"
fi
# The desktop entry and the metainfo offer the same picture types.
if [ -f "$desktop" ] && [ -f "$metainfo" ]; then
  desktop_types="$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' '\n' | sed '/^$/d' | sort)"
  meta_types="$(sed -n 's:.*<mediatype>\(.*\)</mediatype>.*:\1:p' "$metainfo" | sort)"
  [ "$desktop_types" = "$meta_types" ] ||
    problem "MimeType of the desktop entry ($desktop_types) differs from the metainfo's ($meta_types)"
fi

for size in 16 24 32 48 64 128 256; do
  png="$usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  if [ ! -f "$png" ]; then
    problem "no ${size}x${size} icon"
  elif ! file -b "$png" | grep -q "^PNG image data, $size x $size,"; then
    problem "${size}x${size} icon is $(file -b "$png")"
  fi
done
svg="$usr/share/icons/hicolor/scalable/apps/$app_id.svg"
[ -f "$svg" ] && file -b "$svg" | grep -q 'SVG' || problem "no scalable SVG icon"

# Manual pages: present, compressed, and groff finds nothing to warn about.
for page in velmor velmor-sketch; do
  man="$usr/share/man/man1/$page.1.gz"
  if [ ! -f "$man" ]; then
    problem "no manual page $page.1.gz"
    continue
  fi
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$man" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || problem "$page.1: $warnings"
done

# velmor-sketch --help and its manual page name the same options, each short
# option with the same long one.
sketch="$usr/bin/velmor-sketch"
man="$usr/share/man/man1/velmor-sketch.1.gz"
if [ -f "$man" ]; then
  help_text="$("$sketch" --help)"
  man_text="$(zcat "$man" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g')"
  longs() { grep -oE -- '--[a-z][a-z-]*' | sort -u; }
  pairs() { grep -oE -- '-[A-Za-z], --[a-z][a-z-]*' | sort -u; }
  only_help="$(comm -23 <(longs <<<"$help_text") <(longs <<<"$man_text"))"
  only_man="$(comm -13 <(longs <<<"$help_text") <(longs <<<"$man_text"))"
  [ -z "$only_help" ] || problem "options in --help but not in the manual page: $only_help"
  [ -z "$only_man" ] || problem "options in the manual page but not in --help: $only_man"
  [ "$(pairs <<<"$help_text")" = "$(pairs <<<"$man_text")" ] ||
    problem "short and long options pair differently: --help has $(pairs <<<"$help_text" | tr '\n' ' '), the manual page $(pairs <<<"$man_text" | tr '\n' ' ')"
  grep -q "^\.TH VELMOR-SKETCH 1 .*\"Velmor $version\"" <<<"$man_text" || problem "velmor-sketch.1 names no version $version"
fi
[ "$("$sketch" --version)" = "velmor-sketch $version" ] ||
  problem "velmor-sketch --version prints '$("$sketch" --version)', not 'velmor-sketch $version'"

if [ "$problems" -ne 0 ]; then
  echo "install_test: $problems problem(s)" >&2
  exit 1
fi
echo "install_test: the staged installation is complete and valid"
