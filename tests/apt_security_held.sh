#!/usr/bin/env bash
# apt_security_held.sh: the second try at wine32 with Debian's security
# lists held below the main ones. What apt is given (the preferences file,
# the options) and what the install does, with a stand-in apt-get that
# records its calls, so that nothing is installed; and, where this machine
# has Debian's lists, that apt reads the pins as meant.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tests/checks.sh"
source "$root/scripts/apt_security_held.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

security_held_preferences >"$scratch/alone"
check "the main lists at 1001, the security lists at 100" \
    [ "$(grep -A1 '^Pin: ' "$scratch/alone" | paste -sd'|')" = \
      "Pin: release o=Debian,l=Debian|Pin-Priority: 1001|--|Pin: release o=Debian,l=Debian-Security|Pin-Priority: 100" ]
printf 'Package: mypin\nPin: version 1.0\nPin-Priority: 990\n' >"$scratch/machine"
security_held_preferences "$scratch/machine" >"$scratch/both"
check "the machine's own preferences follow, whole" \
    [ "$(tail -n3 "$scratch/both")" = "$(cat "$scratch/machine")" ]
check "a machine without a preferences file adds nothing" \
    [ "$(security_held_preferences "$scratch/none")" = "$(cat "$scratch/alone")" ]
check "the options name the file" \
    [ "$(security_held_apt_options /x/prefs | paste -sd' ')" = "-o Dir::Etc::Preferences=/x/prefs" ]

simulation='NOTE: This is only a simulation!
Inst libwine [8.0~repack-4+deb12u2] (8.0~repack-4 Debian:12.10/oldstable [amd64]) []
Inst libwine:i386 (8.0~repack-4 Debian:12.10/oldstable [i386])
Inst gstreamer1.0-plugins-base [1.22.0-3+deb12u4] (1.22.0-3+deb12u2 Debian:12.10/oldstable [amd64])
Inst wine32:i386 (8.0~repack-4 Debian:12.10/oldstable [i386])
Conf libwine (8.0~repack-4 Debian:12.10/oldstable [amd64])'
check "moved packages: those installed in another version" \
    [ "$(moved_packages <<<"$simulation" | paste -sd'|')" = \
      "libwine 8.0~repack-4+deb12u2 -> 8.0~repack-4|gstreamer1.0-plugins-base 1.22.0-3+deb12u4 -> 1.22.0-3+deb12u2" ]
check "no removal in that simulation" [ -z "$(removed_packages <<<"$simulation")" ]
check "a removal is found" \
    [ "$(removed_packages <<<"$simulation"$'\nRemv wine64 [8.0~repack-4+deb12u2]')" = wine64 ]

# A stand-in apt-get: records each call and whether the preferences file it
# names exists then; answers a simulation with $STAND_IN_SIMULATION.
mkdir "$scratch/bin"
cat >"$scratch/bin/apt-get" <<'STAND_IN'
#!/usr/bin/env bash
prefs=$(printf '%s\n' "$@" | sed -n 's/^Dir::Etc::Preferences=//p')
echo "apt-get $* | preferences file: $([ -f "$prefs" ] && head -n2 "$prefs" | tail -n1)" >>"$STAND_IN_CALLS"
[ "$1" = -s ] && printf '%s\n' "$STAND_IN_SIMULATION"
exit 0
STAND_IN
chmod +x "$scratch/bin/apt-get"
run_install() { # simulation text; prints what was said
    STAND_IN_SIMULATION=$1 STAND_IN_CALLS="$scratch/calls" TMPDIR="$scratch" PATH="$scratch/bin:$PATH" \
        sudo="" bash -c "source '$root/scripts/apt_security_held.sh'; install_with_security_held wine32:i386 '$scratch/log'"
}
said=$(run_install "$simulation")
status=$?
calls=$(cat "$scratch/calls")
check "installed: status 0" [ "$status" -eq 0 ]
check "a simulation first, then the install, both with the pins" \
    [ "$(cut -d' ' -f2 <<<"$calls" | paste -sd' ')|$(grep -c 'preferences file: Pin: release o=Debian,l=Debian$' <<<"$calls")" = "-s install|2" ]
check "the install stops rather than remove a package" grep -qF -- " --no-remove " <<<"$(sed -n 2p <<<"$calls")"
check "the install is of wine32:i386 alone" grep -qE "^apt-get install .* [^ ]+ wine32:i386 \|" <<<"$(sed -n 2p <<<"$calls")"
check "it says what it moved" grep -qF \
    "moved to the versions both architectures offer: libwine 8.0~repack-4+deb12u2 -> 8.0~repack-4, gstreamer1.0-plugins-base" \
    <<<"$said"
check "the preferences file is gone afterwards" [ -z "$(ls "$scratch" | grep ravelo-apt-preferences)" ]

rm -f "$scratch/calls"
said=$(run_install "$simulation"$'\nRemv wine64 [8.0~repack-4+deb12u2]')
status=$?
check "a simulation that removes a package: no install" \
    [ "$status-$(wc -l <"$scratch/calls")" = "1-1" ]
check "and it says which package it would remove" grep -qF "it would remove wine64" <<<"$said"
check "the preferences file is gone then too" [ -z "$(ls "$scratch" | grep ravelo-apt-preferences)" ]

# The real apt-get, on a machine of its own (APT_CONFIG: its own status
# file, lists and archives; dpkg is /bin/true, so nothing is installed):
# ravelo-lib is installed from the security lists and ravelo-app needs the
# main lists' version, as wine32:i386 needs libwine. The install moves
# ravelo-lib back, and leaves ravelo-other, newer than the main lists' and
# needed by nothing, as it is.
lab=$scratch/lab
mkdir -p "$lab"/{etc/parts,etc/preferences.d,etc/sources.d,lists/partial,archives/partial,log,main,security}
make_deb() { # repository, package, version, depends
    local tree=$lab/build-$2-$3
    mkdir -p "$tree/DEBIAN"
    printf 'Package: %s\nVersion: %s\nArchitecture: all\nMaintainer: x <x@example.org>\n%sDescription: lab\n' \
        "$2" "$3" "${4:+Depends: $4
}" >"$tree/DEBIAN/control"
    dpkg-deb -b "$tree" "$lab/$1/$2_$3_all.deb" >/dev/null
    { sed '$d' "$tree/DEBIAN/control"; echo "Filename: ./$2_$3_all.deb"
      echo "Size: $(stat -c %s "$lab/$1/$2_$3_all.deb")"
      echo "SHA256: $(sha256sum "$lab/$1/$2_$3_all.deb" | cut -d' ' -f1)"; echo "Description: lab"; echo; } \
        >>"$lab/$1/Packages"
}
make_release() { # repository, label
    printf 'Origin: Debian\nLabel: %s\nSuite: stable\nCodename: bookworm\nSHA256:\n %s %s Packages\n' "$2" \
        "$(sha256sum "$lab/$1/Packages" | cut -d' ' -f1)" "$(stat -c %s "$lab/$1/Packages")" >"$lab/$1/Release"
}
make_deb main ravelo-lib 1.0
make_deb main ravelo-app 1.0 "ravelo-lib (= 1.0)"
make_deb main ravelo-other 1.0
make_deb security ravelo-lib 1.0+deb12u1
make_release main Debian
make_release security Debian-Security
printf 'deb [trusted=yes] file:%s ./\n' "$lab/main" "$lab/security" >"$lab/etc/sources.list"
printf 'Package: %s\nStatus: install ok installed\nMaintainer: x <x@example.org>\nArchitecture: all\nVersion: %s\nDescription: lab\n\n' \
    ravelo-lib 1.0+deb12u1 ravelo-other 2.0 >"$lab/status"
cat >"$lab/apt.conf" <<CONF
Dir::Etc::Main "$lab/etc/apt.conf"; Dir::Etc::Parts "$lab/etc/parts";
Dir::Etc::sourcelist "$lab/etc/sources.list"; Dir::Etc::sourceparts "$lab/etc/sources.d";
Dir::Etc::Preferences "$lab/etc/preferences"; Dir::Etc::PreferencesParts "$lab/etc/preferences.d";
Dir::State::Lists "$lab/lists"; Dir::State::status "$lab/status"; Dir::State::extended_states "$lab/extended_states";
Dir::Cache "$lab"; Dir::Cache::archives "$lab/archives"; Dir::Log "$lab/log";
Dir::Bin::dpkg "/bin/true"; Debug::NoLocking "true"; APT::Sandbox::User "root";
CONF
if APT_CONFIG=$lab/apt.conf apt-get -qq update >"$lab/update.log" 2>&1; then
    said=$(APT_CONFIG=$lab/apt.conf TMPDIR="$scratch" sudo="" bash -c \
        "source '$root/scripts/apt_security_held.sh'; install_with_security_held ravelo-app '$lab/install.log'")
    status=$?
    check "with the real apt-get, a library moved back to the main lists' version is installed: status 0" \
        [ "$status" -eq 0 ]
    check "and it says what it moved" grep -qF "moved to the versions both architectures offer: ravelo-lib 1.0+deb12u1 -> 1.0" \
        <<<"$said"
    check "a package newer than the main lists' that nothing needs is not moved" \
        bash -c "! grep -q 'ravelo-other' '$lab/install.log'"
    check "no preferences file is left" [ -z "$(ls "$scratch" | grep ravelo-apt-preferences)" ]
    [ "$status" -eq 0 ] || tail -n3 "$lab/install.log"
else
    echo "skipped: apt-get cannot read a local list here ($(tail -n1 "$lab/update.log"))"
fi

# apt itself reads the pins: every list of Debian's main archive at 1001,
# every security list at 100.
policy=$(apt-cache -o "Dir::Etc::Preferences=$scratch/alone" policy 2>/dev/null)
lists=$(grep -B1 'o=Debian,.*l=Debian' <<<"$policy" | grep -E '^ *-?[0-9]+ ')
if grep -q ',l=Debian-Security,' <<<"$policy" && grep -q ',l=Debian,' <<<"$policy"; then
    check "apt holds every security list at 100" \
        [ "$(grep -c debian-security <<<"$lists")" = "$(grep debian-security <<<"$lists" | grep -c '^ *100 ')" ]
    check "and every list of the main archive at 1001" \
        [ "$(grep -vc debian-security <<<"$lists")" = "$(grep -v debian-security <<<"$lists" | grep -c '^ *1001 ')" ]
else
    echo "skipped: apt here has no Debian main and security lists"
fi
all_checks_passed
