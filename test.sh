#!/usr/bin/env bash
# Installs what is missing, builds everything (benchmarks included) and runs every test.
#   ./test.sh             the normal build in build/
#   ./test.sh --sanitize  the same suite built with AddressSanitizer and
#                         UndefinedBehaviorSanitizer in build-asan/ (any finding fails the test)
set -euo pipefail
cd "$(dirname "$0")"
build=build
extra=()
case "${1:-}" in
  "") ;;
  --sanitize)
    build=build-asan
    extra=(-DMORIVA_SANITIZE=ON)
    # Leaks count as failures too; a finding stops the test with a full report.
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
    ;;
  *)
    echo "usage: $0 [--sanitize]" >&2
    exit 2
    ;;
esac
./tools/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}"
cmake --build "$build" -j2
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 600
