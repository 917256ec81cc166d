#!/usr/bin/env bash
# ravelo-decode from the command line: good reports, and bad input refused
# with a message and a non-zero exit.
set -u
decode=$1
dir=$(mktemp -d)
trap 'chmod -R u+w "$dir"; rm -rf "$dir"' EXIT
failures=0
check() { # description, then a command that must succeed
    local what=$1; shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
refuses() { # description, then decode arguments that must fail with a message
    local what=$1; shift
    if "$decode" "$@" >"$dir/out" 2>"$dir/err"; then
        echo "FAILED: $what (exit 0)"; failures=$((failures + 1))
    elif ! grep -q 'ravelo-decode: ' "$dir/err"; then
        echo "FAILED: $what (no message)"; failures=$((failures + 1))
    else
        echo "ok: $what: $(cat "$dir/err")"
    fi
}

# "Hello, Ravelo!\n" (15 bytes) sealed under the report key, made by an
# independent XTEA written in Python at the time this test was written.
printf '\xe7\x0e\x95\xe2\x97\x44\x97\x69\x12\xf8\x0c\x9f\x67\x36\x9a\x18' >"$dir/hello.dat"
check "decodes to standard output" bash -c "[ \"\$('$decode' '$dir/hello.dat')\" = 'Hello, Ravelo!' ]"
check "decodes to a file" "$decode" "$dir/hello.dat" "$dir/hello.txt"
check "the file holds the text and its line feed, no padding" \
    bash -c "printf 'Hello, Ravelo!\n' | cmp -s - '$dir/hello.txt'"
: >"$dir/empty.dat"
check "an empty report decodes to nothing" bash -c "[ -z \"\$('$decode' '$dir/empty.dat')\" ]"

refuses "missing file" "$dir/nothing.dat"
refuses "a directory" "$dir"
printf '1234567' >"$dir/short.dat"
refuses "size not a multiple of 8" "$dir/short.dat"
refuses "output that cannot be written" "$dir/hello.dat" "$dir/no/such/folder/out.txt"
refuses "no arguments"

echo "$failures failed"
[ "$failures" -eq 0 ]
