#!/usr/bin/env bash
# dropped_under_wine.sh INSPECT.exe DECODE.exe PREFIX: the support tools as
# support staff start them, from Explorer: reports dropped on them, or a
# double-click. Each drop runs through `wine start /wait /unix`, which, as
# Explorer does, gives the program a console of its own. A table of drops,
# each checked for the file written beside the report, the page or text the
# default program was given, what the message box said and the exit code.
# PREFIX is made afresh: the default programs for .html and .txt are set to
# copy what they are given into a folder the test reads.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
inspect_exe=$(realpath "$1")
decode_exe=$(realpath "$2")
prefix=$(realpath -m "$3")
source "$root/scripts/wine_prefix.sh"
source "$root/tests/checks.sh"
export LC_ALL=C.UTF-8
# A crash ends the program instead of waiting for a debugger no one sees.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
make_wine_prefix "$prefix" win64
make_windowless "$prefix"
export WINEPREFIX=$prefix
dir=$(mktemp -d)
trap 'wineserver -k 2>/dev/null; rm -rf "$dir"' EXIT
taskset -c 0 wineserver -p

windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
wine_quietly() { taskset -c 0 timeout 120 wine "$@" </dev/null >>"$dir/wine.log" 2>&1; }
mkdir -p "$dir/opened"
for kind in html txt; do
    wine_quietly reg add "HKLM\\Software\\Classes\\.$kind" /ve /d "${kind}file" /f
    wine_quietly reg add "HKLM\\Software\\Classes\\${kind}file\\shell\\open\\command" /ve \
        /d "C:\\windows\\system32\\cmd.exe /c copy /y \"%1\" \"$(windows_path "$dir/opened")\"" /f
done
export RAVELO_MESSAGE_LOG
RAVELO_MESSAGE_LOG=$(windows_path "$dir/messages.log")

# The release's way: the programs with their configuration beside them.
tools="$dir/Support Tools"
mkdir -p "$tools"
cp "$inspect_exe" "$decode_exe" "$root/inspect/example/ravelo-inspect.toml" "$tools/"
cp -r "$root/inspect/example/manifests" "$tools/"
clean=$root/tests/golden/inspect/reports/clean.txt
sealed=$root/tests/golden/report_with_crlf.dat

exit_code=0
# dropped PROGRAM ARGUMENTS...: started as Explorer starts it.
dropped() {
    rm -f "$dir/messages.log" "$dir/opened"/*
    taskset -c 0 timeout 300 wine start /wait /unix "$@" </dev/null >>"$dir/wine.log" 2>&1
    exit_code=$?
}
# The default program runs on its own after ShellExecute returns.
opened_is() { # the file it must have been given
    local copy i
    copy="$dir/opened/$(basename "$1")"
    for i in $(seq 1 40); do [ -s "$copy" ] && break; sleep 0.5; done
    cmp -s "$copy" "$1" && [ "$(ls "$dir/opened" | wc -l)" -eq 1 ]
}
nothing_opened() { sleep 2; [ -z "$(ls "$dir/opened")" ]; }
message_has() { grep -qF -- "$1" "$dir/messages.log" 2>/dev/null; }
no_message() { [ ! -e "$dir/messages.log" ] || { cat "$dir/messages.log"; false; }; }

row=0
folder() { row=$((row + 1)); case_dir="$dir/case $row"; mkdir -p "$case_dir"; }

folder
cp "$clean" "$case_dir/Ravelo_Report.dat"
dropped "$tools/ravelo-inspect.exe" "$(windows_path "$case_dir/Ravelo_Report.dat")"
check "a report, with the configuration beside the program: exit 0" [ "$exit_code" -eq 0 ]
check "  its page is beside it" grep -q 'Ada Lovelace' "$case_dir/Ravelo_Report.html"
check "  and the browser was given it" opened_is "$case_dir/Ravelo_Report.html"
check "  no message" no_message

folder
cp "$clean" "$case_dir/Kundenbericht für Müller Ωmega.dat"
dropped "$tools/ravelo-inspect.exe" "$(windows_path "$case_dir/Kundenbericht für Müller Ωmega.dat")"
check "a report named outside ASCII: exit 0" [ "$exit_code" -eq 0 ]
check "  its page is beside it, named alike" grep -q 'Ada Lovelace' "$case_dir/Kundenbericht für Müller Ωmega.html"
check "  and the browser was given it" opened_is "$case_dir/Kundenbericht für Müller Ωmega.html"
check "  no message" no_message

folder
cp "$clean" "$case_dir/REPORT.dat"
dropped "$inspect_exe" "$(windows_path "$case_dir/REPORT.dat")"
check "no configuration anywhere: still the page" grep -q 'Ada Lovelace' "$case_dir/REPORT.html"
check "  opened" opened_is "$case_dir/REPORT.html"
check "  and a warning that none was found, and where it looked" \
    bash -c "grep -qF 'ravelo-inspect (warning)' '$dir/messages.log' && grep -qF 'none found' '$dir/messages.log' &&
             grep -qF '$(windows_path "$(dirname "$inspect_exe")")\\ravelo-inspect.toml (beside the program)' '$dir/messages.log'"

folder
cp "$root/tests/golden/inspect/reports/cut_short.txt" "$case_dir/cut.dat"
dropped "$tools/ravelo-inspect.exe" "$(windows_path "$case_dir/cut.dat")"
check "a damaged report: exit 1" [ "$exit_code" -eq 1 ]
check "  its page shows what could be read" grep -q 'report-damaged' "$case_dir/cut.html"
check "  opened" opened_is "$case_dir/cut.html"
check "  the message box says so" \
    bash -c "grep -qF 'ravelo-inspect (error)' '$dir/messages.log' && grep -qF 'cut.dat: line ' '$dir/messages.log'"

folder
printf '1234567' >"$case_dir/odd.dat"
dropped "$tools/ravelo-inspect.exe" "$(windows_path "$case_dir/odd.dat")"
check "a file that is no report: exit 1" [ "$exit_code" -eq 1 ]
check "  no page" [ ! -e "$case_dir/odd.html" ]
check "  nothing opened" nothing_opened
check "  the message box says why" message_has "odd.dat: cannot be inspected: not a Ravelo report"

folder
for i in $(seq 100 149); do cp "$clean" "$case_dir/r$i.dat"; done
printf 'not a report' >"$case_dir/r120.dat"
reports=()
for i in $(seq 100 149); do reports+=("$(windows_path "$case_dir/r$i.dat")"); done
dropped "$tools/ravelo-inspect.exe" "${reports[@]}"
check "fifty reports at once: the overview beside the first, a page each" \
    bash -c "[ \$(ls '$case_dir/r100-overview' | wc -l) -eq 51 ]"
check "  its index opened" opened_is "$case_dir/r100-overview/index.html"
check "  the one that is no report is told" message_has "r120.dat: cannot be inspected"

folder
mkdir -p "$case_dir/Woche für Jürgen"
cp "$clean" "$case_dir/Woche für Jürgen/a.dat"
cp "$clean" "$case_dir/Woche für Jürgen/b.dat"
dropped "$tools/ravelo-inspect.exe" "$(windows_path "$case_dir/Woche für Jürgen")"
check "a folder: exit 0" [ "$exit_code" -eq 0 ]
check "  the overview of its reports beside it" \
    bash -c "[ \$(ls '$case_dir/Woche für Jürgen-overview' | wc -l) -eq 3 ]"
check "  opened" opened_is "$case_dir/Woche für Jürgen-overview/index.html"

# A folder that cannot be written to: read-only for the test's user; root
# writes anyway, so for root it is mounted read-only in a namespace of the
# drop's own, with a Wine server of its own there (the server, not the
# program, opens files).
folder
cp "$clean" "$case_dir/R.dat"
if [ "$(id -u)" -ne 0 ]; then
    chmod a-w "$case_dir"
    dropped "$tools/ravelo-inspect.exe" "$(windows_path "$case_dir/R.dat")"
    chmod u+w "$case_dir"
    read_only=true
elif unshare -rm true 2>/dev/null; then
    rm -f "$dir/messages.log"
    wineserver -k
    wineserver -w
    taskset -c 0 timeout 300 unshare -rm sh -c \
        'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" "$1" && shift &&
         wine start /wait /unix "$@"; code=$?; wineserver -k; exit $code' \
        - "$case_dir" "$tools/ravelo-inspect.exe" "$(windows_path "$case_dir/R.dat")" </dev/null >>"$dir/wine.log" 2>&1
    exit_code=$?
    taskset -c 0 wineserver -p
    read_only=true
else
    echo "skipped: a read-only folder (root, and no mount namespace to make one)"
    read_only=false
fi
if $read_only; then
    check "a read-only folder: exit 1" [ "$exit_code" -eq 1 ]
    check "  no page" [ ! -e "$case_dir/R.html" ]
    check "  the message box says the page cannot be written there, and what to do" \
        bash -c "grep -qF 'Cannot write $(windows_path "$case_dir/R.html")' '$dir/messages.log' &&
                 grep -qF 'Copy the report into a folder you can write to' '$dir/messages.log'"
fi

dropped "$tools/ravelo-inspect.exe"
check "double-clicked with nothing dropped: how to use it, and the configuration" \
    bash -c "grep -qF 'ravelo-inspect (information)' '$dir/messages.log' &&
             grep -qF 'Drop Ravelo reports' '$dir/messages.log' &&
             grep -qF 'ravelo-inspect.toml (beside the program)' '$dir/messages.log'"

folder
cp "$clean" "$case_dir/R.dat"
taskset -c 0 timeout 120 wine "$tools/ravelo-inspect.exe" "$(windows_path "$case_dir/R.dat")" \
    </dev/null >"$dir/out" 2>"$dir/err"
check "from a console, as before: the text output, its first line the configuration" \
    bash -c "head -n1 '$dir/out' | grep -qF 'Config    $(windows_path "$tools")\\ravelo-inspect.toml (beside the program)' &&
             grep -q '^Report ' '$dir/out'"
check "  and no page" [ ! -e "$case_dir/R.html" ]

folder
cp "$sealed" "$case_dir/Ravelo_Report.dat"
cp "$sealed" "$case_dir/Bericht Ωmega.dat"
dropped "$tools/ravelo-decode.exe" "$(windows_path "$case_dir/Bericht Ωmega.dat")"
check "ravelo-decode, a report named outside ASCII: exit 0" [ "$exit_code" -eq 0 ]
check "  its text is beside it" cmp -s "$case_dir/Bericht Ωmega.txt" "$root/tests/golden/report_with_crlf.txt"
check "  and the editor was given it" opened_is "$case_dir/Bericht Ωmega.txt"
check "  no message" no_message
printf 'Hello, Ravelo!\n' >"$case_dir/hello.dat"
dropped "$tools/ravelo-decode.exe" "$(windows_path "$case_dir/hello.dat")" \
    "$(windows_path "$case_dir/Ravelo_Report.dat")"
check "ravelo-decode, two files, one no report: exit 1" [ "$exit_code" -eq 1 ]
check "  the report's text is beside it" cmp -s "$case_dir/Ravelo_Report.txt" "$root/tests/golden/report_with_crlf.txt"
check "  and opened" opened_is "$case_dir/Ravelo_Report.txt"
check "  the other is told" message_has "hello.dat is not a Ravelo report"
check "  and gets no text" [ ! -e "$case_dir/hello.txt" ]
taskset -c 0 timeout 120 wine "$tools/ravelo-decode.exe" "$(windows_path "$case_dir/Bericht Ωmega.dat")" \
    </dev/null >"$dir/out" 2>"$dir/err"
check "ravelo-decode from a console: a name outside the ANSI code page opens" \
    cmp -s "$dir/out" "$root/tests/golden/report_with_crlf.txt"

all_checks_passed
