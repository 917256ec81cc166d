#!/usr/bin/env bash
# Under Wine, in one registry server: builds the synthetic hive of
# registry_walk_bench.exe once (111,111 keys), then, in interleaved rounds,
# walks it with Ravelo's registry walk and lists it with `reg query /s`, and
# walks the three roots as the whole scan does beside `reg query /s` on the
# same roots. Prints the best keys per second of each and their ratio
# (target: at least 4). Everything is timed as whole Wine processes, pinned
# to one core. The hive is removed at the end.
#
#   bash bench/registry_walk_bench.sh [path to registry_walk_bench.exe] [rounds]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${2:-3}
# A prefix of its own: the registry server is stopped at the end.
export WINEPREFIX="$root/build/wineprefix-bench"
source "$root/scripts/wine_prefix.sh"
bench=${1:-$root/$(windows_tests_tree)/bench/registry_walk_bench.exe}
keys=111111

# Wine and its server on one core, as for the tests: steadier figures.
on_one_core() { taskset -c 0 "$@"; }

wineserver -k 2>/dev/null || true
reuse_wine_prefix "$WINEPREFIX" win64
# The hive's keys are volatile: they live as long as this server.
on_one_core wineserver -p
output=$(mktemp)
trap 'on_one_core wine "$bench" delete || true; wineserver -k 2>/dev/null || true; rm -f "$output"' EXIT
# Wine's services start now rather than during a timing.
on_one_core wine wineboot >/dev/null 2>&1 </dev/null

on_one_core wine "$bench" create

# Milliseconds of a whole command; its output goes to a file, since a
# Windows program writing to /dev/null or a terminal can be slowed by it.
milliseconds() {
    local start end
    start=$(date +%s%N)
    "$@" >"$output"
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

lesser() { if [ -z "$1" ] || [ "$2" -lt "$1" ]; then echo "$2"; else echo "$1"; fi; }

query_roots() {
    for hive in HKLM HKCU HKU; do
        on_one_core wine reg query "$hive" /s || true
    done
}

best_walk= best_query= best_roots= best_roots_query=
for round in $(seq "$rounds"); do
    walk=$(milliseconds on_one_core wine "$bench" walk)
    query=$(milliseconds on_one_core wine reg query 'HKCU\Software\Ravelo-bench' /s)
    roots=$(milliseconds on_one_core wine "$bench" roots)
    roots_query=$(milliseconds query_roots)
    echo "round $round: walk $walk ms, reg query $query ms; roots $roots ms, reg query of the roots $roots_query ms"
    best_walk=$(lesser "$best_walk" "$walk")
    best_query=$(lesser "$best_query" "$query")
    best_roots=$(lesser "$best_roots" "$roots")
    best_roots_query=$(lesser "$best_roots_query" "$roots_query")
done
on_one_core wine "$bench" walk
roots_line=$(on_one_core wine "$bench" roots counted)
echo "$roots_line"
root_keys=$(echo "$roots_line" | sed -n 's/^roots: \([0-9]*\) keys.*/\1/p')

awk -v keys=$keys -v walk="$best_walk" -v query="$best_query" \
    -v root_keys="$root_keys" -v roots="$best_roots" -v roots_query="$best_roots_query" 'BEGIN {
    printf "Registry walk  ravelo %8.0f keys/s   reg query /s %8.0f keys/s   ratio %.2f (target >= 4)\n",
           keys / (walk / 1000), keys / (query / 1000), query / walk
    printf "Whole scan     ravelo %8.0f keys/s   reg query /s %8.0f keys/s   ratio %.2f (three roots, %d keys)\n",
           root_keys / (roots / 1000), root_keys / (roots_query / 1000), roots_query / roots, root_keys
}'
