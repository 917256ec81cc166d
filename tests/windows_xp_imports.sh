#!/usr/bin/env bash
# windows_xp_imports.sh PROGRAM.exe ALLOWED_LIST: fails when the program
# imports a function that is not in ALLOWED_LIST (lines "DLL function"), or
# asks for a newer Windows than XP (5.1) in its header. Windows XP refuses
# to start a program that imports even one function its DLLs lack.
set -u
program=$1
allowed=$2
dump=$(i686-w64-mingw32-objdump -p "$program") || { echo "cannot read $program"; exit 1; }
failures=0

# "DLL function" for every import, DLL names upper-cased. An import by
# ordinal has no name and matches no line of the list.
imports=$(awk '/^\tDLL Name: / { dll = toupper($3); next }
               /^\tvma: / { next }
               dll != "" && /^\t[0-9a-f]+\t/ { print dll, $3 }
               /^$/ { dll = "" }' <<<"$dump" | sort -u)
[ -n "$imports" ] || { echo "FAILED: no imports found in $program"; exit 1; }
wanted=$(grep -v '^#' "$allowed" | awk 'NF { print toupper($1), $2 }' | sort -u)
missing=$(comm -23 <(echo "$imports") <(echo "$wanted"))
if [ -n "$missing" ]; then
    echo "FAILED: imports not known to exist in Windows XP SP3:"
    echo "$missing" | sed 's/^/  /'
    failures=$((failures + 1))
else
    echo "ok: all $(echo "$imports" | wc -l) imports exist in Windows XP SP3"
fi

for field in OSystem Subsystem; do
    major=$(awk -v f="Major${field}Version" '$1 == f { print $2 }' <<<"$dump")
    minor=$(awk -v f="Minor${field}Version" '$1 == f { print $2 }' <<<"$dump")
    if [ -z "$major" ] || [ "$major" -gt 5 ] || { [ "$major" -eq 5 ] && [ "$minor" -gt 1 ]; }; then
        echo "FAILED: the header asks for Windows $major.$minor ($field version); XP is 5.1"
        failures=$((failures + 1))
    else
        echo "ok: $field version $major.$minor"
    fi
done
[ "$failures" -eq 0 ]
