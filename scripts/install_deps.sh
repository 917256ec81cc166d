#!/usr/bin/env bash
# Installs, on Debian, what building and testing Ravelo needs, when missing.
# wine32 only where the kernel runs 32-bit programs: elsewhere it cannot
# start, and the Windows programs run as x86_64 builds under wine64
# (scripts/wine_arch.sh). A failure to get one package list or wine32 is
# said in one line and does not stop the script.
set -u
source "$(dirname "$0")/wine_arch.sh"
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
apt_install() {
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$@" >/tmp/ravelo-apt.log 2>&1
}
$want_wine32 && $sudo dpkg --add-architecture i386
# A mirror can lag for one architecture: the lists that did download serve.
if ! $sudo apt-get update -qq >/tmp/ravelo-apt-update.log 2>&1; then
    echo "apt-get update did not fetch every package list (going on with those it has):" \
         "$(grep -m1 '^E:' /tmp/ravelo-apt-update.log || tail -n1 /tmp/ravelo-apt-update.log)"
fi
status=0
if [ ${#needed[@]} -gt 0 ]; then
    echo "Installing: ${needed[*]}"
    if ! apt_install "${needed[@]}"; then
        # One at a time, so that one missing package does not keep the others out.
        failed=()
        for package in "${needed[@]}"; do
            apt_install "$package" || failed+=("$package")
        done
        if [ ${#failed[@]} -gt 0 ]; then
            echo "Could not install: ${failed[*]} (see /tmp/ravelo-apt.log)" >&2
            status=1
        fi
    fi
fi
if $want_wine32; then
    echo "Installing: wine32:i386"
    apt_install wine32:i386 ||
        echo "wine32:i386 could not be installed ($(grep -m1 '^E:' /tmp/ravelo-apt.log)):" \
             "the Windows programs will run as x86_64 builds under wine64"
fi
exit $status
