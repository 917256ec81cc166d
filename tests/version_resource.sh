#!/usr/bin/env bash
# version_resource.sh PROGRAM.exe VERSION: the program's version resource, as
# Explorer shows it in Properties, names Vok, Ravelo and VERSION (x.y.z).
set -u
program=$1
version=$2
source "$(dirname "$0")/checks.sh"
resource=$(mktemp)
trap 'rm -f "$resource"' EXIT
wrestool -x --raw --type=version "$program" >"$resource" 2>/dev/null
check "the program has a version resource" test -s "$resource"

# The strings of the resource (UTF-16), one a line: each value follows its name.
strings=$(strings -el -n 1 "$resource")
value_of() { awk -v name="$1" 'found { print; exit } $0 == name { found = 1 }' <<<"$strings"; }
has_value() { [ "$(value_of "$1")" = "$2" ]; }
check "CompanyName is Vok" has_value CompanyName Vok
check "ProductName is Ravelo" has_value ProductName Ravelo
check "OriginalFilename is Ravelo.exe" has_value OriginalFilename Ravelo.exe
check "FileVersion is $version" has_value FileVersion "$version"
check "ProductVersion is $version" has_value ProductVersion "$version"
check "FileDescription is given" test -n "$(value_of FileDescription)"
check "LegalCopyright is given" test -n "$(value_of LegalCopyright)"

# The numeric versions of VS_FIXEDFILEINFO: after its signature and its own
# version come the file version (major << 16 | minor, then patch << 16 | 0)
# and the product version, the same.
IFS=. read -r major minor patch <<<"$version"
expected=$(printf '%08x %08x' $((major << 16 | minor)) $((patch << 16)))
words=$(od -A n -t x4 -v "$resource" | tr -s ' \n' '\n' | grep .)
fixed=$(awk '$0 == "feef04bd" { start = NR } start && NR > start + 1 && NR <= start + 5' <<<"$words" | paste -sd' ')
check "the fixed file and product versions are $version.0" test "$fixed" = "$expected $expected"

all_checks_passed
