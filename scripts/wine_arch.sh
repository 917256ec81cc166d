#!/usr/bin/env bash
# Which Windows build of Ravelo this machine runs under Wine: i686 (the
# product as it ships) where the kernel runs 32-bit x86 programs and wine32
# starts, x86_64 (the same sources, in a 64-bit prefix under wine64)
# otherwise. RAVELO_WINE_ARCH=i686 or x86_64 overrides the answer.
#
#   bash scripts/wine_arch.sh          prints i686 or x86_64
#   bash scripts/wine_arch.sh --why    prints the reason too
# Sourced, it gives these functions; wine_prefix.sh applies the answer.

# A 32-bit ELF program of 84 bytes that exits with 42 (int 0x80, exit):
# nothing 32-bit need be installed for the kernel to say whether it runs one.
kernel_runs_32_bit() {
    local program status
    program=$(mktemp "${TMPDIR:-/tmp}/ravelo-ia32.XXXXXX") || return 1
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\004\010\064\0\0\0' >"$program"
    printf '\0\0\0\0\0\0\0\0\064\0\040\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\004\010' >>"$program"
    printf '\0\200\004\010\140\0\0\0\140\0\0\0\5\0\0\0\0\020\0\0' >>"$program"
    printf '\270\1\0\0\0\273\052\0\0\0\315\200' >>"$program"
    chmod +x "$program"
    "$program" 2>/dev/null
    status=$?
    rm -f "$program"
    [ "$status" -eq 42 ]
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
    if ! kernel_runs_32_bit; then
        echo "x86_64 this kernel runs no 32-bit x86 program (IA-32 emulation is off)"
    elif ! wine32_starts; then
        echo "x86_64 wine32 is not installed or does not start"
    else
        echo "i686 the kernel runs 32-bit programs and wine32 starts"
    fi
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
    local shim=${TMPDIR:-/tmp}/ravelo-wine64-loader-$(id -u) name
    mkdir -p "$shim"
    for name in wine wine-stable; do
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/$name"
        chmod +x "$shim/$name"
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
