#!/usr/bin/env bash
# The main job: builds Ravelo, runs a scan in a scratch folder and prints the
# report as the maker's support staff read it.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install_deps.sh
bash scripts/build.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$scratch" && "$root/build/native/ravelo")
"$root/build/native/ravelo-decode" "$scratch/Ravelo_Report.dat"
