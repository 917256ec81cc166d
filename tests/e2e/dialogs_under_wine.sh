#!/usr/bin/env bash
# dialogs_under_wine.sh RAVELO_EXE RAVELO_DECODE [E2E_DIR]
# Clicks and types through Ravelo.exe under Wine, every way through the
# dialogs, against the demo installation in a 64-bit prefix (with decoy keys
# in the 64-bit registry view that a 32-bit program must not see), and checks
# the exit codes, the windows shown and the report written. Screenshots of
# each dialog land in E2E_DIR/screenshots (default: build/e2e).
# RAVELO_INSPECT names ravelo-inspect (default: beside RAVELO_DECODE, in
# inspect/), which must find nothing wrong with the clean installation.
# RAVELO_TWIN_EXE names another build of Ravelo.exe (the x86_64 one), run
# once right after the main run with the same answers: its report must be
# the same, byte for byte.
# RAVELO_SKIP_SECTION_CHECKS=1 skips the checks of the report's section
# content (the user's fields and the planted files) and keeps all others.
set -u
here=$(cd "$(dirname "$0")" && pwd)
ravelo_exe=$(realpath "$1")
decode=$(realpath "$2")
inspect=$(realpath -m "${RAVELO_INSPECT:-$(dirname "$decode")/inspect/ravelo-inspect}")
session_dir=$(realpath -m "${3:-$here/../../build/e2e}")
skip_sections=${RAVELO_SKIP_SECTION_CHECKS:-0}
source "$here/../../scripts/wine_session.sh"

failures=0
passes=0
ok() { echo "ok: $1"; passes=$((passes + 1)); }
failed() { echo "FAILED: $1"; failures=$((failures + 1)); }
check() { # description, then a command that must succeed
    local what=$1; shift
    if "$@"; then ok "$what"; else failed "$what"; fi
}
expect_state() { # state, description [seconds]
    if wait_for_state "$1" "${3:-15}"; then sleep 0.3; ok "$2"; else failed "$2 (windows: $(window_state))"; screenshot "failed-$failures"; fi
}
expect_exit_0() { # folder, description
    local code
    code=$(wait_for_exit "$1")
    if [ "$code" = 0 ]; then ok "$2"; else failed "$2 (exit: $code)"; fi
}
stays_open() { # state, description: the state holds for a second
    sleep 1
    if [ "$(window_state)" = "$1" ] && [ ! -f "$2.exit" ]; then ok "$3"; else failed "$3 (windows: $(window_state))"; fi
}
no_report() { [ ! -e "$1/Ravelo_Report.dat" ]; }
contains() { # text file, expected bytes
    local text
    text=$(cat "$1"; echo .)
    [[ "$text" == *"$2"* ]]
}
section_check() { # description, then a command; skipped on request
    if [ "$skip_sections" = 1 ]; then echo "skipped: $1"; else check "$@"; fi
}

# Beside the simulator's key in the 32-bit view, another install path and a
# keyword key in the 64-bit view only.
plant_64_bit_decoys() {
    wine_cmd reg add 'HKLM\Software\Microsoft\Microsoft Games\Flight Simulator\10.0' \
        /v SetupPath /t REG_SZ /d 'D:\Decoy64\' /reg:64 /f
    wine_cmd reg add 'HKLM\Software\Ravelo-decoy-64-only\FSX addon' \
        /v Path /t REG_SZ /d 'D:\Decoy64\Vok' /reg:64 /f
}

runs="$WINEPREFIX/drive_c/runs"
rule="$(printf -- '-%.0s' $(seq 70))"
trap end_wine_session EXIT
echo "Making the Wine prefix and the demo installation"
make_session_prefix
plant_demo_installation clean
plant_64_bit_decoys
start_wine_session
xdotool mousemove 5 760

echo "== Consent: OK without the box, then Escape"
start_ravelo "$runs/consent_escape"
expect_state consent "the consent dialog opens"
screenshot 1-consent
press Return
expect_state box+consent "OK with the box not ticked shows a warning over the consent dialog"
screenshot 2-consent-warning
press Return
stays_open consent "$runs/consent_escape" "the consent dialog stays after the warning"
press Escape
expect_exit_0 "$runs/consent_escape" "Escape ends the program with code 0"
check "nothing was written" no_report "$runs/consent_escape"

echo "== Consent: Exit"
start_ravelo "$runs/consent_exit"
expect_state consent "the consent dialog opens"
press Tab space
expect_exit_0 "$runs/consent_exit" "Exit ends the program with code 0"

echo "== Consent: close box"
start_ravelo "$runs/consent_close"
expect_state consent "the consent dialog opens"
click_close_box
expect_exit_0 "$runs/consent_close" "the close box ends the program with code 0"

echo "== Form: close box, Exit, Escape"
start_ravelo "$runs/form_close"
expect_state consent "the consent dialog opens"
accept_consent
expect_state form "OK with the box ticked shows the form"
click_close_box
expect_exit_0 "$runs/form_close" "the form's close box ends the program with code 0"
start_ravelo "$runs/form_exit"
expect_state consent "the consent dialog opens"
accept_consent
expect_state form "the form opens"
press Escape
stays_open form "$runs/form_exit" "Escape leaves the form open"
press shift+Tab space
expect_exit_0 "$runs/form_exit" "the form's Exit ends the program with code 0"
check "nothing was written" no_report "$runs/form_exit"

required_field_refused() { # description [screenshot name]
    press Tab space
    expect_state box+form "$1: a warning over the form"
    [ -z "${2:-}" ] || screenshot "$2"
    press Return
    expect_state form "$1: the form stays"
}

type_description() {
    type_text 'The gauge stays dark.'
    press Return
    type_text 'Since the last update.'
    press Return
    type_text 'Panel: default'
}

echo "== Form: each required field empty, then the scan"
main="$runs/main"
start_ravelo "$main"
expect_state consent "the consent dialog opens"
accept_consent
expect_state form "the form opens"
press Tab
type_text 'ada@example.com'
press Tab Tab
type_description
screenshot 3-form-name-empty
required_field_refused "OK with the name empty" 4-form-warning
screenshot 5-form-after-warning
press shift+Tab shift+Tab shift+Tab shift+Tab
type_text 'Ada Lovelace'
press Tab End $(printf 'BackSpace %.0s' $(seq 16))
press Tab Tab
required_field_refused "OK with the e-mail empty"
press shift+Tab shift+Tab shift+Tab
type_text 'ada@example.com'
press Tab Tab ctrl+End $(printf 'BackSpace %.0s' $(seq 70))
required_field_refused "OK with the description empty"
press shift+Tab
type_description
screenshot 6-form-filled
press Tab space
# The progress window is up while the scan runs; a fast scan may end first.
for _ in $(seq 40); do
    state=$(window_state)
    if [ "$state" = box ]; then
        screenshot 7-progress
        ok "the progress window shows while the scan runs"
        break
    fi
    [ "$state" = completion ] && { echo "note: the scan ended before the progress window was seen"; break; }
    sleep 0.05
done
expect_state completion "the completion dialog follows the scan"
screenshot 8-completion
press Escape
stays_open completion "$main" "Escape leaves the completion dialog open"
press Return
expect_exit_0 "$main" "Enter in the completion dialog ends the program with code 0"
check "the report file was written" test -s "$main/Ravelo_Report.dat"
"$decode" "$main/Ravelo_Report.dat" "$main/report.txt" || failed "the report decodes"

if [ -n "${RAVELO_TWIN_EXE:-}" ]; then
    echo "== The same answers to $(basename "$(dirname "$(realpath "$RAVELO_TWIN_EXE")")")/Ravelo.exe"
    twin="$runs/twin"
    shipped_exe=$ravelo_exe
    ravelo_exe=$(realpath "$RAVELO_TWIN_EXE")
    start_ravelo "$twin"
    expect_state consent "the other build's consent dialog opens"
    accept_consent
    expect_state form "the other build's form opens"
    fill_form 'Ada Lovelace' 'ada@example.com' '' 'The gauge stays dark.' \
        'Since the last update.' 'Panel: default'
    press Tab space
    expect_state completion "the other build's scan ends" 300
    press Return
    expect_exit_0 "$twin" "the other build ends with code 0"
    "$decode" "$twin/Ravelo_Report.dat" "$twin/report.txt" || failed "the other build's report decodes"
    check "both builds write the same report, byte for byte" cmp "$main/report.txt" "$twin/report.txt"
    ravelo_exe=$shipped_exe
fi

echo "== Form: fields typed past their limits; completion's close box"
limits="$runs/limits"
start_ravelo "$limits"
expect_state consent "the consent dialog opens"
accept_consent
expect_state form "the form opens"
long_name="$(printf 'N%.0s' $(seq 100))"
long_email="$(printf 'e%.0s' $(seq 100))"
long_forum="$(printf 'f%.0s' $(seq 100))"
type_text "${long_name}XXXX"
press Tab
type_text "${long_email}YYYY"
press Tab
type_text "${long_forum}ZZZZ"
press Tab
line="$(printf 'd%.0s' $(seq 74))"
long_description=""
for i in $(seq 26); do
    type_text "$line"
    press Return
    long_description+="$line"$'\r\n'
done
type_text "$(printf 'L%.0s' $(seq 40))"
long_description+="$(printf 'L%.0s' $(seq 24))"
screenshot 9-form-limits
press Tab space
expect_state completion "the completion dialog follows the scan"
click_close_box
expect_exit_0 "$limits" "the completion dialog's close box ends the program with code 0"
"$decode" "$limits/Ravelo_Report.dat" "$limits/report.txt" || failed "the report decodes"

echo "== A folder where the report cannot be written; a name of spaces"
unwritable="$runs/unwritable"
start_ravelo "$unwritable"
# A folder in the report's place: the file cannot be written there.
mkdir "$unwritable/Ravelo_Report.dat"
expect_state consent "the consent dialog opens"
accept_consent
expect_state form "the form opens"
type_text '   '
press Tab
type_text 'x@example.com'
press Tab Tab
type_text 'y'
press Tab space
expect_state completion "a name of spaces only is accepted; the completion dialog follows"
screenshot 10-completion-not-written
press space
expect_exit_0 "$unwritable" "the completion dialog's Close ends the program with code 0"
check "the folder in the report's place is left as it was" test -d "$unwritable/Ravelo_Report.dat"

echo "== A runaway fsx.cfg of 300 MB"
# peak_memory_of NAME OUT: the most resident memory a process of that name
# had while it ran, in KiB, written to OUT when it ends.
peak_memory_of() {
    local peak=0 pid kib
    for _ in $(seq 600); do
        pid=$(pgrep -x "$1" | head -n1)
        [ -n "$pid" ] && kib=$(sed -n 's/^VmHWM:[^0-9]*\([0-9]*\).*/\1/p' "/proc/$pid/status" 2>/dev/null)
        [ -n "${kib:-}" ] && [ "$kib" -gt "$peak" ] && peak=$kib
        [ -f "$2.stop" ] && break
        sleep 0.2
    done
    echo "$peak" >"$2"
}
config="$demo_app_data_unix/Microsoft/FSX/fsx.cfg"
cp "$config" "$config.kept"
yes '[Log] 2026-12-08 21:33:08 SimConnect: retrying the connection to the simulator...' |
    head -c 300M >"$config"
runaway="$runs/runaway"
start_ravelo "$runaway"
rm -f "$runaway.peak" "$runaway.peak.stop"
peak_memory_of Ravelo.exe "$runaway.peak" &
peak_watcher=$!
expect_state consent "the consent dialog opens"
accept_consent
expect_state form "the form opens"
fill_form 'Runaway Log' 'log@example.com' '' 'fsx.cfg grew to 300 MB.'
press Tab space
expect_state completion "the scan of a 300 MB fsx.cfg ends at the completion dialog" 120
press Return
expect_exit_0 "$runaway" "the program ends with code 0"
touch "$runaway.peak.stop"
wait "$peak_watcher"
mv "$config.kept" "$config"
"$decode" "$runaway/Ravelo_Report.dat" "$runaway/report.txt" || failed "the report decodes"
check "the copy of fsx.cfg is cut short at 16 MiB and says so" contains "$runaway/report.txt" \
    "Section cut short: it reached the limit of 16 MiB a section may hold.
$rule
End of fsx.cfg reached.
"
check "the report is whole after the cut" contains "$runaway/report.txt" "** HKEY_USERS enumeration *"
echo "note: Ravelo.exe's peak memory with a 300 MB fsx.cfg: $(( $(cat "$runaway.peak") / 1024 )) MiB"

echo "== The report's content"
report="$main/report.txt"
cr=$'\r'

tab=$'\t'
# section_body REPORT TITLE_WORDS: the body under that banner, without the
# banner's lines and the two line ends that follow every tree section.
section_body() {
    awk -v title="** $2 " 'index($0, title) == 1 {inside = 1; skip = 5; next}
                           /^\*\* .* \*+$/ {inside = 0}
                           inside && skip > 0 {skip--; next}
                           inside {print}' "$1" | head -n -2
}
# expected_listing DIR DEPTH: DIR as the tree listing writes it, each folder's
# entries in the order Wine delivers them (names compared upper-cased).
expected_listing() {
    local dir=$1 depth=$2 tabs="" name i
    for ((i = 0; i < depth; i++)); do tabs+=$tab; done
    while IFS= read -r name; do
        if [ -d "$dir/$name" ]; then
            printf '%sO %s\n' "$tabs" "$name"
            expected_listing "$dir/$name" $((depth + 1))
        else
            printf '%s. %s \t%s\n' "$tabs" "$name" "$(md5sum <"$dir/$name" | cut -c1-32)"
        fi
    done < <(ls -A "$dir" | LC_ALL=C sort -f)
}
section_check "the user's four fields, the description with its CR LF pairs" contains "$report" \
"Name:                Ada Lovelace
e-mail:              ada@example.com
Forum name:          
Problem description: The gauge stays dark.$cr
Since the last update.$cr
Panel: default

OS version:          "
section_check "the install path from the 32-bit registry view and the application data path" \
    contains "$report" "FSX path:            $demo_fsx_windows
App data path:       $demo_app_data_windows
"
section_body "$report" "Vok directory" >"$main/vok.txt"
expected_listing "$demo_fsx_unix/Vok" 0 >"$main/vok.expected"
section_check "the Vok tree, every file with its digest" cmp -s "$main/vok.txt" "$main/vok.expected"
section_body "$report" "Modules directory" >"$main/modules.txt"
expected_listing "$demo_fsx_unix/Modules" 0 >"$main/modules.expected"
section_check "the Modules tree" cmp -s "$main/modules.txt" "$main/modules.expected"
demo_config="$demo_app_data_unix/Microsoft/FSX"
section_check "dll.xml copied line by line" contains "$report" "The file begins below the line
$rule
$(tr -d '\r' <"$demo_config/dll.xml")

$rule
End of dll.xml reached.
"
section_check "fsx.cfg copied line by line" contains "$report" "The file begins below the line
$rule
$(tr -d '\r' <"$demo_config/fsx.cfg")

$rule
End of fsx.cfg reached.
"
for assembly in "$demo_simconnect" "$demo_simconnect_rtm" "$demo_vc_runtime"; do
    section_check "the side-by-side assembly ${assembly:0:48}..., file by file" contains "$report" \
        "O C:\\windows\\winsxs\\$assembly\\
$(expected_listing "$demo_winsxs_unix/$assembly" 1)
"
done
section_check "the simulator's key of the 32-bit view in the HKEY_LOCAL_MACHINE section" \
    contains "$report" "$tab$tab-> SetupPath ${tab}C:\\FSX\\
"
check "no key of the 64-bit view only in the report" \
    [ "$(grep -c -e Decoy64 -e Ravelo-decoy-64-only "$report")" -eq 0 ]
section_check "ravelo-inspect finds nothing wrong with the clean installation" contains \
    <("$inspect" --config "$here/../../inspect/example/ravelo-inspect.toml" "$main/Ravelo_Report.dat") \
    "Release   vok-1.2.0 (31 ok, 0 modified, 0 missing, 0 extra, 0 unreadable)

0 error(s), 0 warning(s), 0 note(s)
"
section_check "fields typed past their limits are cut to 100, 100, 100 and 2000 characters" \
    contains "$limits/report.txt" "Name:                $long_name
e-mail:              $long_email
Forum name:          $long_forum
Problem description: $long_description

"

echo "Screenshots: $session_dir/screenshots"
echo "e2e: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
