#!/usr/bin/env bash
# Installs, on Debian, what building and testing Ravelo needs, when missing.
# wine32 only where the kernel runs 32-bit programs: elsewhere it cannot
# start, and the Windows programs run as x86_64 builds under wine64
# (scripts/wine_arch.sh). When wine32 cannot be installed, it is tried once
# more with Debian's security lists held below the main ones
# (scripts/apt_security_held.sh). A failure to get one package list or
# wine32 is said in one line and does not stop the script.
set -u
source "$(dirname "$0")/wine_arch.sh"
source "$(dirname "$0")/apt_security_held.sh"
have() { dpkg -s "$1" >/dev/null 2>&1; }
needed=()
# wine64 beside wine: without it every prefix is a 32-bit Windows.
for package in cmake ninja-build g++ libgtest-dev googletest mingw-w64 \
               openssl hashdeep xvfb xdotool imagemagick x11-utils \
               libpugixml-dev libtomlplusplus-dev nlohmann-json3-dev libcli11-dev chromium \
               icoutils osslsigncode zip unzip clang libclang-rt-14-dev dpkg-dev wine wine64; do
    have "$package" || needed+=("$package")
done
want_wine32=false
if kernel_runs_32_bit && ! have wine32:i386; then
    want_wine32=true
fi
[ ${#needed[@]} -eq 0 ] && ! $want_wine32 && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
# A folder of this run's own: a fixed name in /tmp may be another user's.
logs=$(mktemp -d "${TMPDIR:-/tmp}/ravelo-apt.XXXXXX") || exit 1
keep_logs=false
trap '$keep_logs || rm -rf "$logs"' EXIT
apt_install() { # log name, then apt-get's arguments
    local log=$logs/$1.log
    shift
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$@" >"$log" 2>&1
}
$want_wine32 && $sudo dpkg --add-architecture i386
# A mirror can lag for one architecture: the lists that did download serve.
if ! $sudo apt-get update -qq >"$logs/update.log" 2>&1; then
    echo "apt-get update did not fetch every package list (going on with those it has):" \
         "$(grep -m1 '^E:' "$logs/update.log" || tail -n1 "$logs/update.log")"
fi
status=0
if [ ${#needed[@]} -gt 0 ]; then
    echo "Installing: ${needed[*]}"
    if ! apt_install all "${needed[@]}"; then
        # One at a time, so that one missing package does not keep the others out.
        failed=()
        for package in "${needed[@]}"; do
            apt_install "$package" "$package" || failed+=("$package")
        done
        if [ ${#failed[@]} -gt 0 ]; then
            keep_logs=true
            echo "Could not install: ${failed[*]} (see $logs)" >&2
            status=1
        fi
    fi
fi
if $want_wine32; then
    echo "Installing: wine32:i386"
    if ! apt_install wine32 --no-remove wine32:i386; then
        keep_logs=true
        first_error=$(grep -m1 '^E:' "$logs/wine32.log")
        echo "wine32:i386 could not be installed (${first_error:-see $logs/wine32.log}):" \
             "one more try with Debian's security lists held below the main ones, where apt needs that"
        if ! install_with_security_held wine32:i386 "$logs/security-held.log"; then
            first_error=$(grep -m1 '^E:' "$logs/security-held.log" || echo "$first_error")
            echo "wine32:i386 could not be installed (${first_error:-see $logs/security-held.log}):" \
                 "the Windows programs will run as x86_64 builds under wine64"
        fi
    fi
fi
exit $status
