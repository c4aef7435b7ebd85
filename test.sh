#!/usr/bin/env bash
# ./test.sh: the same set-up as run.sh, then every test: the Release build
# (window tests under Xvfb), the headless tests again under AddressSanitizer +
# UndefinedBehaviorSanitizer, and a short bounded run of the decoder fuzzer.
# The last line counts the tests that ran: "test.sh: N passed, N failed".
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$ROOT/scripts/setup.sh"

install_missing_packages
jobs="$(nproc)"
passed=0 failed=0 skipped=0 stages_failed=0

# Runs ctest with the given arguments and adds what it ran to the counts.
run_ctest() {
  local log status=0
  log="$(mktemp)"
  "$@" 2>&1 | tee "$log" || status=$?
  local summary total bad skip
  summary="$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$log" | tail -1 || true)"
  if [ -z "$summary" ]; then
    echo "test.sh: ctest ran no test (status $status)" >&2
    stages_failed=$((stages_failed + 1))
    rm -f "$log"
    return 0
  fi
  bad="$(echo "$summary" | awk '{print $1}')"
  total="$(echo "$summary" | awk '{print $NF}')"
  skip="$(grep -c '(Skipped)$' "$log" || true)"
  failed=$((failed + bad))
  skipped=$((skipped + skip))
  passed=$((passed + total - bad - skip))
  [ "$status" -eq 0 ] || [ "$bad" -gt 0 ] || stages_failed=$((stages_failed + 1))
  rm -f "$log"
}

echo "== Release build and tests"
configure_and_build build -DCMAKE_BUILD_TYPE=Release
run_ctest xvfb-run -a -s "-screen 0 1600x1200x24" \
  ctest --test-dir "$ROOT/build" --output-on-failure --no-tests=error -j "$jobs"

echo "== Headless tests under AddressSanitizer and UndefinedBehaviorSanitizer"
configure_and_build build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMOR_SANITIZE=address,undefined \
  -DVELMOR_BENCH=OFF -DVELMOR_HEADLESS_ONLY=ON
export ASAN_OPTIONS=detect_leaks=1
run_ctest ctest --test-dir "$ROOT/build-asan" --output-on-failure --no-tests=error -j "$jobs" -L headless

echo "== Decoder fuzzing (bounded; not counted as tests)"
configure_and_build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DVELMOR_FUZZ=ON -DVELMOR_TESTS=OFF -DVELMOR_BENCH=OFF \
  -DVELMOR_HEADLESS_ONLY=ON -- decode_fuzzer
fuzz_status=0
"$ROOT/fuzz/run.sh" "${VELMOR_FUZZ_SECONDS:-60}" || fuzz_status=$?
if [ "$fuzz_status" -ne 0 ]; then
  echo "test.sh: the decoder fuzzer found a crash (see fuzz/findings/)" >&2
  stages_failed=$((stages_failed + 1))
fi

line="test.sh: $passed passed, $failed failed"
[ "$skipped" -eq 0 ] || line="$line, $skipped skipped"
echo "$line"
[ "$failed" -eq 0 ] && [ "$stages_failed" -eq 0 ]
