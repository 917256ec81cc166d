# Sourced by the page tests: needs out (the output folder); gives browser,
# profile (removed at exit), the checks of checks.sh and chrome ARGS, headless
# Chromium with its messages in out/chromium.log. Exits 77 (skipped) when
# Chromium is not installed.
browser=$(command -v chromium || command -v chromium-browser) || {
    echo "chromium is not installed"; exit 77; }
mkdir -p "$out"
out=$(cd "$out" && pwd)
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../../checks.sh"
chrome() {
    timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$profile" "$@" 2>"$out/chromium.log"
}
