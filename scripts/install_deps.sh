#!/usr/bin/env bash
# Installs, on Debian, what building and testing Ravelo needs, when missing.
set -eu
needed=()
have() { dpkg -s "$1" >/dev/null 2>&1; }
for package in cmake ninja-build g++ libgtest-dev googletest mingw-w64 libcli11-dev \
               openssl hashdeep xvfb xdotool imagemagick x11-utils \
               icoutils osslsigncode zip unzip; do
    have "$package" || needed+=("$package")
done
have wine32:i386 || needed+=(wine wine32:i386)
[ ${#needed[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${needed[*]}"
$sudo dpkg --add-architecture i386
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${needed[@]}" >/dev/null
