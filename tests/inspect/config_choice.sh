#!/usr/bin/env bash
# config_choice.sh FIXTURES INSPECT...: which configuration ravelo-inspect
# reads (INSPECT... runs it: the program, or Wine and ravelo-inspect.exe).
# A table of where config files lie: given with --config, beside the
# program, the user's own, none; each row checked for the text output's
# first lines, the release the chosen file's manifests give, the JSON
# output's form and the exit code. The program runs from a copy in a folder
# named outside ASCII, so that a config can lie beside it.
set -u
fixtures=$(cd "$1" && pwd)
shift
runner=()
for part in "${@:1:$#-1}"; do  # Wine's runner keeps working from another folder
    if [ -e "$part" ]; then runner+=("$(realpath "$part")"); else runner+=("$part"); fi
done
program=$(realpath "${!#}")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
source "$(dirname "$0")/../checks.sh"
export LC_ALL=C.UTF-8
under_wine=false
if [ ${#runner[@]} -gt 0 ]; then
    under_wine=true
    # Said once here, so that no note of it comes out with the program's.
    source "$(dirname "$0")/../../scripts/wine_arch.sh"
    settle_wine_arch >/dev/null
fi

program_dir="$dir/Programm für Jürgen"
mkdir -p "$program_dir"
cp "$program" "$program_dir/"
inspect=("${runner[@]}" "$program_dir/$(basename "$program")")
cp "$fixtures/reports/clean.txt" "$dir/clean.txt"

# Wine's drive Z: is the root of the Linux file system.
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
if $under_wine; then
    # The prefix's own %APPDATA%: Wine takes it from the prefix, not from
    # the environment.
    appdata=$("${runner[@]}" cmd /c 'echo %APPDATA%' </dev/null | tr -d '\r')
    own_dir="$("${runner[@]}" winepath -u "$appdata\\Ravelo" </dev/null | tr -d '\r')"
    own_dir=${own_dir%/}
    own_shown="$appdata\\Ravelo\\ravelo-inspect.toml"
    beside_shown="$(windows_path "$program_dir")\\ravelo-inspect.toml"
    given_shown="$(windows_path "$dir/given")\\ravelo-inspect.toml"
    given_arg=$given_shown
else
    export XDG_CONFIG_HOME="$dir/xdg"
    own_dir=$XDG_CONFIG_HOME/ravelo
    own_shown=$own_dir/ravelo-inspect.toml
    beside_shown=$program_dir/ravelo-inspect.toml
    given_shown=$dir/given/ravelo-inspect.toml
    given_arg=$given_shown
fi
[ -e "$own_dir" ] && { echo "FAILED: $own_dir exists before the test: it would be read"; exit 1; }
trap 'rm -rf "$dir" "$own_dir"' EXIT

# plant FOLDER NAME: a config in FOLDER whose one manifest is NAME-1.1, so
# that the release shown tells which config was read.
plant() {
    mkdir -p "$1/manifests"
    cp "$fixtures/ravelo-inspect.toml" "$1/"
    cp "$fixtures/manifests/1.1.md5" "$1/manifests/$2-1.1.md5"
}
plant "$dir/given" given
plant_row() { # beside, own: yes, no or broken
    rm -rf "$program_dir/ravelo-inspect.toml" "$program_dir/manifests" "$own_dir"
    case $1 in
    yes) plant "$program_dir" beside ;;
    broken) printf '[addon]\nsimconnect = "10.0.61259.0"\n' >"$program_dir/ravelo-inspect.toml" ;;
    esac
    [ "$2" = yes ] && plant "$own_dir" own
    true
}

first_lines_are() { # expected lines, one an argument
    local expected
    expected=$(printf '%s\n' "$@")
    [ "$(head -n $#  "$dir/out")" = "$expected" ] ||
        { echo "  first lines:"; head -n $# "$dir/out" | sed 's/^/    /'; false; }
}

none_lines=("Config    none found: the checks that need one are skipped"
            "          looked for $beside_shown (beside the program)"
            "          and $own_shown (your own)" "" "Report    clean.txt")
# name | --config | beside | own | release | exit
rows=(
    "given, over the two others|$given_arg|yes|yes|given-1.1|0"
    "beside the program, over the user's own||yes|yes|beside-1.1|0"
    "the user's own||no|yes|own-1.1|0"
    "none||no|no||0"
    "a config beside the program that cannot be read is an error, not passed over||broken|yes||2"
)
cd "$dir"
for row in "${rows[@]}"; do
    IFS='|' read -r name given beside own release code <<<"$row"
    plant_row "$beside" "$own"
    args=(${given:+--config "$given"})
    "${inspect[@]}" "${args[@]}" clean.txt >"$dir/out" 2>"$dir/err"
    got=$?
    check "$name: exit $code" [ "$got" -eq "$code" ]
    if [ "$code" -eq 2 ]; then
        check "$name: the error names the file" grep -qF "$beside_shown: [addon] simconnect" "$dir/err"
        continue
    fi
    case $name in
    given*) check "$name: the first lines name it" first_lines_are "Config    $given_shown (given with --config)" "" "Report    clean.txt" ;;
    beside*) check "$name: the first lines name it" first_lines_are "Config    $beside_shown (beside the program)" "" "Report    clean.txt" ;;
    "the user's own") check "$name: the first lines name it" first_lines_are "Config    $own_shown (your own)" "" "Report    clean.txt" ;;
    none) check "$name: the first lines say where it looked" first_lines_are "${none_lines[@]}" ;;
    esac
    "${inspect[@]}" "${args[@]}" --json clean.txt >"$dir/out" 2>"$dir/err"
    check "$name: the JSON output is one object, as before" bash -c "[ \$(wc -l <'$dir/out') -eq 1 ] && head -c1 '$dir/out' | grep -q '{'"
    if [ -n "$release" ]; then
        check "$name: the release comes from its manifests" grep -qF "\"release\":\"$release\"" "$dir/out"
        check "$name: nothing on standard error" bash -c "[ ! -s '$dir/err' ]"
    else
        check "$name: no release" grep -qF '"release":null' "$dir/out"
        check "$name: standard error says none was found" grep -qF "ravelo-inspect: config none found" "$dir/err"
    fi
done

if ! $under_wine; then
    # The XDG base directory rules: a relative $XDG_CONFIG_HOME is ignored.
    plant_row no no
    plant "$dir/home/.config/ravelo" home
    for xdg in unset "" relative/path; do
        if [ "$xdg" = unset ]; then unset XDG_CONFIG_HOME; else export XDG_CONFIG_HOME=$xdg; fi
        HOME=$dir/home "${inspect[@]}" --json clean.txt >"$dir/out" 2>&1
        check "XDG_CONFIG_HOME $xdg: ~/.config/ravelo is read" grep -qF '"release":"home-1.1"' "$dir/out"
    done
fi

all_checks_passed
