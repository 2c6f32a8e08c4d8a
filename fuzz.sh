#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs them.
#   ./fuzz.sh                   build, then the short CTest run of every target
#   ./fuzz.sh TARGET SECONDS    build, then a campaign of one target (e.g. fuzz_comma_text 600)
#   ./fuzz.sh all SECONDS       a campaign of every target in turn
#   ./fuzz.sh --long TARGET|all SECONDS [RUNS]
#                               a campaign with inputs up to 4 MiB, each under 512 MiB of memory
#                               and 10 s: hostile files, not only odd ones; RUNS ends it after
#                               that many inputs
# A campaign keeps what it learns in build-fuzz/campaign/<target> (the seeds in
# fuzz/corpus/<target> are only read) and stops at the first crash, time-out or excess of
# memory, leaving the input as build-fuzz/crash-<hash> (timeout-, oom-); turn that into a
# regression test in the owner's test folder and, once mended, a seed in fuzz/corpus/<target>.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
pkgs=(clang libclang-rt-14-dev)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
fi

build=build-fuzz
CC=clang CXX=clang++ cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

if [ $# -eq 0 ]; then
  cd "$build"
  exec ctest --output-on-failure -j2
fi
limits=(-max_len=4096)
if [ "$1" = --long ]; then
  shift
  limits=(-max_len=4194304 -len_control=0 -rss_limit_mb=512 -malloc_limit_mb=512 -timeout=10)
  # AddressSanitizer keeps 256 MiB of freed memory aside by default, which alone would take half
  # of the limit after a few hundred inputs; 64 MiB still catches a use soon after a free.
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=64"
  # A leak check after every input whose allocations do not balance (libical and ICU keep caches)
  # costs six times the input itself; leaks are the short runs' and the sanitized suite's
  # business, and one that grows shows here as an excess of memory all the same.
  limits+=(-detect_leaks=0)
fi
if [ $# -ne 2 ] && [ $# -ne 3 ]; then
  echo "usage: $0 [[--long] TARGET|all SECONDS [RUNS]]" >&2
  exit 2
fi
target=$1
seconds=$2
# RUNS, when given, ends each campaign after that many inputs (or SECONDS, whichever is first).
[ $# -eq 3 ] && limits+=(-runs="$3")
if [ "$target" = all ]; then
  targets=$(cd fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')
else
  targets=$target
fi
for t in $targets; do
  [ -x "$build/$t" ] || { echo "no fuzz target $t" >&2; exit 2; }
  mkdir -p "$build/campaign/$t"
  echo "== $t, $seconds s"
  (cd "$build" && "./$t" -max_total_time="$seconds" "${limits[@]}" -print_final_stats=1 \
      -dict=../fuzz/moriva.dict "campaign/$t" "../fuzz/corpus/$t")
done
