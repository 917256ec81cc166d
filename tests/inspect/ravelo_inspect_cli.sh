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
# No configuration of the machine's user is read: the runs that give none
# must find none.
export XDG_CONFIG_HOME=$dir/user-config
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

exits "diff of two reports" 0 --config "$config" diff "$reports/clean.txt" "$reports/faults_everywhere.txt"
check "diff counts the new findings" grep -q '^Findings: 0 fixed, 12 new, 0 still there$' "$dir/out"
check "diff shows a file's two digests" grep -qx '      96a75bdbf222c58cabde08ebe2172c9f -> unreadable' "$dir/out"
exits "diff as JSON" 0 diff --json "$reports/clean.txt" "$reports/clean.txt"
check "diff as JSON is one object with no changes" grep -q '"changes":\[\]' "$dir/out"
exits "diff with an unreadable report" 1 diff "$reports/clean.txt" "$dir/missing.dat"
exits "diff with a damaged report still compares" 1 diff "$reports/clean.txt" "$reports/cut_short.txt"
check "the damaged report's diff is printed" grep -q '^Findings: ' "$dir/out"
exits "diff of one report" 2 diff "$reports/clean.txt"
for misplaced in "--summary" "--overview $dir/o" "--html $dir/p.html" "--jobs 2" "$reports/clean.txt"; do
    # shellcheck disable=SC2086
    exits "diff with $misplaced" 2 $misplaced diff "$reports/clean.txt" "$reports/clean.txt"
done
exits "redact with --overview" 2 --overview "$dir/o" redact "$reports/clean.txt"
exits "redact with --json" 2 --json redact "$reports/clean.txt"
exits "manifest with --config" 2 --config "$config" manifest "$dir"
exits "manifest with --json" 2 --json manifest "$dir"
exits "--html with --overview" 2 --html "$dir/p.html" --overview "$dir/o" "$reports/clean.txt"
exits "an empty --overview" 2 --overview "" "$reports/clean.txt"
sed 's/^\t\. Vok manual\.pdf .*/\tPath too long.../' "$reports/clean.txt" >"$dir/Kundenbericht für Müller.txt"
exits "diff where a folder could not be listed" 0 diff "$reports/clean.txt" "$dir/Kundenbericht für Müller.txt"
check "diff names the new report in UTF-8" grep -qx "New       $dir/Kundenbericht für Müller.txt" "$dir/out"
check "diff removes no file of the unlisted folder" grep -qx '0 change(s) in the installation' "$dir/out"
check "diff says the folder is not comparable" grep -qx '      new report: the folder could not be listed (path too long)' "$dir/out"

exits "redact a report" 0 redact "$reports/faults_everywhere.txt"
cp "$dir/out" "$dir/redacted.txt"
check "the redacted report keeps no name, e-mail or user name" \
    bash -c "! grep -qiE 'Ada Lovelace|ada@example|ada_flies|Users.Ada' '$dir/redacted.txt'"
exits "the redacted report is inspected as the original" 0 --config "$config" --summary "$dir/redacted.txt"
check "its row has the placeholders and the original's findings" \
    grep -qP '\t\[name\]\t\[e-mail\]\t.*\t5\t5\tsimconnect-missing$' "$dir/out"
exits "redact a file that is no report" 1 redact "$dir/odd.dat"
: >"$dir/empty.dat"
exits "redact an empty file" 1 redact "$dir/empty.dat"
printf '\377\376*\0*\0B\0a\0s\0i\0c\0' >"$dir/utf16.txt"
exits "redact a report saved as UTF-16" 1 redact "$dir/utf16.txt"
check "redact says it is no report and prints nothing" \
    bash -c "grep -q 'no Ravelo report' '$dir/err' && [ ! -s '$dir/out' ]"
exits "redact with the config" 0 --config "$config" redact "$reports/faults_everywhere.txt"
check "the config's redaction is the same report" cmp -s "$dir/out" "$dir/redacted.txt"
sed -e 's/^e-mail: .*/e-mail:              /' \
    -e 's/^\t-> AppPath \tC:\\FSX\\$/&\n\t-> LicenseEmail \tada@example.com/' \
    "$reports/clean.txt" >"$dir/no_email.txt"
exits "diff --redact" 0 --config "$config" --redact diff "$reports/clean.txt" "$dir/no_email.txt"
check "diff --redact hides the e-mail the new report holds elsewhere" \
    bash -c "grep -q 'LicenseEmail' '$dir/out' && ! grep -qi 'ada@example' '$dir/out'"
exits "--redact on the summary" 0 --config "$config" --redact --summary "$reports/clean.txt"
check "the redacted summary names nobody" bash -c "! grep -qiE 'Ada Lovelace|ada@example' '$dir/out'"

exits "an overview with a bad file" 1 --config "$config" --overview "$dir/week" "${batch[@]}"
check "the overview prints the summary" bash -c "[ \$(wc -l <'$dir/out') -eq 5 ]"
check "the overview writes its index and a page per report" \
    bash -c "[ -s '$dir/week/index.html' ] && [ \$(ls '$dir/week' | wc -l) -eq 5 ]"
exits "a redacted overview" 0 --config "$config" --redact --overview "$dir/shared" "$reports/clean.txt"
check "the redacted overview and its page name nobody" bash -c "! grep -rqiE 'Ada Lovelace|ada@example|ada_flies|Users.Ada|fuel gauge' '$dir/shared'"
exits "an overview where no folder can be made" 1 --overview "$dir/odd.dat/x" "$reports/clean.txt"
long=$dir/$(printf 'x%.0s' {1..250}).dat
cp "$reports/clean.txt" "$long"
exits "an overview of a report named in 254 bytes and one in UTF-8" 0 --overview "$dir/long" "$long" "$dir/Kundenbericht für Müller.txt"
check "its page is written and linked" bash -c "grep -o 'href=\"[^\"]*\"' '$dir/long/index.html' | cut -d'\"' -f2 | while read -r p; do [ -s '$dir/long/'\$p ] || exit 1; done"
check "the index names the UTF-8 report as given" grep -q ">$dir/Kundenbericht für Müller.txt</a>" "$dir/long/index.html"

# A support rule's finding goes wherever a built-in one goes.
mkdir "$dir/desk"
cp -r "$fixtures/manifests" "$dir/desk/"
{ cat "$config"; printf '%s\n' '' '[[rule]]' 'id = "terrain-clash"' 'severity = "error"' \
    'message = "terrain.dll <b>clashes</b> & crashes"' '[rule.if]' "file = 'Modules\\terrain.dll'" \
    '[rule.unless]' "windows = '5.*'"; } >"$dir/desk/rules.toml"
rules=$dir/desk/rules.toml
grep -v 'terrain.dll' "$reports/clean.txt" >"$dir/without_terrain.txt"
exits "a report a support rule fits" 0 --config "$rules" "$reports/clean.txt"
check "the text output shows its finding and evidence" \
    bash -c "grep -qxF 'ERROR    terrain-clash: terrain.dll <b>clashes</b> & crashes' '$dir/out' &&
             grep -qxF '         line 42: file: Modules\\terrain.dll 47afa88cfb198f52733fa3d1f43d7f04' '$dir/out'"
exits "as JSON" 0 --config "$rules" --json "$reports/clean.txt"
check "the JSON finding has its evidence line" \
    grep -qF '{"evidence":[{"line":42,"text":"file: Modules\\terrain.dll 47afa88cfb198f52733fa3d1f43d7f04"}],"message":"terrain.dll <b>clashes</b> & crashes","rule":"terrain-clash","severity":"error"}' "$dir/out"
exits "as a page" 0 --config "$rules" --html "$dir/rule.html" "$reports/clean.txt"
check "the page shows its message escaped" \
    bash -c "grep -qF 'terrain-clash</code><p>terrain.dll &lt;b&gt;clashes&lt;/b&gt; &amp; crashes</p>' '$dir/rule.html' &&
             ! grep -qF '<b>clashes' '$dir/rule.html'"
exits "in the summary" 0 --config "$rules" --summary "$reports/clean.txt"
check "its row counts it as the first error" grep -qP '\t1\t0\tterrain-clash$' "$dir/out"
exits "in an overview" 0 --config "$rules" --overview "$dir/rule-week" "$reports/clean.txt" "$dir/without_terrain.txt"
check "the overview's chart has its bar, of one report" grep -qF '<title>terrain-clash: 1</title>' "$dir/rule-week/index.html"
exits "in a diff" 0 --config "$rules" diff "$reports/clean.txt" "$dir/without_terrain.txt"
check "diff says it is fixed" bash -c "grep -q '^Findings: 1 fixed, 0 new, 0 still there$' '$dir/out' &&
                                       grep -q 'terrain-clash' '$dir/out'"
printf '%s\n' '[addon]' '[[rule]]' 'id = "x"' 'severity = "error"' 'message = "m"' '[rule.if]' \
    "fiel = 'Modules\\x.dll'" >"$dir/bad_rule.toml"
exits "a rule file with an unknown condition" 2 --config "$dir/bad_rule.toml" "$reports/clean.txt"
check "the error names the file, the line and the rule" \
    grep -qF "$dir/bad_rule.toml:7: rule \"x\": unknown key \"fiel\"" "$dir/err"

mkdir -p "$dir/addon/Gauges"
printf 'abc' >"$dir/addon/Gauges/a.bin"
exits "manifest of a folder" 0 manifest "$dir/addon"
check "manifest lines are md5sum lines with backslashes" \
    grep -qx '900150983cd24fb0d6963f7d28e17f72  Gauges\\a.bin' "$dir/out"
exits "manifest of no folder" 2 manifest "$dir/none"

all_checks_passed
