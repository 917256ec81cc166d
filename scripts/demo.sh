#!/usr/bin/env bash
# The main job: builds Ravelo, makes (once, then reuses) a 64-bit Wine
# prefix under build/demo holding a made-up installation of the simulator
# with Vok's add-on, runs Ravelo.exe in it, and prints the report as the
# maker's support staff read it.
#
#   bash scripts/demo.sh [--interactive] [--clean]
#
# Without --interactive (or without $DISPLAY), Ravelo runs on a private Xvfb
# display and is driven through its dialogs with sample answers; with it, its
# dialogs open on your display for you to click through. The installation
# carries two faults for support to find (a Vok file changed by hand and a
# module the customer refused to trust); --clean plants it as shipped.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
interactive=false
kind=faults
for argument in "$@"; do
    case "$argument" in
    --interactive) interactive=true ;;
    --clean) kind=clean ;;
    *) echo "usage: bash scripts/demo.sh [--interactive] [--clean]" >&2; exit 2 ;;
    esac
done
if $interactive && [ -z "${DISPLAY:-}" ]; then
    echo "--interactive needs a display (\$DISPLAY is not set)" >&2
    exit 2
fi

bash scripts/install_deps.sh
source scripts/wine_arch.sh
settle_wine_arch
bash scripts/build.sh >/dev/null

session_dir="$root/build/demo"
ravelo_exe="$root/$(windows_tree)/Ravelo.exe"
source scripts/wine_session.sh
decode="$root/build/native/ravelo-decode"
run="$WINEPREFIX/drive_c/Ravelo"
rm -rf "$session_dir/screenshots"

if [ "$(wine_prefix_arch "$WINEPREFIX")" != win64 ] || [ ! -f "$session_dir/prefix-ready" ]; then
    echo "Making the demo's Wine prefix (once; later runs reuse it)"
    rm -f "$session_dir/prefix-ready"
    make_session_prefix
    touch "$session_dir/prefix-ready"
fi
plant_demo_installation "$kind"
trap end_wine_session EXIT

# drive_or_stop STATE WHAT SECONDS: waits for the windows of STATE; stops
# the demo, with a screenshot, when they do not come.
drive_or_stop() {
    if ! wait_for_state "$1" "$3"; then
        screenshot stuck
        echo "Ravelo did not reach $2 (windows: $(window_state)); see $session_dir/screenshots/stuck.png" >&2
        exit 1
    fi
}

if $interactive; then
    start_wine_session own-display
    echo "Ravelo.exe is open on your display: accept, fill in the form, press OK, then Close."
    start_ravelo "$run"
    until [ -f "$run.exit" ]; do sleep 0.5; done
else
    echo "Running $(windows_tree)/Ravelo.exe on a private display, answering as a customer would"
    start_wine_session
    xdotool mousemove 5 760
    start_ravelo "$run"
    drive_or_stop consent "the consent dialog" 60
    screenshot 1-consent
    accept_consent
    drive_or_stop form "the form" 20
    fill_form 'Ada Lovelace' 'ada@example.com' 'ada_flies' \
        'The fuel gauge of the Vok panel stays dark.' 'It started after the last update.'
    screenshot 2-form
    press Tab space
    drive_or_stop completion "the completion dialog" 300
    screenshot 3-completion
    press Return
    [ "$(wait_for_exit "$run")" = 0 ] || echo "note: Ravelo did not end with exit code 0" >&2
fi
end_wine_session
trap - EXIT

report="$run/Ravelo_Report.dat"
if [ ! -s "$report" ]; then
    echo "Ravelo wrote no report in $run" >&2
    exit 1
fi
"$decode" "$report" "$session_dir/report.txt"
echo
cat "$session_dir/report.txt"
echo
echo "== What support's ravelo-inspect makes of it"
echo
inspection=0
"$root/build/native/inspect/ravelo-inspect" --config inspect/example/ravelo-inspect.toml \
    --html "$session_dir/report.html" "$report" || inspection=$?
echo
echo "Report file:  $report"
echo "Decoded:      $session_dir/report.txt"
echo "Diagnosis:    $session_dir/report.html"
$interactive || echo "Screenshots:  $session_dir/screenshots"
exit "$inspection"
