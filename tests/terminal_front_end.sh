#!/usr/bin/env bash
# terminal_front_end.sh RAVELO RAVELO_DECODE: the Linux front end driven
# through a pipe: consent, the form's rules, limits, the end of the input and
# a report that cannot be written. RAVELO_SKIP_SECTION_CHECKS=1 skips the
# checks that read the user's fields back from the report.
set -u
ravelo=$(realpath "$1")
decode=$(realpath "$2")
skip_sections=${RAVELO_SKIP_SECTION_CHECKS:-0}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config"
failures=0
ok() { echo "ok: $1"; }
failed() { echo "FAILED: $1"; failures=$((failures + 1)); }
contains() { # text file, expected bytes
    local text
    text=$(cat "$1"; echo .)
    [[ "$text" == *"$2"* ]]
}
count() { # text file, text: how many times the file holds the text
    grep -o -F -- "$2" "$1" | wc -l
}

# run NAME INPUT: runs ravelo in a fresh folder with INPUT (backslash
# escapes such as \n expanded) as its standard input; leaves the folder in
# $run, the output in $run.out.
run() {
    run="$dir/$1"
    mkdir -p "$run"
    printf '%b' "$2" | (cd "$run" && "$ravelo") >"$run.out" 2>&1
    code=$?
}
expect() { # description, then a command that must succeed
    local what=$1; shift
    if "$@"; then ok "$what"; else failed "$what"; fi
}
expect_section() {
    if [ "$skip_sections" = 1 ]; then echo "skipped: $1"; else expect "$@"; fi
}
consent_warning="You have to accept the terms and conditions to proceed."
fields_warning="Please, fill all fields marked with *."
completion='Scanning is completed.
The report file "Ravelo_Report.dat" has been generated. 
Please, send back this file to Vok.'
failure='Scanning is completed.
The report file "Ravelo_Report.dat" could not be written. 
Please, run Ravelo from a folder where you can save files.'
long() { printf "$1%.0s" $(seq "$2"); }
no_report() { [ ! -e "$run/Ravelo_Report.dat" ]; }

# Input that ends before the form is complete: exit 1 with one line on
# standard error, and no report.
# name | input | warnings of each kind expected
while IFS='|' read -r name input consent_warnings field_warnings; do
    run "$name" "$input"
    expect "$name: exit code 1" [ "$code" -eq 1 ]
    expect "$name: one line says the input ended" \
        [ "$(count "$run.out" "ravelo: the input ended before the form was complete")" -eq 1 ]
    expect "$name: no report" no_report
    expect "$name: $consent_warnings consent warning(s)" \
        [ "$(count "$run.out" "$consent_warning")" -eq "$consent_warnings" ]
    expect "$name: $field_warnings field warning(s)" \
        [ "$(count "$run.out" "$fields_warning")" -eq "$field_warnings" ]
done <<'TABLE'
no_input||0|0
refused_then_ended|n\n\nyes\n|3|0
accepted_then_ended|y\n|0|0
name_empty|Y\n\nmail\n\ntext\n\n|0|1
email_empty|y\nAda\n\nforum\ntext\n\n|0|1
description_empty|y\nAda\nmail\nforum\n\n|0|1
ended_in_description|y\nAda\nmail\n\ntext|0|0
TABLE
expect "the consent text comes first" contains "$dir/no_input.out" \
    "Ravelo is a utility that scans your computer and gathers information to help Halvern understand the cause of an issue you are reporting.  The information"
expect "the form is asked again after an empty field" \
    [ "$(grep -o 'Name\*: ' "$dir/name_empty.out" | wc -l)" -eq 2 ]

run accepted 'x\ny\n   \nada@example.com\n\nThe gauge stays dark.\r\nSince the update.\n\n'
expect "accepted: exit code 0" [ "$code" -eq 0 ]
expect "accepted: one consent warning, then the form" [ "$(count "$run.out" "$consent_warning")" -eq 1 ]
expect "accepted: a name of spaces counts as filled" [ "$(count "$run.out" "$fields_warning")" -eq 0 ]
expect "accepted: the wait text, then the completion text" contains "$run.out" \
    "Scanning in progress. 
It can take up to a few minutes. 
Please wait...
$completion
"
expect "accepted: the report file is written" test -s "$run/Ravelo_Report.dat"
"$decode" "$run/Ravelo_Report.dat" "$run/report.txt" || failed "accepted: the report decodes"
cr=$'\r'
expect_section "accepted: the four fields, the description joined by CR LF pairs" contains "$run/report.txt" \
"Name:                $(long ' ' 3)
e-mail:              ada@example.com
Forum name:          
Problem description: The gauge stays dark.$cr
Since the update.

"

line=$(long d 74)
description_input=""
for _ in $(seq 26); do description_input+="$line"$'\n'; done
description_input+="$(long L 40)"$'\n\n'
run limits "y\n$(long N 100)XXXX\n$(long e 100)YYYY\n$(long f 100)ZZZZ\n$description_input"
expect "limits: completion text" contains "$run.out" "$completion"
"$decode" "$run/Ravelo_Report.dat" "$run/report.txt" || failed "limits: the report decodes"
expected_description=""
for _ in $(seq 26); do expected_description+="$line$cr"$'\n'; done
expected_description+="$(long L 24)"
expect_section "limits: fields cut to 100, 100, 100 and 2000 characters" contains "$run/report.txt" \
"Name:                $(long N 100)
e-mail:              $(long e 100)
Forum name:          $(long f 100)
Problem description: $expected_description

"
# 1999 characters, then a line break that would need two more: the break is
# dropped rather than half kept.
run limit_in_line_break "y\nAda\nmail\n\n$(long a 1999)\nb\n\n"
"$decode" "$run/Ravelo_Report.dat" "$run/report.txt" || failed "limit_in_line_break: the report decodes"
expect_section "limit_in_line_break: no lone carriage return at the limit" contains "$run/report.txt" \
    "Problem description: $(long a 1999)

"

mkdir -p "$dir/unwritable/Ravelo_Report.dat"
run unwritable 'y\nAda\nmail\n\ntext\n\n'
expect "unwritable: exit code 0" [ "$code" -eq 0 ]
expect "unwritable: the failure text, not the completion text" contains "$run.out" "$failure"
expect "unwritable: no claim that the report was generated" [ "$(count "$run.out" 'has been generated')" -eq 0 ]

echo "$failures failed"
[ "$failures" -eq 0 ]
