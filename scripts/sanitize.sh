#!/usr/bin/env bash
# Builds the program and the tests with AddressSanitizer and
# UndefinedBehaviorSanitizer in a build tree of their own and runs the whole
# suite under them, as scripts/test.sh does (private X server and sound
# server). Any report fails the test it comes from. The tree is large: it is
# removed afterwards unless QUILLMERE_KEEP_BUILD=1. Extra arguments go to ctest.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${QUILLMERE_SANITIZE_BUILD_DIR:-$ROOT/build-asan}"

if [ "${QUILLMERE_KEEP_BUILD:-0}" != 1 ]; then
  trap 'rm -rf "$BUILD"' EXIT
fi

# No strict string checks: the X keyboard library duplicates a string of
# known length that is not terminated, which those checks call an overflow.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/sanitize.supp:print_suppressions=0"

status=0
QUILLMERE_BUILD_DIR="$BUILD" QUILLMERE_CMAKE_ARGS="-C $ROOT/scripts/sanitize.cmake" \
  bash "$ROOT/scripts/test.sh" "$@" || status=$?
exit $status
