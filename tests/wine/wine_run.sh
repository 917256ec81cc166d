#!/usr/bin/env bash
# Runs a Windows program under Wine in the test prefix, making a 64-bit,
# windowless one when it is missing. Wine and its server are pinned to one
# core: registry and file calls are several times faster and timings stop
# jumping.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine_prefix.sh"
: "${WINEPREFIX:=$root/build/wineprefix}"
export WINEPREFIX
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    make_wine_prefix "$WINEPREFIX" win64
    make_windowless "$WINEPREFIX"
fi
exec taskset -c 0 timeout "${RAVELO_WINE_TIMEOUT:-900}" wine "$@"
