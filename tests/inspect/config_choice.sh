#!/usr/bin/env bash
# config_choice.sh FIXTURES [WINE_RUNNER] INSPECT: which configuration
# ravelo-inspect reads, natively or under Wine. A table of where config
# files lie (given, beside the program, the user's own, none, a broken one),
# each row checked for the exit code, the text output's first lines, the
# release the chosen file's manifests give and the JSON output's form. The
# program runs from a copy in a folder named outside ASCII.
set -u
fixtures=$(cd "$1" && pwd)
runner=()
[ $# -eq 3 ] && runner=("$(realpath "$2")")
program=$(realpath "${!#}")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
source "$(dirname "$0")/../checks.sh"
export LC_ALL=C.UTF-8
tools="$dir/Programm für Jürgen"
mkdir -p "$tools" && cp "$program" "$tools/"
inspect=("${runner[@]}" "$tools/$(basename "$program")")
cp "$fixtures/reports/clean.txt" "$dir/"
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
if [ ${#runner[@]} -gt 0 ]; then
    source "$(dirname "$0")/../../scripts/wine_arch.sh"
    settle_wine_arch >/dev/null  # else the runner says it with the program's output
    # Wine takes %APPDATA% from the prefix, not from the environment.
    appdata=$("${runner[@]}" cmd /c 'echo %APPDATA%' </dev/null | tr -d '\r')
    own=$("${runner[@]}" winepath -u "$appdata\\Ravelo" </dev/null | tr -d '\r')
    own_shown="$appdata\\Ravelo\\ravelo-inspect.toml"
    beside_shown="$(windows_path "$tools")\\ravelo-inspect.toml"
    given_shown="$(windows_path "$dir/given")\\ravelo-inspect.toml"
else
    export XDG_CONFIG_HOME=$dir/xdg
    own=$XDG_CONFIG_HOME/ravelo
    own_shown=$own/ravelo-inspect.toml beside_shown=$tools/ravelo-inspect.toml
    given_shown=$dir/given/ravelo-inspect.toml
fi
own=${own%/}
[ -e "$own" ] && { echo "FAILED: $own is there before the test and would be read"; exit 1; }
trap 'rm -rf "$dir" "$own"' EXIT

plant() { # folder, name: a config whose one manifest is NAME-1.1
    mkdir -p "$1/manifests"
    cp "$fixtures/ravelo-inspect.toml" "$1/"
    cp "$fixtures/manifests/1.1.md5" "$1/manifests/$2-1.1.md5"
}
plant "$dir/given" given
cd "$dir"
# name | --config | beside | own | first lines | release | exit
rows=(
    "given, over the two others|$given_shown|yes|yes|$given_shown (given with --config)|given-1.1|0"
    "beside the program, over the user's own||yes|yes|$beside_shown (beside the program)|beside-1.1|0"
    "the user's own||no|yes|$own_shown (your own)|own-1.1|0"
    "none||no|no|none found: the checks that need one are skipped
          looked for $beside_shown (beside the program)
          and $own_shown (your own)||0"
    "a broken one beside the program is an error, not passed over||broken|yes|||2"
    "a folder in its place beside the program is an error, not passed over||folder|yes|||2"
)
for row in "${rows[@]}"; do
    IFS='|' read -r -d '' name given beside own_there lines release code <<<"$row"
    code=${code%$'\n'}
    rm -rf "$tools/ravelo-inspect.toml" "$tools/manifests" "$own"
    [ "$beside" = yes ] && plant "$tools" beside
    [ "$beside" = broken ] && printf '[addon]\nsimconnect = "x"\n' >"$tools/ravelo-inspect.toml"
    [ "$beside" = folder ] && mkdir "$tools/ravelo-inspect.toml"
    [ "$own_there" = yes ] && plant "$own" own
    args=(${given:+--config "$given"})
    "${inspect[@]}" "${args[@]}" clean.txt >out 2>err
    check "$name: exit $code" [ $? -eq "$code" ]
    if [ "$code" -eq 2 ]; then
        why="[addon] simconnect" && [ "$beside" = folder ] && why="cannot read the file"
        check "$name: the error names the file and why" grep -qF "$beside_shown: $why" err
        continue
    fi
    check "$name: the text output's first lines" \
        bash -c "[ \"\$(sed -n '/^\$/q;p' out)\" = 'Config    $lines' ] && sed -n '/^\$/{n;p;q}' out | grep -q '^Report    clean.txt'"
    "${inspect[@]}" "${args[@]}" --json clean.txt >out 2>err
    check "$name: JSON is one object, with the release of that config's manifests" \
        bash -c "[ \$(wc -l <out) -eq 1 ] && grep -q '^{.*\"release\":${release:+\"}${release:-null}${release:+\"}' out"
    check "$name: standard error says it only when there is none" \
        bash -c "if [ -z '$release' ]; then grep -q 'config none found' err; else [ ! -s err ]; fi"
done

if [ ${#runner[@]} -eq 0 ]; then
    # The XDG base directory rules: ~/.config unless $XDG_CONFIG_HOME is absolute.
    rm -rf "$own" "$tools/ravelo-inspect.toml" && plant "$dir/home/.config/ravelo" home
    for xdg in unset "" relative/path; do
        if [ "$xdg" = unset ]; then unset XDG_CONFIG_HOME; else export XDG_CONFIG_HOME=$xdg; fi
        HOME=$dir/home "${inspect[@]}" --json clean.txt >out 2>&1
        check "XDG_CONFIG_HOME $xdg: ~/.config/ravelo is read" grep -qF '"release":"home-1.1"' out
    done
fi
all_checks_passed
