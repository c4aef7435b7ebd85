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

# The tool on a phone photo (12 megapixels) and on twenty of them, beside
# libjpeg-turbo decoding the same files: one photo in one job, and the
# batch with the default jobs against djpeg one file after another.
photo12="$work/photo-4000x3000.jpg"
if [ ! -f "$photo12" ]; then
  convert "$ROOT/samples/cat.png" -resize '4000x3000!' -attenuate 0.4 +noise Gaussian -quality 90 "$photo12"
fi
batch="$work/batch"
mkdir -p "$batch/in" "$batch/out"
for i in $(seq -w 1 20); do [ -f "$batch/in/photo$i.jpg" ] || cp "$photo12" "$batch/in/photo$i.jpg"; done
hyperfine --warmup 1 --runs 5 \
  -n "velmor-sketch, one 12 MP photo" "$ROOT/build/bin/velmor-sketch -j 1 -n -o $work/one.png $photo12" \
  -n "djpeg, the same photo" "djpeg -outfile /dev/null $photo12"
hyperfine --warmup 1 --runs 3 \
  -n "velmor-sketch, twenty photos, default jobs" "$ROOT/build/bin/velmor-sketch -n -d $batch/out $batch/in/*.jpg" \
  -n "djpeg, twenty photos one after another" "for f in $batch/in/*.jpg; do djpeg -outfile /dev/null \$f; done"
# Peak memory of one job, in bytes a pixel of the photo.
peak_kb="$( { /usr/bin/time -f '%M' "$ROOT/build/bin/velmor-sketch" -j 1 -n -o "$work/one.png" "$photo12"; } 2>&1 | tail -1)"
echo "velmor-sketch peak memory, one job: $peak_kb KB = $(awk -v k="$peak_kb" 'BEGIN { printf "%.2f", k * 1024 / 12000000 }') bytes a pixel"
# PDF: a book of the twenty photos (A4 pages at 300 dpi) against a one-page
# PDF of one photo, in time and peak memory; the book's pages are made in
# order while the sketches run in parallel, one waiting page a job at most.
hyperfine --warmup 1 --runs 3 \
  -n "velmor-sketch, one 12 MP photo as a PDF page" "$ROOT/build/bin/velmor-sketch -j 1 -n --page A4 -o $work/one.pdf $photo12" \
  -n "velmor-sketch, a book of twenty, one job" "$ROOT/build/bin/velmor-sketch -j 1 -n --book $work/book.pdf $batch/in/*.jpg" \
  -n "velmor-sketch, a book of twenty, default jobs" "$ROOT/build/bin/velmor-sketch -n --book $work/book.pdf $batch/in/*.jpg"
peak() { { /usr/bin/time -f '%M' "$ROOT/build/bin/velmor-sketch" "$@"; } 2>&1 | tail -1; }
echo "velmor-sketch peak memory: one photo as a PDF page $(peak -j 1 -n --page A4 -o "$work/one.pdf" "$photo12") KB," \
  "a book of twenty in one job $(peak -j 1 -n --book "$work/book.pdf" "$batch"/in/*.jpg) KB," \
  "in default jobs $(peak -n --book "$work/book.pdf" "$batch"/in/*.jpg) KB"
