#!/usr/bin/env bash
# Builds the native tree (build/native), the Windows programs (build/windows,
# mingw's win32 thread model, so that they run on Windows XP) and the Windows
# test suite (build/windows-tests, the posix thread model GoogleTest needs).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
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
forget_other_compiler build/windows win32
forget_other_compiler build/windows-tests posix
cmake -S . -B build/native -G Ninja -DRAVELO_WERROR=$werror >/dev/null
cmake --build build/native
cmake -S . -B build/windows -G Ninja -DRAVELO_WERROR=$werror \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/windows
cmake -S . -B build/windows-tests -G Ninja -DRAVELO_WERROR=$werror \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DRAVELO_THREAD_MODEL=posix >/dev/null
cmake --build build/windows-tests --target ravelo_tests
