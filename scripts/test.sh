#!/usr/bin/env bash
# Builds every tree and runs every test: the native suite, also built with
# the sanitizers; each fuzz target for a minute; the checks of the Windows
# programs as they ship (imports, version resource, a second build
# elsewhere); the Windows test suite under Wine; a release signed with a
# throwaway certificate, and a Ravelo.exe clicked through the dialogs; and
# the main job.
#
# Which Windows build runs under Wine is settled by scripts/wine_arch.sh.
# i686 (the kernel runs 32-bit programs and wine32 starts): the suite in a
# 64-bit prefix and once more in a 32-bit one, the dialogs with the signed
# release's Ravelo.exe, which must write the same report as the x86_64 build
# on the same machine, and the x86_64 dialogs run once more so that the
# fallback keeps working. x86_64: the x86_64 suite and dialogs in a 64-bit
# prefix; the i686 programs are built and checked, not run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install_deps.sh
source scripts/wine_arch.sh
settle_wine_arch
bash scripts/build.sh
source scripts/wine_prefix.sh

echo "== The reporter's trees configure with the network cut off"
bash tests/offline_configure.sh

echo "== Native tests"
ctest --test-dir build/native --output-on-failure

echo "== Native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -G Ninja -DRAVELO_SANITIZE=ON >/dev/null
cmake --build build/sanitize
ctest --test-dir build/sanitize --output-on-failure

echo "== Fuzzing, ${RAVELO_FUZZ_SECONDS:=60} s a target"
for target in $(bash scripts/fuzz.sh --list); do
    bash scripts/fuzz.sh "$target" "$RAVELO_FUZZ_SECONDS"
done

echo "== The Windows programs, built again in another folder"
bash tests/reproducible_build.sh build/windows
bash tests/reproducible_build.sh build/windows64

# start_wine_server PREFIX: a fresh windowless prefix of that architecture,
# its server on one core, and Wine's services started now, detached from the
# output ctest reads: a service holding that pipe open would keep ctest
# waiting after the test has ended.
start_wine_server() {
    make_wine_prefix "$1" "$2"
    make_windowless "$1"
    export WINEPREFIX=$1
    taskset -c 0 wineserver -p
    taskset -c 0 wine wineboot >/dev/null 2>&1 </dev/null
}
trap 'wineserver -k 2>/dev/null || true' EXIT

echo "== Windows programs and tests under Wine, 64-bit Windows ($RAVELO_WINE_ARCH build)"
start_wine_server "$root/build/wineprefix" win64
if [ "$RAVELO_WINE_ARCH" = i686 ]; then
    ctest --test-dir build/windows --output-on-failure
else
    ctest --test-dir build/windows --output-on-failure -E _under_wine
fi
ctest --test-dir build/windows64 --output-on-failure
ctest --test-dir "$(windows_tests_tree)" --output-on-failure
wineserver -k 2>/dev/null || true

if [ "$RAVELO_WINE_ARCH" = i686 ]; then
    echo "== Windows tests under Wine, 32-bit Windows (one registry view)"
    start_wine_server "$root/build/wineprefix32" win32
    ctest --test-dir build/windows-tests --output-on-failure -R '^ravelo_tests_under_wine$'
    wineserver -k 2>/dev/null || true
fi

echo "== Release: built, signed with a throwaway certificate, checked"
bash tests/release_check.sh build/release-check

if [ "$RAVELO_WINE_ARCH" = i686 ]; then
    echo "== The dialogs under Wine, end to end, with the signed release's Ravelo.exe"
    RAVELO_TWIN_EXE=build/windows64/Ravelo.exe \
        timeout 900 bash tests/e2e/dialogs_under_wine.sh build/release-check/ravelo-*/Ravelo.exe \
        build/native/ravelo-decode build/e2e
    echo "== The dialogs under Wine once more, on the x86_64 path"
    RAVELO_WINE_ARCH=x86_64 timeout 600 bash tests/e2e/dialogs_under_wine.sh \
        build/windows64/Ravelo.exe build/native/ravelo-decode build/e2e64
else
    echo "== The dialogs under Wine, end to end, with the x86_64 Ravelo.exe"
    timeout 600 bash tests/e2e/dialogs_under_wine.sh build/windows64/Ravelo.exe \
        build/native/ravelo-decode build/e2e
fi

echo "== The main job, as a newcomer runs it"
bash scripts/demo.sh >build/demo.log 2>&1 || { cat build/demo.log; exit 1; }
for expected in 'FSX path:            C:\FSX\' ". VokPanel.dll "$'\t' \
    '    <Path>Modules\VokPanel.dll</Path>' 'x86_Microsoft.FlightSimulator.SimConnect_' \
    'ERROR    module-untrusted: ' 'WARNING  file-modified: '; do
    grep -qF -- "$expected" build/demo.log || { echo "demo: no line with '$expected'"; exit 1; }
done
echo "demo: the report shows the demo installation and its two faults (build/demo.log)"
