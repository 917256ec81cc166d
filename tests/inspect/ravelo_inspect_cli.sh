#!/usr/bin/env bash
# ravelo-inspect from the command line: exit codes, batches that go on past
# a bad file, the summary rows and the manifest command.
set -u
inspect=$1
fixtures=$2
config=$fixtures/ravelo-inspect.toml
reports=$fixtures/reports
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
source "$(dirname "$0")/../checks.sh"
exits() { # description, expected exit code, then ravelo-inspect arguments
    local what=$1 expected=$2; shift 2
    "$inspect" "$@" >"$dir/out" 2>"$dir/err"
    local got=$?
    if [ "$got" -eq "$expected" ]; then echo "ok: $what (exit $got)"
    else failed "$what: exit $got, not $expected"; cat "$dir/err"; fi
}

exits "--version" 0 --version
check "--version names the project's version" grep -qE '^ravelo-inspect [0-9]+\.[0-9]+\.[0-9]+$' "$dir/out"
exits "--help" 0 --help
exits "no report" 2
exits "an unknown option" 2 --frobnicate "$reports/clean.txt"
exits "a config that does not exist" 2 --config "$dir/none.toml" "$reports/clean.txt"
printf '[addon]\nsimconnect = "10.0.61259.0"\n' >"$dir/bad.toml"
exits "a config with a text for a list" 2 --config "$dir/bad.toml" "$reports/clean.txt"
check "the config error says which key" grep -q 'simconnect must be a list' "$dir/err"
exits "--html with two reports" 2 --html "$dir/x.html" "$reports/clean.txt" "$reports/clean.txt"

exits "a clean report" 0 --config "$config" "$reports/clean.txt"
check "its summary says no findings" grep -q '^0 error(s), 0 warning(s), 0 note(s)$' "$dir/out"
exits "a report with findings is still inspected" 0 --config "$config" "$reports/faults_everywhere.txt"
exits "a report cut short" 1 --config "$config" "$reports/cut_short.txt"

printf '1234567' >"$dir/odd.dat"
batch=("$reports/clean.txt" "$dir/missing.dat" "$dir/odd.dat" "$reports/faults_everywhere.txt")
exits "a batch with two bad files" 1 --config "$config" --summary --jobs 2 "${batch[@]}"
check "the batch has a header and one row per file, in order" \
    bash -c "[ \"\$(cut -f1 '$dir/out' | tr '\n' ' ')\" = 'file ${batch[*]} ' ]"
check "the faulty report's row counts its findings" \
    grep -qP '^\Q'"$reports/faults_everywhere.txt"'\E\tAda Lovelace\tada@example.com\tWindows 10 \(10\.0 build 19045\), not a workstation\t1\.1\t5\t5\tsimconnect-missing$' "$dir/out"
check "a bad file's row says why" grep -qP '^\Q'"$dir/odd.dat"'\E(\t){7}cannot inspect: not a Ravelo report' "$dir/out"
exits "the batch as JSON lines" 1 --config "$config" --summary --json "${batch[@]}"
check "one JSON line per file" bash -c "[ \$(grep -c '^{.*}$' '$dir/out') -eq 4 ]"
check "a JSON row holds the summary fields" \
    grep -q '"customer":"Ada Lovelace","email":"ada@example.com","errors":5,"first_error":"simconnect-missing","release":"1.1","report":' "$dir/out"

for mode in "" --summary --json "--summary --json" "--html $dir/page.html"; do
    # shellcheck disable=SC2086
    "$inspect" --config "$config" $mode "$reports/clean.txt" >/dev/full 2>"$dir/err"
    got=$?
    if [ "$got" -eq 1 ] && grep -q 'cannot write the output' "$dir/err"; then
        echo "ok: output ${mode:-text} to a full disk (exit 1)"
    else failed "output ${mode:-text} to a full disk: exit $got"; fi
done

cp "$reports/clean.txt" "$dir/Müller.txt"
exits "a report named in UTF-8" 0 --config "$config" --summary "$dir/Müller.txt"
check "its row shows the name as given" grep -q "^$dir/Müller.txt	Ada" "$dir/out"

mkdir -p "$dir/addon/Gauges"
printf 'abc' >"$dir/addon/Gauges/a.bin"
exits "manifest of a folder" 0 manifest "$dir/addon"
check "manifest lines are md5sum lines with backslashes" \
    grep -qx '900150983cd24fb0d6963f7d28e17f72  Gauges\\a.bin' "$dir/out"
exits "manifest of no folder" 2 manifest "$dir/none"

all_checks_passed
