#!/usr/bin/env bash
# Under Wine, in one registry server: builds the synthetic hive of
# registry_walk_bench.exe once, then, twice each, walks it with Ravelo's
# registry walk and lists it with `reg query /s`; prints the best keys per
# second of both and their ratio (target: at least 1). Both are timed as
# whole Wine processes. The hive is removed at the end.
#
#   bash bench/registry_walk_bench.sh [path to registry_walk_bench.exe]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
bench=${1:-$root/build/windows/bench/registry_walk_bench.exe}
# A prefix of its own: the registry server is stopped at the end.
export WINEPREFIX="$root/build/wineprefix-bench"
source "$root/scripts/wine_prefix.sh"
keys=111111

# Wine and its server on one core, as for the tests: steadier figures.
on_one_core() { taskset -c 0 "$@"; }

reuse_wine_prefix "$WINEPREFIX" win64
# The hive's keys are volatile: they live as long as this server.
on_one_core wineserver -p
trap 'on_one_core wine "$bench" delete || true; wineserver -k 2>/dev/null || true' EXIT
# Wine's services start now rather than during a timing.
on_one_core wine wineboot >/dev/null 2>&1 </dev/null

on_one_core wine "$bench" create

milliseconds() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

best_walk= best_query=
for round in 1 2; do
    walk=$(milliseconds on_one_core wine "$bench" walk)
    query=$(milliseconds on_one_core wine reg query 'HKCU\Software\Ravelo-bench' /s)
    echo "round $round: walk $walk ms, reg query $query ms"
    [ -z "$best_walk" ] || [ "$walk" -lt "$best_walk" ] && best_walk=$walk
    [ -z "$best_query" ] || [ "$query" -lt "$best_query" ] && best_query=$query
done
on_one_core wine "$bench" walk

awk -v keys=$keys -v walk="$best_walk" -v query="$best_query" 'BEGIN {
    printf "Registry walk  ravelo %8.0f keys/s   reg query %8.0f keys/s   ratio %.2f (target >= 1)\n",
           keys / (walk / 1000), keys / (query / 1000), query / walk
}'
