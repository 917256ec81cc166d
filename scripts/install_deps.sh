#!/usr/bin/env bash
# Installs, on Debian, what building and testing Ravelo needs, when missing.
set -eu
needed=()
have() { dpkg -s "$1" >/dev/null 2>&1; }
for package in cmake ninja-build g++ libgtest-dev googletest mingw-w64 \
               openssl hashdeep xvfb xdotool imagemagick x11-utils \
               libpugixml-dev libtomlplusplus-dev nlohmann-json3-dev libcli11-dev chromium \
               icoutils osslsigncode zip unzip clang libclang-rt-14-dev; do
    have "$package" || needed+=("$package")
done
# wine64 beside wine32: without it every prefix is a 32-bit Windows.
for package in wine wine64 wine32:i386; do
    have "$package" || needed+=("$package")
done
[ ${#needed[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${needed[*]}"
$sudo dpkg --add-architecture i386
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${needed[@]}" >/dev/null
