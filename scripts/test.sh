#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole suite headless:
#   1. the debug build with warnings as errors,
#   2. the same suite under the address and undefined-behaviour sanitizers,
#   3. the thread code under the thread sanitizer,
#   4. a short bounded run of every fuzz target from its seed corpus.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
"$root/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
export CTEST_PARALLEL_LEVEL="${CTEST_PARALLEL_LEVEL:-2}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

phase() {
  local name=$1
  local start=$SECONDS
  echo "=== $name: configure and build"
  cmake --preset "$name" >/dev/null
  cmake --build --preset "$name"
  echo "=== $name: test"
  ctest --preset "$name"
  echo "=== $name: done in $((SECONDS - start)) s"
}

phase ci
phase asan
phase tsan
phase fuzz
