#!/usr/bin/env bash
# ravelo_decode_cli.sh VERSION DECODE [ARGS...]: ravelo-decode from the
# command line (DECODE ARGS... runs it: the program, or Wine and the Windows
# build): good reports, help and version, and bad input refused with a
# message and a non-zero exit.
set -u
golden=$(cd "$(dirname "$0")/golden" && pwd)
version=$1
shift
decode=("$@")
dir=$(mktemp -d)
trap 'chmod -R u+w "$dir"; rm -rf "$dir"' EXIT
source "$(dirname "$0")/checks.sh"
run() { "${decode[@]}" "$@" >"$dir/out" 2>"$dir/err"; }
refuses() { # description, expected message part, then decode arguments
    local what=$1 expected=$2; shift 2
    if run "$@"; then
        failed "$what (exit 0)"
    elif ! grep -q "ravelo-decode: .*$expected" "$dir/err"; then
        failed "$what (message: $(cat "$dir/err"))"
    else
        echo "ok: $what: $(head -n1 "$dir/err")"
    fi
}

# Each succeeds when the decoder's output (standard output, or the file)
# holds exactly the expected bytes.
stdout_is() { # expected file, then decode arguments
    local expected=$1; shift
    "${decode[@]}" "$@" >"$dir/stdout" && cmp -s "$dir/stdout" "$expected"
}
file_is() { # expected file, then decode arguments ending with the output
    local expected=$1; shift
    "${decode[@]}" "$@" && cmp -s "${@: -1}" "$expected"
}
stdout_has() { # wanted text pattern, then decode arguments; Windows' CRs aside
    local wanted=$1 out; shift
    out=$("${decode[@]}" "$@") && [[ "${out//$'\r'/}" == $wanted ]]
}

# A report whose description holds CR LF pairs, sealed by an XTEA written in
# Python, not the program's.
report=$golden/report_with_crlf.dat
plain=$golden/report_with_crlf.txt
check "decodes a report to standard output byte for byte" stdout_is "$plain" "$report"
check "decodes a report to a file byte for byte" file_is "$plain" "$report" "$dir/report.txt"
check "--version prints the name and the version" stdout_has "ravelo-decode $version" --version
check "--help prints the usage" stdout_has "*Usage: ravelo-decode*REPORT*--force*" --help

# "Hello, Ravelo!\n" (15 bytes) sealed under the report key by the same
# Python XTEA: a well-formed file that is not a report.
printf '\xe7\x0e\x95\xe2\x97\x44\x97\x69\x12\xf8\x0c\x9f\x67\x36\x9a\x18' >"$dir/hello.dat"
printf 'Hello, Ravelo!\n' >"$dir/hello.txt"
: >"$dir/empty.dat"
{ printf '\xff'; tail -c +2 "$report"; } >"$dir/damaged.dat"
refuses "a file that is not a report" "not a Ravelo report: it does not begin" "$dir/hello.dat"
check "--force writes it anyway" stdout_is "$dir/hello.txt" --force "$dir/hello.dat"
refuses "an empty file" "not a Ravelo report" "$dir/empty.dat"
check "--force decodes an empty file to nothing" stdout_is "$dir/empty.dat" --force "$dir/empty.dat"
refuses "a report damaged in its first block" "not a Ravelo report" "$dir/damaged.dat"

refuses "missing file" "cannot read" "$dir/nothing.dat"
refuses "a directory" "cannot read" "$dir"
# Sparse: larger than any report, refused before it is read (a 32-bit
# program has no room to hold it).
truncate -s $((256 * 1024 * 1024 + 8)) "$dir/huge.dat"
refuses "a file larger than any report" "larger than 256 MiB" "$dir/huge.dat"
printf '1234567' >"$dir/short.dat"
refuses "size not a multiple of 8" "not a multiple of 8" "$dir/short.dat"
refuses "output that cannot be written" "cannot write" "$report" "$dir/no/such/folder/out.txt"
refuses "no arguments" "REPORT is required"
refuses "an unknown option" "" --colour "$report"

all_checks_passed
