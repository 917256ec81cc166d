#!/usr/bin/env bash
# Which Windows build of Ravelo this machine runs under Wine: i686 (the
# product as it ships) where the kernel runs 32-bit x86 programs and wine32
# starts, x86_64 (the same sources, in a 64-bit prefix under wine64)
# otherwise. RAVELO_WINE_ARCH=i686 or x86_64 overrides the answer.
#
#   bash scripts/wine_arch.sh          prints i686 or x86_64
#   bash scripts/wine_arch.sh --why    prints the reason too
# Sourced, it gives these functions; wine_prefix.sh applies the answer.

wine_arch_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Where the probe and the wine64 loader shims are written: under build/,
# whose folders this user made, rather than a temporary folder that may be
# mounted noexec or hold a folder another user made in advance.
# RAVELO_SCRATCH_DIR stands in for it in the tests.
ravelo_scratch_dir() {
    echo "${RAVELO_SCRATCH_DIR:-$wine_arch_root/build}"
}

# The probe's answer from the status of a shell script and of the 32-bit
# program, both run from the same folder: yes (the program ran), no (the
# script ran and the program did not: the kernel refused it), unknown
# (nothing runs from that folder, as on a noexec mount: the shell says 126
# whether the folder or the kernel refused).
ia32_answer_from() { # script status, program status
    if [ "$2" -eq 42 ]; then
        echo yes
    elif [ "$1" -ne 0 ]; then
        echo unknown
    else
        echo no
    fi
}

# Prints yes, no or unknown: whether the kernel runs a 32-bit x86 program.
# The program is an 84-byte 32-bit ELF that exits with 42 (int 0x80, exit):
# nothing 32-bit need be installed for the kernel to answer.
ia32_probe() {
    local base folder script_status program_status made_base=false
    base=$(ravelo_scratch_dir)
    # A run as root (install_deps.sh through sudo) leaves no build/ behind
    # that the user's builds could not write into.
    [ -d "$base" ] || made_base=true
    mkdir -p "$base" && folder=$(mktemp -d "$base/ia32-probe.XXXXXX") || { echo unknown; return; }
    printf '#!/bin/sh\nexit 0\n' >"$folder/script"
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\004\010\064\0\0\0' >"$folder/program"
    printf '\0\0\0\0\0\0\0\0\064\0\040\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\004\010' >>"$folder/program"
    printf '\0\200\004\010\140\0\0\0\140\0\0\0\5\0\0\0\0\020\0\0' >>"$folder/program"
    printf '\270\1\0\0\0\273\052\0\0\0\315\200' >>"$folder/program"
    chmod +x "$folder/script" "$folder/program"
    "$folder/script" 2>/dev/null
    script_status=$?
    "$folder/program" 2>/dev/null
    program_status=$?
    rm -rf "$folder"
    $made_base && rmdir "$base" 2>/dev/null
    ia32_answer_from "$script_status" "$program_status"
}

kernel_runs_32_bit() {
    [ "$(ia32_probe)" = yes ]
}

# wine32's loader is installed and starts.
wine32_starts() {
    [ -x /usr/lib/wine/wine ] && timeout 30 /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Prints "ARCH REASON".
wine_arch_with_reason() {
    case "${RAVELO_WINE_ARCH:-}" in
    i686 | x86_64) echo "$RAVELO_WINE_ARCH as RAVELO_WINE_ARCH asks"; return ;;
    "") ;;
    *) echo "RAVELO_WINE_ARCH is '$RAVELO_WINE_ARCH': it takes i686 or x86_64" >&2; return 2 ;;
    esac
    case $(ia32_probe) in
    no) echo "x86_64 this kernel runs no 32-bit x86 program (IA-32 emulation is off)" ;;
    unknown)
        # wine32's loader is itself a 32-bit program, run from /usr.
        if wine32_starts; then
            echo "i686 wine32 starts (no program runs from $(ravelo_scratch_dir), where the 32-bit probe goes)"
        else
            echo "x86_64 wine32 does not start, and no program runs from $(ravelo_scratch_dir) to ask the kernel"
        fi
        ;;
    *)
        if wine32_starts; then
            echo "i686 the kernel runs 32-bit programs and wine32 starts"
        else
            echo "x86_64 wine32 is not installed or does not start"
        fi
        ;;
    esac
}

ravelo_wine_arch() {
    local answer
    answer=$(wine_arch_with_reason) || return
    echo "${answer%% *}"
}

# settle_wine_arch: decides once for this run and its children (exported in
# RAVELO_WINE_ARCH) and, when the answer is x86_64, says once what that means.
settle_wine_arch() {
    [ -n "${RAVELO_WINE_ARCH_SETTLED:-}" ] && return
    local answer
    answer=$(wine_arch_with_reason) || exit 2
    export RAVELO_WINE_ARCH=${answer%% *} RAVELO_WINE_ARCH_SETTLED=1
    if [ "$RAVELO_WINE_ARCH" = x86_64 ]; then
        echo "note: Windows programs run here as x86_64 builds in a 64-bit Wine prefix:" \
             "${answer#* }. The i686 programs that ship are built and checked" \
             "(imports allowed on Windows XP, version resource, reproducibility, signature)" \
             "but not run on this machine."
    fi
}

# The build trees of the Windows programs and of the Windows test suite that
# run under Wine here.
windows_tree() { [ "$RAVELO_WINE_ARCH" = i686 ] && echo build/windows || echo build/windows64; }
windows_tests_tree() { [ "$RAVELO_WINE_ARCH" = i686 ] && echo build/windows-tests || echo build/windows64-tests; }

# On the x86_64 path, `wine` and the programs started through it (wineboot,
# reg) take wine64's loader even where wine32 is installed: Debian's wrapper
# prefers wine32, which cannot start on a kernel without 32-bit support.
use_wine64_loader() {
    local shim name part
    shim=$(ravelo_scratch_dir)/wine64-loader
    mkdir -p "$shim" || return 1
    [ -O "$shim" ] || { echo "$shim belongs to another user: not taking programs from it" >&2; return 1; }
    for name in wine wine-stable; do
        # Written aside and renamed, so that a script run at the same time
        # never starts a half-written shim.
        part=$(mktemp "$shim/.$name.XXXXXX") || return 1
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$part"
        chmod +x "$part"
        mv -f "$part" "$shim/$name"
    done
    export PATH="$shim:$PATH" WINELOADER=/usr/lib/wine/wine64
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -eu
    case "${1:-}" in
    --why) wine_arch_with_reason ;;
    "") ravelo_wine_arch ;;
    *) echo "usage: bash scripts/wine_arch.sh [--why]" >&2; exit 2 ;;
    esac
fi
