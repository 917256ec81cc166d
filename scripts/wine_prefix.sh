# Sourced by every script that runs Ravelo under Wine: settles which build
# runs here (scripts/wine_arch.sh) and makes the prefixes.
#
# Ravelo is a 32-bit program that customers mostly run on 64-bit Windows,
# where the simulator's key lives in the 32-bit view of the registry. Only a
# 64-bit prefix has two views; without wine64 installed, Wine silently makes
# 32-bit ones, and every test would then miss the case Ravelo is built for.

source "$(dirname "${BASH_SOURCE[0]}")/wine_arch.sh"
settle_wine_arch
[ "$RAVELO_WINE_ARCH" = x86_64 ] && use_wine64_loader

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialogs in a fresh prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# The architecture written at the top of a prefix's system.reg: win64 or win32.
wine_prefix_arch() {
    sed -n 's/^#arch=//p' "$1/system.reg" 2>/dev/null | head -n1
}

# make_wine_prefix DIR [win64|win32]: a fresh prefix in DIR (64-bit unless
# told), with the server pinned to one core; stops the script when Wine made
# another architecture than the one asked for.
make_wine_prefix() {
    local dir=$1 arch=${2:-win64}
    rm -rf "$dir"
    mkdir -p "$(dirname "$dir")"
    WINEPREFIX="$dir" WINEARCH=$arch taskset -c 0 timeout 300 wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX="$dir" timeout 60 wineserver -w || true
    check_wine_prefix "$dir" "$arch"
}

# check_wine_prefix DIR [win64|win32]
check_wine_prefix() {
    local dir=$1 arch=${2:-win64} found
    found=$(wine_prefix_arch "$dir")
    if [ "$found" != "$arch" ]; then
        echo "The Wine prefix $dir is '${found:-not made}', not $arch." >&2
        [ "$arch" = win64 ] &&
            echo "A 64-bit prefix needs wine64 beside wine (bash scripts/install_deps.sh)." >&2
        exit 1
    fi
}

# reuse_wine_prefix DIR [win64|win32]: keeps a prefix of the right kind, makes
# it otherwise.
reuse_wine_prefix() {
    local dir=$1 arch=${2:-win64}
    if [ "$(wine_prefix_arch "$dir")" != "$arch" ]; then
        make_wine_prefix "$dir" "$arch"
    fi
}

# make_windowless DIR: programs of the prefix get Wine's null graphics
# driver, so that tests can create windows without a display.
make_windowless() {
    WINEPREFIX="$1" taskset -c 0 timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' \
        /v Graphics /d null /f </dev/null >/dev/null 2>&1
    WINEPREFIX="$1" timeout 60 wineserver -w || true
}
