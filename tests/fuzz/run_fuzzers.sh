#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for a while on a scratch copy of its seed corpus.
#
# Usage: tests/fuzz/run_fuzzers.sh [build folder] [seconds per target]
# (defaults: build-fuzz, relative to the current folder, and 60 seconds).
#
# The seeds in tests/fuzz/corpus stay untouched: what a run finds goes to a
# scratch folder that is removed afterwards, so the repository never fills
# with generated inputs. Exits non-zero when the build fails or a target
# reports a crash, a sanitizer finding, a failed check or a hang; the input
# that did it is kept in <build folder>/fuzz-artifacts/<target>/ and the
# target's log in <build folder>/fuzz-<target>.log. Reads nothing from
# standard input and needs no terminal, so it runs the same in CI.
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-build-fuzz}
seconds=${2:-60}
case $seconds in
    '' | *[!0-9]*) echo "seconds must be a whole number: $seconds" >&2; exit 2 ;;
esac

CXX=clang++ cmake -S "$root" -B "$build" -DCORVALEN_FUZZ=ON -DCORVALEN_TESTS=OFF -DCORVALEN_WERROR=ON </dev/null >/dev/null
cmake --build "$build" -j2 --target number_scan_fuzz reader_fuzz dialogue_fuzz </dev/null
build=$(cd "$build" && pwd)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM HUP

status=0
for target in number_scan reader dialogue; do
    corpus=$scratch/$target
    artifacts=$build/fuzz-artifacts/$target
    log=$build/fuzz-$target.log
    mkdir -p "$corpus" "$artifacts"
    cp "$root/tests/fuzz/corpus/$target/"* "$corpus/"
    if "$build/${target}_fuzz" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" </dev/null >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "$target: no finding in $seconds s, ${runs:-?} inputs run"
    else
        echo "$target: FAILED; from $log:" >&2
        sed -n '/FUZZ CHECK FAILED\|ERROR: \|runtime error\|SUMMARY/,$p' "$log" | head -n 40 >&2
        status=1
    fi
done
exit $status
