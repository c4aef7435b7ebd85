#!/bin/sh
# Runs the already built decoder fuzzer for SECONDS (default 60) over the seed
# corpus. Builds nothing. Exit status is non-zero when an input crashed,
# leaked, ran over the time or memory limit; the input lands in fuzz/findings/.
#
#   fuzz/run.sh 30                    # short run, as the test script does
#   VELMOR_FUZZ_BUILD=/path fuzz/run.sh 3600
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
fuzzer=${VELMOR_FUZZ_BUILD:-$root/build-fuzz}/bin/decode_fuzzer
if [ ! -x "$fuzzer" ]; then
    echo "run.sh: $fuzzer is not built (CC=clang CXX=clang++ cmake -DVELMOR_FUZZ=ON ...)" >&2
    exit 2
fi
findings=$root/fuzz/findings
mkdir -p "$findings"
# New inputs go to a scratch folder, so the stored seed corpus stays as it is.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=5 \
    -artifact_prefix="$findings/" -print_final_stats=1 "$scratch" "$root/fuzz/corpus"
