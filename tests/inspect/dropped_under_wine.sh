#!/usr/bin/env bash
# dropped_under_wine.sh INSPECT.exe DECODE.exe PREFIX: the support tools as
# Explorer starts them (reports dropped on them, a double-click), through
# `wine start /wait /unix`, which as Explorer gives a program a console of
# its own. A table of drops, each checked for its exit code, the file
# written beside the report, the file the default program was given, and
# the message box's text (from RAVELO_MESSAGE_LOG). PREFIX is made afresh;
# its default programs for .html and .txt copy what they are given into a
# folder the test reads.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
inspect_exe=$(realpath "$1") decode_exe=$(realpath "$2") prefix=$(realpath -m "$3")
source "$root/scripts/wine_prefix.sh"
source "$root/tests/checks.sh"
export LC_ALL=C.UTF-8 WINEPREFIX=$prefix
# A crash ends the program instead of waiting for a debugger no one sees.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
make_wine_prefix "$prefix" win64 && make_windowless "$prefix"
dir=$(mktemp -d)
trap 'wineserver -k 2>/dev/null; rm -rf "$dir"' EXIT
taskset -c 0 wineserver -p
cd "$dir"
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
mkdir opened
for kind in html txt; do
    for key in ".$kind|${kind}file" "${kind}file\\shell\\open\\command|C:\\windows\\system32\\cmd.exe /c copy /y \"%1\" \"$(windows_path "$dir/opened")\""; do
        taskset -c 0 wine reg add "HKLM\\Software\\Classes\\${key%%|*}" /ve /d "${key#*|}" /f </dev/null >/dev/null 2>&1
    done
done
export RAVELO_MESSAGE_LOG=$(windows_path "$dir/messages.log")
# The release's way: the programs with their configuration beside them.
tools="$dir/Support Tools"
mkdir "$tools" && cp "$inspect_exe" "$decode_exe" "$root"/inspect/example/ravelo-inspect.toml "$tools/"
cp -r "$root/inspect/example/manifests" "$tools/"
clean=$root/tests/golden/inspect/reports/clean.txt
sealed=$root/tests/golden/report_with_crlf.dat decoded=$root/tests/golden/report_with_crlf.txt

drop() { # row name, exit code, program, files dropped: started as Explorer starts it
    local name=$1 code=$2 program=$3 file; shift 3
    local arguments=()
    for file in "$@"; do arguments+=("$(windows_path "$file")"); done
    rm -f messages.log opened/*
    taskset -c 0 timeout 300 wine start /wait /unix "$program" "${arguments[@]}" </dev/null >>wine.log 2>&1
    check "$name: exit $code" [ $? -eq "$code" ]
    row=$name
}
# The default program runs on its own after ShellExecute returns.
opened() { # the file written, which the default program must have been given alone
    local i; for i in $(seq 40); do [ -s "opened/$(basename "$1")" ] && break; sleep 0.5; done
    check "$row: $(basename "$1") written and opened" \
        bash -c "cmp -s '$1' 'opened/$(basename "$1")' && [ \$(ls opened | wc -l) -eq 1 ]"
}
told() { # kind, then each text the message must hold
    local kind=$1 text; shift
    check "$row: a message box ($kind)" grep -qF "($kind)" messages.log
    for text in "$@"; do check "$row: it says '$text'" grep -qF -- "$text" messages.log; done
}
silent() { check "$row: no message box" test ! -e messages.log; }
absent() { sleep 2; check "$row: no $(basename "$1"), nothing opened" bash -c "[ ! -e '$1' ] && [ -z \"\$(ls opened)\" ]"; }

mkdir a b c d
cp "$clean" a/Ravelo_Report.dat
drop "a report, the configuration beside the program" 0 "$tools/ravelo-inspect.exe" "$dir/a/Ravelo_Report.dat"
opened "$dir/a/Ravelo_Report.html" && silent
cp "$clean" "a/Kundenbericht für Müller Ωmega.dat"
drop "named outside ASCII" 0 "$tools/ravelo-inspect.exe" "$dir/a/Kundenbericht für Müller Ωmega.dat"
opened "$dir/a/Kundenbericht für Müller Ωmega.html" && silent
cp "$clean" b/REPORT.dat
drop "no configuration anywhere" 0 "$inspect_exe" "$dir/b/REPORT.dat"
opened "$dir/b/REPORT.html"
told warning "none found" "$(windows_path "$(dirname "$inspect_exe")")\\ravelo-inspect.toml (beside the program)"
cp "$root/tests/golden/inspect/reports/cut_short.txt" b/cut.dat
drop "a damaged report" 1 "$tools/ravelo-inspect.exe" "$dir/b/cut.dat"
opened "$dir/b/cut.html" && told error "cut.dat: line " "Its page shows what could be read"
mkdir "c/Woche für Jürgen" && cp "$clean" "c/Woche für Jürgen/a.dat" && cp "$clean" "c/Woche für Jürgen/b.dat"
drop "a folder" 0 "$tools/ravelo-inspect.exe" "$dir/c/Woche für Jürgen"
opened "$dir/c/Woche für Jürgen-overview/index.html" && silent
check "$row: the overview holds a page per report" [ "$(ls "c/Woche für Jürgen-overview" | wc -l)" -eq 3 ]
drop "nothing dropped" 0 "$tools/ravelo-inspect.exe"
told information "Drop Ravelo reports" "ravelo-inspect.toml (beside the program)"

# Read-only for the test's user; root writes anyway, so for root the path
# is mounted read-only in a namespace of its own, with its own Wine server
# (the server, not the program, opens files), waited for so that the
# default program has copied what it was given.
read_only=true
[ "$(id -u)" -ne 0 ] || unshare -rm true 2>/dev/null || read_only=false
drop_read_only() { # row name, exit code, the path made read-only, program, file dropped
    local name=$1 code=$2 path=$3 program=$4 seen
    rm -f messages.log opened/*
    if [ "$(id -u)" -ne 0 ]; then
        chmod a-w "$path"
        taskset -c 0 timeout 300 wine start /wait /unix "$program" "$(windows_path "$5")" </dev/null >>wine.log 2>&1
        seen=$?
        chmod u+w "$path"
    else
        wineserver -k && wineserver -w
        taskset -c 0 timeout 300 unshare -rm sh -c 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" "$1" &&
            shift && wine start /wait /unix "$@"; code=$?; wineserver -w; exit $code' \
            - "$path" "$program" "$(windows_path "$5")" </dev/null >>wine.log 2>&1
        seen=$?
        taskset -c 0 wineserver -p
    fi
    check "$name: exit $code" [ $seen -eq "$code" ]
    row=$name
}
if $read_only; then
    cp "$clean" d/R.dat
    drop_read_only "a read-only folder" 1 "$dir/d" "$tools/ravelo-inspect.exe" "$dir/d/R.dat"
    absent "$dir/d/R.html"
    told error "Cannot write $(windows_path "$dir/d/R.html")" "Copy the report into a folder you can write to"
    cp "$sealed" d/S.dat && { cat "$decoded"; echo 'an earlier report'; } >d/S.txt
    drop_read_only "ravelo-decode, an earlier text beside it read-only" 0 "$dir/d/S.txt" "$tools/ravelo-decode.exe" "$dir/d/S.dat"
    opened "$dir/d/S (2).txt" && silent
else
    echo "skipped: a read-only folder (root, and no mount namespace to make one)"
fi

mkdir e && cp "$clean" e/R.dat && cp "$sealed" e/R.sealed && printf 'my notes\n' | tee e/R.html >e/R.txt
drop "a page of the user's own beside the report" 0 "$tools/ravelo-inspect.exe" "$dir/e/R.dat"
opened "$dir/e/R (2).html" && silent
check "$row: the user's page kept" grep -qx 'my notes' e/R.html
drop "ravelo-decode, a text of the user's own beside the report" 0 "$tools/ravelo-decode.exe" "$dir/e/R.sealed"
opened "$dir/e/R (2).txt" && silent
check "$row: the user's text kept" grep -qx 'my notes' e/R.txt

# Names past MAX_PATH: Windows writes none (Wine does) and its shell opens
# none; either way the message says why.
deep=$dir/long/$(printf '%080d' 0)/$(printf '%080d' 1)/$(printf '%060d' 2)
mkdir -p "$deep" && cp "$clean" "$deep/a.dat" && cp "$clean" "$deep/b.dat"
drop "two reports in a folder whose name is near MAX_PATH" 1 "$tools/ravelo-inspect.exe" "$deep/a.dat" "$deep/b.dat"
told error "too long for Windows (259 characters at most" "a short name, such as Documents"

taskset -c 0 timeout 120 wine "$tools/ravelo-inspect.exe" "$(windows_path "$dir/a/Ravelo_Report.dat")" </dev/null >out 2>&1
check "from a console, as before: the text output, first the configuration" \
    grep -qxF "Config    $(windows_path "$tools")\\ravelo-inspect.toml (beside the program)" out

# From a terminal Wine gives the program a console of its own, as Explorer
# does (so does Windows when a script or a scheduler without a console
# starts it): output redirected, or an option, is a command line all the same.
in_terminal() { # row name, command line run in a terminal, in folder a
    rm -f messages.log
    (cd a && timeout 300 script -qec "taskset -c 0 $2" /dev/null </dev/null >/dev/null 2>&1)
    code=$? row=$1
}
in_terminal "from a terminal, output to a file" \
    "wine '$tools/ravelo-inspect.exe' --summary Ravelo_Report.dat >'$dir/out' 2>'$dir/err'"
check "$row: the summary, no overview, no message box" bash -c \
    "[ $code -eq 0 ] && head -n1 out | grep -q '^file' && [ ! -e a/--summary-overview ] && [ ! -e messages.log ]"
in_terminal "from a terminal, output to a pipe" \
    "wine '$tools/ravelo-decode.exe' Ravelo_Report.dat 2>'$dir/err' | cat >'$dir/out'"
check "$row: the refusal on standard error, no message box" bash -c \
    "[ ! -s out ] && grep -q 'is not a Ravelo report' err && [ ! -e messages.log ]"
in_terminal "from a terminal, an option" "wine '$tools/ravelo-inspect.exe' --frobnicate 2>'$dir/err'"
check "$row: a usage error, no message box" bash -c \
    "[ $code -eq 2 ] && grep -q 'frobnicate' err && [ ! -e messages.log ]"

cp "$sealed" "a/Bericht Ωmega.dat"
drop "ravelo-decode, a report named outside ASCII" 0 "$tools/ravelo-decode.exe" "$dir/a/Bericht Ωmega.dat"
opened "$dir/a/Bericht Ωmega.txt" && silent
check "$row: the text is the report's" cmp -s "a/Bericht Ωmega.txt" "$decoded"
printf 'Hello, Ravelo!\n' >a/hello.dat
drop "ravelo-decode, two files, one no report" 1 "$tools/ravelo-decode.exe" "$dir/a/hello.dat" "$dir/a/Bericht Ωmega.dat"
opened "$dir/a/Bericht Ωmega.txt" && told error "hello.dat is not a Ravelo report"
check "$row: no text for it" test ! -e a/hello.txt
taskset -c 0 timeout 120 wine "$tools/ravelo-decode.exe" "$(windows_path "$dir/a/Bericht Ωmega.dat")" </dev/null >out 2>&1
check "ravelo-decode from a console: a name outside the ANSI code page opens" cmp -s out "$decoded"
all_checks_passed
