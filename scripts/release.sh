#!/usr/bin/env bash
# release.sh: builds the current commit in Release mode, from scratch, and
# writes dist/ravelo-VERSION/ and dist/ravelo-VERSION.zip:
#   Ravelo.exe                      what customers run (stripped)
#   README-customers.txt            what Ravelo collects and what to do
#   support/windows/*.exe           ravelo-decode and ravelo-inspect for
#                                   64-bit Windows
#   support/linux/ravelo-*          ravelo-decode and ravelo-inspect for Linux
#   support/*/ravelo-inspect.toml   beside each, the inspector's configuration
#   support/*/manifests/            and the manifests of the maker's releases
#   support/*/README-support.txt    how support staff use them, in five lines
#   SHA256SUMS                      the checksums of all the above
# With RAVELO_SIGNING_PFX (a PKCS#12 file) and RAVELO_SIGNING_PASSWORD set, the
# Windows programs are signed with Authenticode (timestamped when
# RAVELO_TIMESTAMP_URL is set), the signatures are checked, and
# SHA256SUMS.unsigned keeps the checksums of the programs before signing,
# which anyone can reproduce. RAVELO_DIST_DIR writes elsewhere than dist/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install_deps.sh

# Tools that write dates (strip into the PE header, zip) take the commit's.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
[ -z "$(git status --porcelain)" ] || echo "note: the working tree has changes that are not committed"

echo "== Building"
build=build/release
rm -rf "$build"
cmake -S . -B "$build/windows" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build/windows"
# The support tools are for 64-bit Windows, where support staff work.
cmake -S . -B "$build/windows64" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$build/windows64" --target ravelo-decode ravelo-inspect
cmake -S . -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build/native"
version=$(sed -n 's/^#define RAVELO_VERSION "\(.*\)"$/\1/p' "$build/windows/generated/ravelo_version.h")

dist=${RAVELO_DIST_DIR:-$root/dist}
name=ravelo-$version
folder=$dist/$name
rm -rf "$folder" "$dist/$name.zip"
mkdir -p "$folder/support/windows" "$folder/support/linux"
i686-w64-mingw32-strip -o "$folder/Ravelo.exe" "$build/windows/Ravelo.exe"
x86_64-w64-mingw32-strip -o "$folder/support/windows/ravelo-decode.exe" "$build/windows64/ravelo-decode.exe"
x86_64-w64-mingw32-strip -o "$folder/support/windows/ravelo-inspect.exe" \
                         "$build/windows64/inspect/ravelo-inspect.exe"
strip -o "$folder/support/linux/ravelo-decode" "$build/native/ravelo-decode"
strip -o "$folder/support/linux/ravelo-inspect" "$build/native/inspect/ravelo-inspect"
# The inspector reads the configuration beside it, so each folder works as
# it is unpacked. Notepad before Windows 10 shows a file without Windows
# line ends as one line.
for os in windows linux; do
    cp inspect/example/ravelo-inspect.toml "$folder/support/$os/"
    mkdir -p "$folder/support/$os/manifests"
    cp inspect/example/manifests/*.md5 "$folder/support/$os/manifests/"
done
sed -e 's/$/\r/' inspect/example/README-support-windows.txt >"$folder/support/windows/README-support.txt"
cp inspect/example/README-support-linux.txt "$folder/support/linux/README-support.txt"
# Windows line ends: Notepad before Windows 10 shows a file without them as
# one line.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' resources/customer_note.txt >"$folder/README-customers.txt"

size=$(stat -c %s "$folder/Ravelo.exe")
budget=1500000
if [ "$size" -ge "$budget" ]; then
    echo "Ravelo.exe is $size bytes, over the budget of $budget" >&2
    exit 1
fi
echo "Ravelo.exe: $size bytes (budget $budget)"

# Lists every file but the checksum files, sorted, names relative to the folder.
shipped_files() { (cd "$folder" && find . -type f ! -name 'SHA256SUMS*' | sed 's|^\./||' | LC_ALL=C sort); }
checksums() { (cd "$folder" && shipped_files | tr '\n' '\0' | xargs -0 sha256sum); }

if [ -n "${RAVELO_SIGNING_PFX:-}" ]; then
    echo "== Signing"
    export RAVELO_SIGNING_PASSWORD=${RAVELO_SIGNING_PASSWORD:-}
    checksums >"$folder/SHA256SUMS.unsigned"
    signer=$(mktemp -d)
    trap 'rm -rf "$signer"' EXIT
    # The certificates of the PKCS#12 file vouch for its own signature here,
    # beside the system's authorities: the check is of the signature itself.
    openssl pkcs12 -in "$RAVELO_SIGNING_PFX" -nokeys -passin env:RAVELO_SIGNING_PASSWORD \
            -out "$signer/certificates.pem"
    cat /etc/ssl/certs/ca-certificates.crt >>"$signer/certificates.pem" 2>/dev/null || true
    for program in "$folder/Ravelo.exe" "$folder"/support/windows/*.exe; do
        osslsigncode sign -pkcs12 "$RAVELO_SIGNING_PFX" -readpass <(printf '%s' "$RAVELO_SIGNING_PASSWORD") \
                     -h sha256 -n "Ravelo" ${RAVELO_TIMESTAMP_URL:+-ts "$RAVELO_TIMESTAMP_URL"} \
                     -in "$program" -out "$signer/signed.exe" >/dev/null
        mv "$signer/signed.exe" "$program"
        chmod 755 "$program"
        osslsigncode verify -CAfile "$signer/certificates.pem" -in "$program" >"$signer/verify.log" 2>&1 ||
            { cat "$signer/verify.log" >&2; echo "the signature of $program does not verify" >&2; exit 1; }
        echo "signed and verified: ${program#"$folder"/}"
    done
fi
checksums >"$folder/SHA256SUMS"

# A zip that is the same bytes for the same files: fixed times and modes,
# sorted names, no extra attributes.
(cd "$folder" && find . -type d -exec chmod 755 {} + && find . -type f -exec chmod 644 {} +)
chmod 755 "$folder/Ravelo.exe" "$folder"/support/windows/*.exe "$folder"/support/linux/ravelo-*
find "$folder" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$dist" && find "$name" | LC_ALL=C sort | TZ=UTC zip -X -D -q "$name.zip" -@)
echo "Release: $folder"
echo "         $dist/$name.zip"
