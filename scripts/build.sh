#!/usr/bin/env bash
# Builds the native tree (build/native) and the Windows tree (build/windows).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
werror=OFF
[ "${CI:-}" = true ] && werror=ON
cmake -S . -B build/native -G Ninja -DRAVELO_WERROR=$werror >/dev/null
cmake --build build/native
cmake -S . -B build/windows -G Ninja -DRAVELO_WERROR=$werror \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/windows
