#!/usr/bin/env bash
# Runs a Windows program under Wine in the test prefix, making the prefix
# when it is missing. Wine and its server are pinned to one core: registry
# and file calls are several times faster and timings stop jumping.
set -eu
: "${WINEPREFIX:=$(cd "$(dirname "$0")/../.." && pwd)/build/wineprefix}"
export WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialogs in a fresh prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    taskset -c 0 wineboot -i >/dev/null 2>&1
    # Dialogs without a display: the tests create windows.
    taskset -c 0 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    taskset -c 0 wineserver -w
fi
exec taskset -c 0 timeout "${RAVELO_WINE_TIMEOUT:-900}" wine "$@"
