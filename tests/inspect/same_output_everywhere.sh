#!/usr/bin/env bash
# same_output_everywhere.sh FIXTURES INSPECT...: ravelo-inspect's text and
# JSON outputs of the golden reports, byte for byte the files in
# FIXTURES/cli, which Linux and Windows are both held to (INSPECT... runs it:
# the program, or Wine and ravelo-inspect.exe); a report, a config and
# manifest folders named outside ASCII; --html writes a page. Under Wine,
# also a manifest folder given as a Windows path, with a drive letter and
# backslashes. RAVELO_UPDATE_GOLDEN=1 rewrites the expected files (review
# their diff).
set -u
fixtures=$(cd "$1" && pwd)
shift
inspect=()
for part in "$@"; do  # the program's files keep working from another folder
    if [ -e "$part" ]; then inspect+=("$(realpath "$part")"); else inspect+=("$part"); fi
done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
source "$(dirname "$0")/../checks.sh"
# No configuration of the machine's user is read: the runs that give none
# must find none.
export XDG_CONFIG_HOME=$dir/user-config
# Wine takes the command line in the locale's encoding.
export LC_ALL=C.UTF-8
under_wine=false
case "${inspect[0]}" in *wine*) under_wine=true ;; esac

# Reports are given by name, from their folder, so that the outputs name
# them the same way everywhere.
cp "$fixtures"/reports/*.txt "$fixtures/../report_with_crlf.dat" "$dir/"
cp "$fixtures/ravelo-inspect.toml" "$dir/"
cp -r "$fixtures/manifests" "$dir/"
cd "$dir"
reports=(*.txt *.dat)

same_as_golden() { # expected file, then ravelo-inspect arguments
    local expected=$1; shift
    "${inspect[@]}" "$@" >"$dir/out" 2>"$dir/err"
    [ -s "$dir/out" ] || { cat "$dir/err"; return 1; }
    [ "${RAVELO_UPDATE_GOLDEN:-}" ] && cp "$dir/out" "$expected"
    cmp -s "$dir/out" "$expected" || { cmp "$dir/out" "$expected"; false; }
}
for report in "${reports[@]}"; do
    name=${report%.*}
    check "$report: the text output is the expected bytes" \
        same_as_golden "$fixtures/cli/$name.text" --config ravelo-inspect.toml "$report"
    check "$report: the JSON output is the expected bytes" \
        same_as_golden "$fixtures/cli/$name.json" --config ravelo-inspect.toml --json "$report"
done

batch_in_order() {
    "${inspect[@]}" --config ravelo-inspect.toml --json --jobs 3 "${reports[@]}" >"$dir/out" 2>"$dir/err"
    cmp -s "$dir/out" <(for report in "${reports[@]}"; do cat "$fixtures/cli/${report%.*}.json"; done)
}
check "a batch on three threads gives each report's output, in order" batch_in_order

runs() { "${inspect[@]}" "$@" >"$dir/out" 2>"$dir/err" || { cat "$dir/err"; false; }; }
output_has() { grep -qF -- "$1" "$dir/out"; }

cp clean.txt "Kundenbericht für Müller.dat"
check "a report named outside ASCII is read" \
    runs --config ravelo-inspect.toml --json "Kundenbericht für Müller.dat"
check "it is inspected as under its own name, which comes out as UTF-8" \
    cmp -s "$dir/out" <(sed 's/"report":"clean.txt"/"report":"Kundenbericht für Müller.dat"/' \
                            "$fixtures/cli/clean.json")

mkdir "Einstellungen für Jürgen" "Manifeste für Müller" "Vök Ωmega"
cp ravelo-inspect.toml "Einstellungen für Jürgen/"
cp -r manifests "Einstellungen für Jürgen/"
cp manifests/*.md5 "Manifeste für Müller/"
check "a config in a folder named outside ASCII finds its manifests" \
    runs --config "Einstellungen für Jürgen/ravelo-inspect.toml" --json clean.txt
check "so the release is told" output_has '"release":"1.1"'
check "--manifests names a folder outside ASCII" \
    runs --config ravelo-inspect.toml --manifests "Manifeste für Müller" --json clean.txt
check "and the release is told from it" output_has '"release":"1.1"'
printf 'abc' >"Vök Ωmega/Zürich.bin"
check "manifest of a folder named outside ASCII" runs manifest "Vök Ωmega"
check "lists its file by its UTF-8 name" output_has '900150983cd24fb0d6963f7d28e17f72  Zürich.bin'

# Wine's drive Z: is the root of the Linux file system.
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
if $under_wine; then
    windows_manifests=$(windows_path "$dir/Manifeste für Müller")
    check "--manifests as a Windows path ($windows_manifests)" \
        runs --config ravelo-inspect.toml --manifests "$windows_manifests" --json clean.txt
    check "finds the release there" output_has '"release":"1.1"'
    mkdir -p "Vök Ωmega/Gauges"
    printf 'abc' >"Vök Ωmega/Gauges/a.bin"
    check "manifest of a Windows path" runs manifest "$(windows_path "$dir/Vök Ωmega")"
    check "lists the subfolder's file with a backslash" output_has '  Gauges\a.bin'
fi

check "--html writes a page" runs --config ravelo-inspect.toml --html "Seite für Müller.html" \
    faults_everywhere.txt
check "the page is HTML, ends as one, and holds the findings" \
    bash -c "head -c 15 'Seite für Müller.html' | grep -qi '<!doctype html' &&
             tail -c 20 'Seite für Müller.html' | grep -q '</html>' &&
             grep -q 'simconnect-missing' 'Seite für Müller.html'"
check "--html prints the text output as well" \
    cmp -s "$dir/out" "$fixtures/cli/faults_everywhere.text"
exits_with() { "${inspect[@]}" "${@:2}" >"$dir/out" 2>"$dir/err"; [ $? -eq "$1" ]; }

# Support rules read from a config in a folder named outside ASCII, with
# a pattern outside ASCII: the same findings everywhere.
{ cat ravelo-inspect.toml; printf '%s\n' '' '[[rule]]' 'id = "terrain-clash"' 'severity = "error"' \
    'message = "Terrain für Müller"' '[rule.if]' "file = 'MODULES\\Terrain.dll'" "release = '1.?'" \
    '[[rule]]' 'id = "umlaut"' 'severity = "info"' 'message = "m"' '[rule.if]' "file = 'Vok\\*\\F*ÜEL.BMP'"; } \
    >"Einstellungen für Jürgen/rules.toml"
check "a support rule of a config outside ASCII fires" \
    runs --config "Einstellungen für Jürgen/rules.toml" clean.txt
check "with its message and evidence" \
    bash -c "grep -qxF 'ERROR    terrain-clash: Terrain für Müller' '$dir/out' &&
             grep -qxF '         line 42: file: Modules\\terrain.dll 47afa88cfb198f52733fa3d1f43d7f04' '$dir/out'"
sed 's/fuel\.bmp/f\xfcel.bmp/' clean.txt >umlaut.txt
check "a pattern outside ASCII fits a name of another case" \
    runs --config "Einstellungen für Jürgen/rules.toml" umlaut.txt
check "so its rule fires" output_has 'INFO     umlaut: m'
printf '[addon]\n[[rule]]\nid = "x"\n' >"Einstellungen für Jürgen/bad.toml"
check "a refused rule is a usage error" exits_with 2 --config "Einstellungen für Jürgen/bad.toml" clean.txt
check "naming the file and line" grep -qF 'bad.toml:2: rule "x": no severity' "$dir/err"
check "--open without --html is a usage error" exits_with 2 --open clean.txt

all_checks_passed
