#!/usr/bin/env bash
# Counts the Wine server calls that the Windows build's directory listing
# makes per file, and its registry walk per key, from a trace of the server
# (WINEDEBUG=+server) cut to the listing or the walk by the benchmarks'
# marker events. Under Wine every server call is a round trip to another
# process: these counts are what the listing and the walk cost there.
#
#   bash bench/count_calls_under_wine.sh [build/windows-tests/bench or build/windows64-tests/bench]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="$root/build/wineprefix-bench"
source "$root/scripts/wine_prefix.sh"
bench_dir=$(cd "${1:-$root/$(windows_tests_tree)/bench}" && pwd)
export WINEDLLOVERRIDES="mscoree,mshtml="
on_one_core() { taskset -c 0 "$@"; }

wineserver -k 2>/dev/null || true
reuse_wine_prefix "$WINEPREFIX" win64
scratch=$(mktemp -d /dev/shm/ravelo-count-XXXXXX)
trap 'WINEDEBUG=-all on_one_core wine "$bench_dir/registry_walk_bench.exe" delete >/dev/null 2>&1 || true;
      wineserver -k 2>/dev/null || true; rm -rf "$scratch"' EXIT
# A server that traces every request of every client, into one file.
WINEDEBUG=-all on_one_core wineserver -p -d1 2>"$scratch/server.trace"
WINEDEBUG=-all on_one_core wine wineboot >/dev/null 2>&1 </dev/null

# Requests by name that the marking thread made between the begin and end
# marker events, divided by the number of items; one line per request name,
# then the sum.
per_item() {
    awk -v items="$1" '
        /name=L"ravelo-bench-begin"/ { thread = $1; next }
        /name=L"ravelo-bench-end"/ { thread = ""; next }
        thread != "" && $1 == thread && /^[0-9a-f]+: [a-z_]+\(/ && !/\) = / {
            name = $2; sub(/\(.*/, "", name); count[name]++; total++
        }
        END {
            for (name in count)
                printf "    %-28s %8.3f\n", name, count[name] / items
            printf "    %-28s %8.3f\n", "in all", total / items
        }' | sort -k2,2nr
}

# 4 folders of 25 files of 1 to 64 KiB.
files=0
for d in 0 1 2 3; do
    mkdir -p "$scratch/tree/dir$d"
    for f in $(seq 0 24); do
        head -c $(( (RANDOM % 64 + 1) * 1024 )) /dev/urandom > "$scratch/tree/dir$d/file $f.bin"
        files=$((files + 1))
    done
done
echo "Server calls per file, listing $files files in 4 folders:"
lines=$(wc -l <"$scratch/server.trace")
WINEDEBUG=-all on_one_core wine "$bench_dir/directory_inventory_bench.exe" \
    --list "Z:${scratch//\//\\}\\tree" >/dev/null 2>&1
tail -n +"$lines" "$scratch/server.trace" | per_item $files

WINEDEBUG=-all on_one_core wine "$bench_dir/registry_walk_bench.exe" create 3 >/dev/null
echo "Server calls per key, walking a hive of 1,111 keys with three values each:"
lines=$(wc -l <"$scratch/server.trace")
WINEDEBUG=-all on_one_core wine "$bench_dir/registry_walk_bench.exe" walk 3 >/dev/null 2>&1
tail -n +"$lines" "$scratch/server.trace" | per_item 1111
