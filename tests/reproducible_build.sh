#!/usr/bin/env bash
# reproducible_build.sh BUILD_DIR: builds Ravelo.exe and ravelo-decode.exe
# once more, from a copy of the sources in another folder, with BUILD_DIR's
# settings, and fails unless both are byte for byte those of BUILD_DIR.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
setting() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
elsewhere=$(mktemp -d /tmp/ravelo-rebuild.XXXXXX)
trap 'rm -rf "$elsewhere"' EXIT

# The sources as they stand, committed or not, less what git ignores.
mkdir "$elsewhere/sources"
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
     xargs -0 cp --parents -t "$elsewhere/sources")
toolchain=$(setting CMAKE_TOOLCHAIN_FILE)
toolchain=${toolchain/#$root/$elsewhere/sources}
cmake -S "$elsewhere/sources" -B "$elsewhere/other-build" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_BUILD_TYPE="$(setting CMAKE_BUILD_TYPE)" \
      -DRAVELO_THREAD_MODEL="$(setting RAVELO_THREAD_MODEL)" \
      -DRAVELO_WERROR="$(setting RAVELO_WERROR)" -DBUILD_TESTING=OFF >/dev/null ||
    { echo "FAILED: cannot configure the second build"; exit 1; }
cmake --build "$elsewhere/other-build" --target Ravelo ravelo-decode >/dev/null ||
    { echo "FAILED: the second build"; exit 1; }

failures=0
for program in Ravelo.exe ravelo-decode.exe; do
    if cmp -s "$build/$program" "$elsewhere/other-build/$program"; then
        echo "ok: $program is the same, built in $build and in $elsewhere/other-build"
    else
        echo "FAILED: $program differs between the two builds: $(cmp "$build/$program" "$elsewhere/other-build/$program")"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ]
