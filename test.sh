#!/usr/bin/env bash
# ./test.sh: the same set-up as run.sh, then every test: the Release build
# (window tests under Xvfb), the headless tests again under AddressSanitizer +
# UndefinedBehaviorSanitizer, and a short bounded run of the decoder fuzzer.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$ROOT/scripts/setup.sh"

install_missing_packages
jobs="$(nproc)"
summary="$(mktemp)"
trap 'rm -f "$summary"' EXIT

# Runs ctest with the given arguments and notes how many tests it ran.
run_ctest() {
  local log
  log="$(mktemp)"
  if ! "$@" 2>&1 | tee "$log"; then rm -f "$log"; return 1; fi
  grep -Eo 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | grep -Eo '[0-9]+$' >> "$summary" || true
  rm -f "$log"
}

echo "== Release build and tests"
configure_and_build build -DCMAKE_BUILD_TYPE=Release
run_ctest xvfb-run -a -s "-screen 0 1600x1200x24" ctest --test-dir "$ROOT/build" --output-on-failure -j "$jobs"

echo "== Headless tests under AddressSanitizer and UndefinedBehaviorSanitizer"
configure_and_build build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMOR_SANITIZE=address,undefined \
  -DVELMOR_BENCH=OFF -DVELMOR_HEADLESS_ONLY=ON
export ASAN_OPTIONS=detect_leaks=1
run_ctest ctest --test-dir "$ROOT/build-asan" --output-on-failure -j "$jobs" -L headless

echo "== Decoder fuzzing (bounded)"
configure_and_build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DVELMOR_FUZZ=ON -DVELMOR_TESTS=OFF -DVELMOR_BENCH=OFF \
  -DVELMOR_HEADLESS_ONLY=ON -- decode_fuzzer
"$ROOT/fuzz/run.sh" "${VELMOR_FUZZ_SECONDS:-60}"

total=$(awk '{s += $1} END {print s + 0}' "$summary")
echo "test.sh: $((total + 1)) passed, 0 failed"
