#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: installs the Debian packages that are
# missing (nothing when all are there) and configures + builds a build folder.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libpng-dev libjpeg-dev libtiff-dev libgif-dev libwebp-dev libheif-dev libheif-examples
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  hyperfine imagemagick libjpeg-turbo-progs time
  libwxgtk3.2-dev wx3.2-i18n fonts-noto-cjk xvfb xauth
  libgtk-3-dev libglib2.0-dev libcairo2-dev shared-mime-info openbox xdotool x11-utils
  librsvg2-bin desktop-file-utils appstream dpkg-dev file man-db poppler-utils
)

install_missing_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure_and_build DIR [cmake args...] -- [targets...]
configure_and_build() {
  local dir="$1"; shift
  local args=() targets=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do args+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  targets=("$@")
  # A folder configured with other options starts afresh: a cache keeps
  # options that are no longer given.
  local stamp="$ROOT/$dir/.velmor-configure-args"
  local wanted="${args[*]:-}"
  if [ ! -f "$ROOT/$dir/CMakeCache.txt" ] || [ "$(cat "$stamp" 2>/dev/null)" != "$wanted" ]; then
    rm -f "$ROOT/$dir/CMakeCache.txt"
    cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja "${args[@]}" >/dev/null
    printf '%s' "$wanted" > "$stamp"
  fi
  if [ ${#targets[@]} -gt 0 ]; then
    cmake --build "$ROOT/$dir" --target "${targets[@]}"
  else
    cmake --build "$ROOT/$dir"
  fi
}
