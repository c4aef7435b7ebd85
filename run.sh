#!/usr/bin/env bash
# ./run.sh [PICTURE]: installs what is missing, builds, and starts the program
# on PICTURE (or on the sample photograph). Without a display it makes the
# sketch with the command-line tool instead and says where it wrote it.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$ROOT/scripts/setup.sh"

install_missing_packages
configure_and_build build -DCMAKE_BUILD_TYPE=Release -- velmor velmor-sketch

picture="${1:-$ROOT/samples/cat.png}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$ROOT/build/bin/velmor" "$picture"
fi

echo "No display: making the sketch with velmor-sketch instead of starting the window."
outdir="$ROOT/build/sketches"
mkdir -p "$outdir"
"$ROOT/build/bin/velmor-sketch" -d "$outdir" "$picture"
name="$(basename "$picture")"
echo "Sketch written to $outdir/${name%.*}_shitae.png"
