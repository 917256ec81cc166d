# Sourced by the shell tests: each check prints ok or FAILED, and
# all_checks_passed ends the script with the count.
failures=0
failed() { echo "FAILED: $1"; failures=$((failures + 1)); }
check() { # description, then a command that must succeed
    local what=$1; shift
    if "$@"; then echo "ok: $what"; else failed "$what"; fi
}
all_checks_passed() {
    echo "$failures failed"
    [ "$failures" -eq 0 ]
}
