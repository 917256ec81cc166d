#!/usr/bin/env bash
# wine_arch_probe.sh: the probe's answers when forced, a refused value, the
# note said once per run, and wine64's loader taken on the x86_64 path.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tests/checks.sh"
probe="$root/scripts/wine_arch.sh"

for arch in i686 x86_64; do
    check "RAVELO_WINE_ARCH=$arch is the answer" \
        [ "$(RAVELO_WINE_ARCH=$arch bash "$probe")" = "$arch" ]
done
check "any other value is refused" bash -c "! RAVELO_WINE_ARCH=x86 bash '$probe' 2>/dev/null"
check "the answer is one of the two" bash -c "bash '$probe' | grep -qxE 'i686|x86_64'"

said=$(env -u RAVELO_WINE_ARCH_SETTLED RAVELO_WINE_ARCH=x86_64 bash -c \
    "source '$probe'; settle_wine_arch; settle_wine_arch; windows_tree; windows_tests_tree")
check "the x86_64 path is said once and takes the 64-bit trees" \
    [ "$(printf '%s\n' "$said" | grep -c '^note: ')$(printf '%s\n' "$said" | tail -n2 | paste -sd' ')" = \
      "1build/windows64 build/windows64-tests" ]
said=$(env -u RAVELO_WINE_ARCH_SETTLED RAVELO_WINE_ARCH=i686 bash -c \
    "source '$probe'; settle_wine_arch; windows_tree; windows_tests_tree")
check "the i686 path says nothing and takes the product's trees" \
    [ "$(printf '%s\n' "$said" | paste -sd' ')" = "build/windows build/windows-tests" ]

loader=$(TMPDIR=$(mktemp -d) bash -c "source '$probe'; use_wine64_loader; cat \"\$(command -v wine)\"; echo \"\$WINELOADER\"")
check "on the x86_64 path wine is wine64's loader" \
    [ "$(printf '%s\n' "$loader" | grep -c /usr/lib/wine/wine64)" = 2 ]

all_checks_passed
