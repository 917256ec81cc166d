#!/usr/bin/env bash
# The HTML page of a report whose fields hold markup, opened in headless
# Chromium: the markup shows as text and the planted script never runs.
# Leaves a screenshot in the output folder.
set -u
inspect=$1
fixtures=$2
out=$3
source "$(dirname "$0")/chromium.sh"

# The description holds <script>document.title='owned'</script>; the name
# and a file name get an element with an event handler too.
sed -e "s|Ada Lovelace|<img src=x onerror=\"document.title='owned'\">|" \
    -e "s|\. Vok.cfg|. <svg onload=\"document.title='owned'\">|" \
    "$fixtures/reports/faults_everywhere.txt" >"$out/hostile.txt"
page=$out/hostile.html
"$inspect" --config "$fixtures/ravelo-inspect.toml" --html "$page" "$out/hostile.txt" >/dev/null
check "the page is written" test -s "$page"

chrome --dump-dom "file://$page" >"$out/hostile.dom"
check "Chromium loaded the page" grep -q '<h1>Ravelo inspection: ' "$out/hostile.dom"
check "the page's title is its own" grep -q '<title>Ravelo inspection: ' "$out/hostile.dom"
check "no script ran" bash -c "! grep -q owned'</title>' '$out/hostile.dom'"
check "no element came from the report" bash -c "! grep -qiE '<(script|img|svg)' '$out/hostile.dom'"
check "the script shows as text" grep -qF "&lt;script&gt;document.title='owned'&lt;/script&gt;" "$out/hostile.dom"
check "the handlers show as text" grep -qF '&lt;img src=x onerror=&quot;' "$page"

chrome --screenshot="$out/hostile.png" --window-size=1200,1600 "file://$page" >/dev/null
check "a screenshot of the page" test -s "$out/hostile.png"
echo "screenshot: $out/hostile.png"

all_checks_passed
