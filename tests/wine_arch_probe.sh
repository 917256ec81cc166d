#!/usr/bin/env bash
# wine_arch_probe.sh: the probe's answers when forced, a refused value, the
# note said once per run, wine64's loader taken on the x86_64 path, and the
# probe and the loader kept out of the temporary folder (which may be
# mounted noexec, or hold a folder another user made).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tests/checks.sh"
probe="$root/scripts/wine_arch.sh"
# test.sh settles the answer for its whole run; the probe is asked afresh here.
unset RAVELO_WINE_ARCH RAVELO_WINE_ARCH_SETTLED

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

scratch=$(mktemp -d)
trap 'umount "$scratch/noexec" 2>/dev/null; rm -rf "$scratch"' EXIT
loader=$(RAVELO_SCRATCH_DIR="$scratch/build" bash -c \
    "source '$probe'; use_wine64_loader; cat \"\$(command -v wine)\"; echo \"\$WINELOADER\"")
check "on the x86_64 path wine is wine64's loader" \
    [ "$(printf '%s\n' "$loader" | grep -c /usr/lib/wine/wine64)" = 2 ]

# A folder another user made in advance where the loader used to go, with
# a wine of its own: it is not run.
mkdir -p "$scratch/tmp/ravelo-wine64-loader-$(id -u)"
printf '#!/bin/sh\necho planted\n' >"$scratch/tmp/ravelo-wine64-loader-$(id -u)/wine"
chmod +x "$scratch/tmp/ravelo-wine64-loader-$(id -u)/wine"
taken=$(TMPDIR="$scratch/tmp" RAVELO_SCRATCH_DIR="$scratch/build" bash -c \
    "source '$probe'; use_wine64_loader; command -v wine")
check "the loader is taken from build/, not from a folder in the temporary folder" \
    [ "$taken" = "$scratch/build/wine64-loader/wine" ]
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
    chown nobody "$scratch/build/wine64-loader"
    check "a loader folder that belongs to another user is refused" bash -c \
        "! RAVELO_SCRATCH_DIR='$scratch/build' bash -c \"source '$probe'; use_wine64_loader\" 2>/dev/null"
    chown root "$scratch/build/wine64-loader"
else
    echo "skipped: a loader folder of another user (needs root)"
fi

# The shell says 126 both when the kernel refuses a 32-bit program and when
# the folder refuses every program; a script run beside it tells which.
source "$probe"
for row in "0 42 yes" "0 126 no" "0 139 no" "126 126 unknown" "126 42 yes"; do
    set -- $row
    check "script status $1, program status $2: $3" [ "$(ia32_answer_from "$1" "$2")" = "$3" ]
done
check "the probe leaves nothing in its folder" bash -c \
    "RAVELO_SCRATCH_DIR='$scratch/probe' bash -c \"source '$probe'; ia32_probe\" >/dev/null &&
     [ -z \"\$(ls -A '$scratch/probe' 2>/dev/null)\" ]"

# A noexec mount, in a mount namespace of this test's own: as the temporary
# folder it changes nothing; as the probe's folder the kernel's answer is
# unknown, and wine32 decides.
if [ "$(id -u)" -eq 0 ] && mkdir -p "$scratch/noexec" &&
    unshare -m true 2>/dev/null; then
    answer=$(bash "$probe" --why)
    check "a noexec temporary folder leaves the answer as it is" \
        [ "$(unshare -m bash -c "mount -t tmpfs -o noexec tmpfs '$scratch/noexec' &&
                                 TMPDIR='$scratch/noexec' bash '$probe' --why")" = "$answer" ]
    unknown=$(unshare -m bash -c "mount -t tmpfs -o noexec tmpfs '$scratch/noexec' &&
                                  RAVELO_SCRATCH_DIR='$scratch/noexec' bash '$probe' --why")
    check "from a noexec folder the probe cannot tell, and says so" \
        bash -c "grep -q 'no program runs from $scratch/noexec' <<<'$unknown'"
    check "from a noexec folder the answer is still one of the two" \
        bash -c "grep -qE '^(i686|x86_64) ' <<<'$unknown'"
else
    echo "skipped: a noexec mount (needs root and unshare -m)"
fi

all_checks_passed
