#!/usr/bin/env bash
# Benchmarks: the engine (Google Benchmark) and the whole tool against
# ImageMagick doing comparable work on a large JPEG (hyperfine, one run).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/setup.sh"

install_missing_packages
configure_and_build build -DCMAKE_BUILD_TYPE=Release -- velmor-sketch engine_bench display_bench view_bench sketch_bench

"$ROOT/build/bin/engine_bench" --benchmark_min_time=1 "$@"
"$ROOT/build/bin/display_bench" "$@"
# The real view drawn off screen needs a display; Xvfb serves.
xvfb-run -a -s "-screen 0 1600x1200x24" "$ROOT/build/bin/view_bench" "$@"
xvfb-run -a -s "-screen 0 1600x1200x24" "$ROOT/build/bin/sketch_bench" "$@"

work="$ROOT/build/bench"
mkdir -p "$work"
photo="$work/photo-6000x4000.jpg"
if [ ! -f "$photo" ]; then
  # A photograph scaled up to 24 megapixels, with grain so it is not unnaturally smooth.
  convert "$ROOT/samples/cat.png" -resize '6000x4000!' -attenuate 0.4 +noise Gaussian -quality 90 "$photo"
fi
hyperfine --warmup 1 --runs 5 \
  -n velmor-sketch "$ROOT/build/bin/velmor-sketch -j 1 -n -o $work/velmor.png $photo" \
  -n imagemagick "convert $photo -colorspace Gray -median 3 -morphology Convolve Laplacian:0 $work/imagemagick.png"
