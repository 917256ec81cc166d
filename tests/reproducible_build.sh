#!/usr/bin/env bash
# reproducible_build.sh BUILD_DIR: builds the Windows programs BUILD_DIR
# holds (Ravelo.exe, ravelo-decode.exe, ravelo-inspect.exe) once more, from
# a copy of the sources in another folder, with BUILD_DIR's settings, and
# fails unless each is byte for byte that of BUILD_DIR.
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
programs=()
for program in Ravelo.exe ravelo-decode.exe inspect/ravelo-inspect.exe; do
    [ -f "$build/$program" ] && programs+=("$program")
done
[ ${#programs[@]} -gt 0 ] || { echo "FAILED: $build holds no Windows program"; exit 1; }
targets=("${programs[@]##*/}")
inspect=$(setting RAVELO_WINDOWS_INSPECT)
cmake -S "$elsewhere/sources" -B "$elsewhere/other-build" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_BUILD_TYPE="$(setting CMAKE_BUILD_TYPE)" \
      -DRAVELO_THREAD_MODEL="$(setting RAVELO_THREAD_MODEL)" \
      ${inspect:+-DRAVELO_WINDOWS_INSPECT="$inspect"} \
      -DRAVELO_WERROR="$(setting RAVELO_WERROR)" -DBUILD_TESTING=OFF >/dev/null ||
    { echo "FAILED: cannot configure the second build"; exit 1; }
cmake --build "$elsewhere/other-build" --target "${targets[@]%.exe}" >/dev/null ||
    { echo "FAILED: the second build"; exit 1; }

failures=0
for program in "${programs[@]}"; do
    if cmp -s "$build/$program" "$elsewhere/other-build/$program"; then
        echo "ok: $program is the same, built in $build and in $elsewhere/other-build"
    else
        echo "FAILED: $program differs between the two builds: $(cmp "$build/$program" "$elsewhere/other-build/$program")"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ]
