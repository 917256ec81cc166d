#!/usr/bin/env bash
# The overview of a batch whose customer fields hold markup, opened in
# headless Chromium: the markup shows as text in the table and the charts,
# nothing runs, and each bar is as long as its count says. Leaves a
# screenshot in the output folder.
set -u
inspect=$1
fixtures=$2
out=$3
source "$(dirname "$0")/chromium.sh"

reports=$fixtures/reports
sed -e "s|Ada Lovelace|<img src=x onerror=\"document.title='owned'\">|" \
    -e "s|^OS version:          10.0 build 19045  |&<i>Ten</i>|" \
    "$reports/faults_everywhere.txt" >"$out/hostile.txt"
folder=$out/overview
rm -rf "$folder"
"$inspect" --config "$fixtures/ravelo-inspect.toml" --overview "$folder" "$reports/clean.txt" \
    "$out/hostile.txt" "$reports/unregistered_module.txt" "$reports/unregistered_module.txt" \
    >"$out/overview.tsv"
check "the batch's summary is printed" bash -c "[ \$(wc -l <'$out/overview.tsv') -eq 5 ]"
check "a page per report" bash -c "[ \$(ls '$folder' | grep -c '^0000[1-4]-.*\.html$') -eq 4 ]"

dom=$out/overview.dom
chrome --dump-dom "file://$folder/index.html" >"$dom"
check "Chromium loaded the overview" grep -q '<h1>Ravelo reports overview</h1>' "$dom"
check "no script ran" bash -c "! grep -q owned'</title>' '$dom'"
check "no element came from a report" bash -c "! grep -qiE '<(script|img|i)[ >]|<svg onload' '$dom'"
check "the customer's markup shows as text" grep -qF '&lt;img src=x onerror="document.title=' "$dom"
check "the Windows name's markup shows as text in the chart" grep -qF '&lt;i&gt;Ten&lt;/i&gt;' "$dom"
check "the totals" grep -qF '<b>4</b> reports: <b>4</b> inspected cleanly, <b>0</b> damaged' "$dom"

# Each bar: its title, then its width; the longest bar of a chart is 400.
bar_width() { # title
    grep -oF "<title>$1</title>" "$dom" >/dev/null &&
        grep -F "<title>$1</title>" "$dom" | grep -o 'width="[0-9]*"' | head -1 | tr -dc 0-9
}
bar() { # title, width expected
    local got
    got=$(bar_width "$1")
    if [ "$got" = "$2" ]; then echo "ok: bar $1 is $2 long"
    else failed "bar $1: width '$got', not $2"; fi
}
bar "addon-path-missing: 3" 400
bar "module-not-registered: 2" 267
bar "simconnect-missing: 1" 133
bar "Windows 7 Service Pack 1: 3" 400
bar "&lt;i&gt;Ten&lt;/i&gt;: 1" 133
bar "1.1: 4" 400
bar "10.0.61259.0: 3" 400
bar "10.0.60905.0: 1" 133

chrome --screenshot="$out/overview.png" --window-size=1200,1800 "file://$folder/index.html" >/dev/null
check "a screenshot of the overview" test -s "$out/overview.png"
echo "screenshot: $out/overview.png"

all_checks_passed
