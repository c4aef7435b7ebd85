#!/usr/bin/env bash
# ./run.sh [PICTURE]: installs what is missing, builds, and makes the sketch
# of PICTURE (or of the sample photograph).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$ROOT/scripts/setup.sh"

install_missing_packages
configure_and_build build -DCMAKE_BUILD_TYPE=Release -- velmor-sketch

picture="${1:-$ROOT/samples/cat.png}"
outdir="$ROOT/build/sketches"
mkdir -p "$outdir"
"$ROOT/build/bin/velmor-sketch" -d "$outdir" "$picture"
name="$(basename "$picture")"
echo "Sketch written to $outdir/${name%.*}_shitae.png"
