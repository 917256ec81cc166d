#!/usr/bin/env bash
# Fuzzes one target with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer for a time:
#
#   bash scripts/fuzz.sh TARGET [SECONDS]      (default 60)
#   bash scripts/fuzz.sh --list
#
# The checked-in seeds (tests/fuzz/corpus/TARGET; for the report parser and
# decode, the golden files of the tests) start it; what it learns is
# kept in build/fuzz/corpus/TARGET for the next run. Every input that once
# crashed a target is kept in tests/fuzz/regressions/TARGET and replayed
# first. A crash leaves its input in build/fuzz/artifacts and fails the run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
targets=$(sed -n 's/^foreach(target \(.*\))$/\1/p' tests/fuzz/CMakeLists.txt)
if [ "${1:-}" = --list ]; then
    echo "$targets" | tr ' ' '\n'
    exit 0
fi
target=${1:?usage: bash scripts/fuzz.sh TARGET [SECONDS] (--list for the targets)}
seconds=${2:-60}
case " $targets " in
*" $target "*) ;;
*) echo "no fuzz target '$target'; targets: $targets" >&2; exit 2 ;;
esac

cmake -S . -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DRAVELO_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build/fuzz --target "${target}_fuzz" >/dev/null
program="build/fuzz/tests/fuzz/${target}_fuzz"
regressions="tests/fuzz/regressions/$target"
if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
    "$program" "$regressions"/* >/dev/null 2>&1 ||
        { "$program" "$regressions"/*; exit 1; }
    echo "$target: $(ls "$regressions" | wc -l) regression inputs pass"
fi
case "$target" in
report_parser | decode) seeds=(tests/golden) ;;
*) seeds=("tests/fuzz/corpus/$target") ;;
esac
mkdir -p "build/fuzz/corpus/$target" build/fuzz/artifacts
"$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="build/fuzz/artifacts/$target-" \
    "build/fuzz/corpus/$target" "${seeds[@]}" 2>"build/fuzz/$target.log" ||
    { tail -n 60 "build/fuzz/$target.log"; echo "$target: crash, input kept in build/fuzz/artifacts" >&2; exit 1; }
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "build/fuzz/$target.log")
echo "$target: ${runs:-?} runs in ${seconds} s, no crash"
