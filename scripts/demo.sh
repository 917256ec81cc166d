#!/usr/bin/env bash
# The main job: builds Ravelo, answers its questions through a pipe in a
# scratch folder (as a customer would type them), and prints the report as
# the maker's support staff read it.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install_deps.sh
bash scripts/build.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Consent, name, e-mail, forum name, then a description that ends at the
# first empty line.
printf '%s\n' y 'Ada Lovelace' 'ada@example.com' 'ada_flies' \
    'The fuel gauge of the Vok panel stays dark.' 'It started after the last update.' '' |
    (cd "$scratch" && "$root/build/native/ravelo")
echo
"$root/build/native/ravelo-decode" "$scratch/Ravelo_Report.dat"
