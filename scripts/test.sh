#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the normal build, the same tests under
# AddressSanitizer + UndefinedBehaviorSanitizer, and a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
export QT_QPA_PLATFORM=offscreen

log=$(mktemp)
trap 'rm -f "$log"' EXIT
passed=0
count_passed() {  # adds the number of tests of ctest's summary line in $log
  local n
  n=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  passed=$((passed + ${n:-0}))
}

echo "== build and test"
cmake --preset default
cmake --build --preset default
ctest --preset default | tee "$log"
count_passed

echo "== plain Release build, as a packager or user runs it (no presets, no -Werror; programs only)"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKONFEX_TESTS=OFF -DKONFEX_BENCH=OFF
cmake --build build/release --parallel 2

echo "== build and test with AddressSanitizer + UndefinedBehaviorSanitizer"
cmake --preset asan
cmake --build --preset asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --preset asan | tee "$log"
count_passed

echo "== fuzz targets, ${KONFEX_FUZZ_SECONDS:-10} s each"
cmake --preset fuzz
cmake --build --preset fuzz
fuzz/run_all.sh build/fuzz "${KONFEX_FUZZ_SECONDS:-10}"
passed=$((passed + $(ls fuzz/*_fuzz.cpp | wc -l)))  # one per fuzz target
echo "== Debian package: built, checked by lintian, and the unpacked tree run with a fresh home folder"
scripts/check-package.sh | tee "$log"
passed=$((passed + $(sed -n 's/^package checks: \([0-9]*\) passed$/\1/p' "$log")))
echo "tests: $passed passed, 0 failed"
