#!/usr/bin/env bash
# Builds the native tree (build/native); the Windows programs for i686, as
# they ship (build/windows, mingw's win32 thread model, so that they run on
# Windows XP), and for x86_64 (build/windows64: the support tools, and the
# reporter where no 32-bit program runs); and the Windows test suite for the
# architecture that runs under Wine here (scripts/wine_arch.sh):
# build/windows-tests or build/windows64-tests, with the posix thread model
# GoogleTest needs, and without ravelo-inspect.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/wine_arch.sh
settle_wine_arch
werror=OFF
[ "${CI:-}" = true ] && werror=ON
# A tree keeps the compiler it was first configured with, so one made before
# its thread model was chosen is started afresh.
forget_other_compiler() { # tree, thread model
    if ls "$1"/CMakeFiles/*/CMakeCXXCompiler.cmake >/dev/null 2>&1 &&
        ! grep -q "g++-$2\"" "$1"/CMakeFiles/*/CMakeCXXCompiler.cmake; then
        rm -rf "$1"
    fi
}
windows_build() { # tree, architecture, thread model, targets...
    local tree=$1 arch=$2 model=$3
    shift 3
    forget_other_compiler "$tree" "$model"
    cmake -S . -B "$tree" -G Ninja -DRAVELO_WERROR=$werror -DRAVELO_THREAD_MODEL="$model" \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" >/dev/null
    cmake --build "$tree" ${1:+--target "$@"}
}
cmake -S . -B build/native -G Ninja -DRAVELO_WERROR=$werror >/dev/null
cmake --build build/native
windows_build build/windows i686 win32
windows_build build/windows64 x86_64 win32
# The posix thread model leaves ravelo-inspect out: the test suite's tree
# builds only the reporter, and needs no network.
windows_build "$(windows_tests_tree)" "$RAVELO_WINE_ARCH" posix ravelo_tests
