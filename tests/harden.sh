#!/usr/bin/env bash
# Builds and runs the whole test suite under the address and undefined-behaviour
# sanitizers with g++ and with clang, then runs every fuzz target for a while.
#
# Warnings are errors in every build here, so this also proves that both
# compilers build the code cleanly. Usage, from anywhere in the repository:
#   tests/harden.sh [seconds per fuzz target, default 60]
# Build folders: build-sanitize-gcc, build-sanitize-clang and build-fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
fuzz_seconds="${1:-60}"

for compiler in gcc clang; do
  case "$compiler" in
    gcc) cxx=g++ ;;
    clang) cxx=clang++ ;;
  esac
  folder="build-sanitize-$compiler"
  echo "== $compiler: test suite under AddressSanitizer and UndefinedBehaviorSanitizer"
  cmake -S . -B "$folder" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVALEN_SANITIZE=ON -DCORVALEN_WERROR=ON
  cmake --build "$folder" -j2
  # Any sanitizer report ends the process with a failure status, which fails its test.
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$folder" --output-on-failure -j2
done

echo "== fuzz targets, ${fuzz_seconds} s each"
tests/fuzz/run_fuzzers.sh build-fuzz "$fuzz_seconds"
