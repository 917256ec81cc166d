#!/usr/bin/env bash
# Builds every tree and runs every test: the native suite, the checks of the
# Windows programs as they ship, then the native suite built for Windows
# under Wine, in a Wine prefix made for this run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install_deps.sh
bash scripts/build.sh

echo "== Native tests"
ctest --test-dir build/native --output-on-failure

echo "== The Windows programs, built again in another folder"
bash tests/reproducible_build.sh build/windows

echo "== Windows tests under Wine"
export WINEPREFIX="$root/build/wineprefix"
rm -rf "$WINEPREFIX"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
taskset -c 0 wineboot -i >/dev/null 2>&1
# Dialogs without a display: the tests create windows.
taskset -c 0 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w
taskset -c 0 wineserver -p
# Start Wine's services now, detached from the output ctest reads: a service
# holding that pipe open would keep ctest waiting after the test has ended.
taskset -c 0 wine wineboot >/dev/null 2>&1 </dev/null
trap 'wineserver -k 2>/dev/null || true' EXIT
ctest --test-dir build/windows --output-on-failure
ctest --test-dir build/windows-tests --output-on-failure

echo "== Release: built, signed with a throwaway certificate, checked"
bash tests/release_check.sh build/release-check

echo "== The dialogs under Wine, end to end, with the signed release's Ravelo.exe"
wineserver -k 2>/dev/null || true
timeout 600 bash tests/e2e/dialogs_under_wine.sh build/release-check/ravelo-*/Ravelo.exe \
    build/native/ravelo-decode build/e2e
