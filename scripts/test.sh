#!/usr/bin/env bash
# test.sh: installs what is missing, builds Quillbrook and passes every test: the fuzzers for a short
# run, the threaded tests under ThreadSanitizer, the whole suite under AddressSanitizer + UBSan, and
# last the whole suite on the plain build with warnings as errors and the format check.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

fuzz_seconds=${QUILLBROOK_FUZZ_SECONDS:-30}
export CTEST_OUTPUT_ON_FAILURE=1

configure() {
  local dir=$1
  shift
  cmake -S . -B "build/$dir" -G Ninja -DQUILLBROOK_WERROR=ON "$@" >/dev/null
}

echo "== fuzzing (${fuzz_seconds}s each)"
CC=clang CXX=clang++ configure fuzz -DQUILLBROOK_FUZZ=ON -DQUILLBROOK_APP=OFF -DQUILLBROOK_TESTS=OFF
cmake --build build/fuzz
for fuzzer in build/fuzz/fuzz/*_fuzzer; do
  corpus="fuzz/corpus/$(basename "$fuzzer" _fuzzer)"
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus/." "$work/"
  "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=0 "$work" 2>&1 | tail -n 3
  rm -rf "$work"
done

echo "== ThreadSanitizer: threaded tests"
configure tsan -DQUILLBROOK_SANITIZE=thread -DQUILLBROOK_APP=OFF -DCMAKE_BUILD_TYPE=Debug
cmake --build build/tsan
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --test-dir build/tsan -L threaded -j2

echo "== AddressSanitizer + UBSan: every test"
configure asan -DQUILLBROOK_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug
cmake --build build/asan
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1" \
  LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
  ctest --test-dir build/asan -j2

echo "== plain build: format, every test"
configure ci -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/ci
cmake --build build/ci --target check-format
ctest --test-dir build/ci -j2
