#!/usr/bin/env bash
# release_check.sh DIST_DIR: runs scripts/release.sh into DIST_DIR, signing
# with a throwaway self-signed certificate made here, and checks what it
# wrote: the files, their checksums, the zip, the version resource and the
# imports of Ravelo.exe, the signatures (accepted against that
# certificate, refused against another one), and that each shipped
# ravelo-inspect inspects a report with the configuration beside it, the
# Windows one under Wine.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
dist=$(realpath -m "$1")
keys=$(mktemp -d)
trap 'rm -rf "$keys"' EXIT
source "$(dirname "$0")/checks.sh"

make_certificate() { # name: NAME.pem and NAME.pfx (password "test") in $keys
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Ravelo release test $1/O=Vok" \
            -addext extendedKeyUsage=codeSigning -keyout "$keys/$1.key" -out "$keys/$1.pem" 2>/dev/null &&
        openssl pkcs12 -export -inkey "$keys/$1.key" -in "$keys/$1.pem" -out "$keys/$1.pfx" -passout pass:test
}
make_certificate signer && make_certificate stranger || { echo "FAILED: cannot make the test certificates"; exit 1; }

rm -rf "$dist"
RAVELO_DIST_DIR="$dist" RAVELO_SIGNING_PFX="$keys/signer.pfx" RAVELO_SIGNING_PASSWORD=test \
    bash "$root/scripts/release.sh" || { echo "FAILED: release.sh"; exit 1; }

version=$(sed -n 's/^project(Ravelo VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
folder=$dist/ravelo-$version
files_are() { [ "$(cd "$folder" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | paste -sd' ')" = "$1" ]; }
expected="README-customers.txt Ravelo.exe SHA256SUMS SHA256SUMS.unsigned"
for os in linux windows; do
    expected+=" support/$os/README-support.txt support/$os/manifests/vok-1.1.0.md5"
    expected+=" support/$os/manifests/vok-1.2.0.md5"
    [ $os = linux ] && expected+=" support/$os/ravelo-decode support/$os/ravelo-inspect"
    [ $os = windows ] && expected+=" support/$os/ravelo-decode.exe support/$os/ravelo-inspect.exe"
    expected+=" support/$os/ravelo-inspect.toml"
done
expected=$(tr ' ' '\n' <<<"$expected" | LC_ALL=C sort | paste -sd' ')
check "the release folder holds the programs, the note and the checksums" files_are "$expected"
check "SHA256SUMS matches every file" bash -c "cd '$folder' && sha256sum --quiet -c SHA256SUMS"
check "the zip holds the same files, intact" \
    bash -c "cd '$dist' && unzip -tq 'ravelo-$version.zip' >/dev/null && [ \"\$(unzip -Z1 'ravelo-$version.zip' | LC_ALL=C sort)\" = \"\$(find 'ravelo-$version' -type f | LC_ALL=C sort)\" ]"
check "the customer note names the version and has Windows line ends" \
    bash -c "head -n1 '$folder/README-customers.txt' | grep -q '^Ravelo $version: .*'\$'\\r'\$"
check "Ravelo.exe is stripped" bash -c "! i686-w64-mingw32-objdump -h '$folder/Ravelo.exe' | grep -q debug_info"
check "the Linux ravelo-decode runs" bash -c "'$folder/support/linux/ravelo-decode' --version | grep -qx 'ravelo-decode $version'"
check "the Linux ravelo-inspect runs" bash -c "'$folder/support/linux/ravelo-inspect' --version | grep -q '$version'"
check "Ravelo.exe's version resource" bash "$root/tests/version_resource.sh" "$folder/Ravelo.exe" "$version"
check "Ravelo.exe's imports" bash "$root/tests/windows_xp_imports.sh" "$folder/Ravelo.exe" "$root/tests/windows_xp_imports.txt"
# Statically linked: nothing but DLLs every Windows has.
imports_only_system_dlls() {
    local dlls
    dlls=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\tDLL Name: //p' | tr '[:upper:]' '[:lower:]')
    [ -n "$dlls" ] && ! grep -vxE 'kernel32\.dll|msvcrt\.dll|shell32\.dll|advapi32\.dll|user32\.dll|ole32\.dll' <<<"$dlls"
}
for program in ravelo-decode.exe ravelo-inspect.exe; do
    check "$program is a stripped 64-bit program" \
        bash -c "x86_64-w64-mingw32-objdump -h '$folder/support/windows/$program' | grep -q 'file format pei-x86-64' &&
                 ! x86_64-w64-mingw32-objdump -h '$folder/support/windows/$program' | grep -q debug_info"
    check "$program imports only Windows system DLLs" imports_only_system_dlls "$folder/support/windows/$program"
done

check "README-support.txt: five lines each, the Windows one with Windows line ends" \
    bash -c "[ \$(wc -l <'$folder/support/windows/README-support.txt') -eq 5 ] &&
             [ \$(grep -c \$'\r\$' '$folder/support/windows/README-support.txt') -eq 5 ] &&
             [ \$(wc -l <'$folder/support/linux/README-support.txt') -eq 5 ] &&
             ! grep -q \$'\r' '$folder/support/linux/README-support.txt'"

# As shipped: run from elsewhere, with no --config, each ravelo-inspect
# reads the configuration beside it, finds its manifests and tells the
# release of a report's files.
cp "$root/tests/golden/inspect/reports/clean.txt" "$keys/Ravelo_Report.dat"
inspects_as_shipped() { # the configuration it must name, then the program and its runner
    local config=$1; shift
    (cd "$keys" && XDG_CONFIG_HOME="$keys/no-user-config" "$@" Ravelo_Report.dat >"$keys/out" 2>"$keys/err")
    [ $? -eq 0 ] && [ "$(head -n1 "$keys/out")" = "Config    $config (beside the program)" ] &&
        grep -qx 'Release   vok-1.1.0 (.*)' "$keys/out" || { cat "$keys/out" "$keys/err"; false; }
}
check "the Linux ravelo-inspect inspects a report with the configuration beside it" \
    inspects_as_shipped "$folder/support/linux/ravelo-inspect.toml" "$folder/support/linux/ravelo-inspect"
source "$root/scripts/wine_arch.sh"
settle_wine_arch >/dev/null
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
check "the Windows ravelo-inspect.exe does the same under Wine" \
    inspects_as_shipped "$(windows_path "$folder/support/windows/ravelo-inspect.toml")" \
    env LC_ALL=C.UTF-8 "$root/tests/wine/wine_run.sh" "$folder/support/windows/ravelo-inspect.exe"

verifies() { # certificate, program
    osslsigncode verify -CAfile "$1" -in "$2" >"$keys/verify.log" 2>&1 || { cat "$keys/verify.log"; false; }
}
for program in Ravelo.exe $(cd "$folder" && echo support/windows/*.exe); do
    check "$program: the signature verifies against the signing certificate" \
        verifies "$keys/signer.pem" "$folder/$program"
    check "$program: not against another certificate" \
        bash -c "! osslsigncode verify -CAfile '$keys/stranger.pem' -in '$folder/$program' >/dev/null 2>&1"
done

all_checks_passed
