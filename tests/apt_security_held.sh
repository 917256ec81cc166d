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
# names exists then; answers a simulation with $STAND_IN_SIMULATION, and one
# without the held lists as apt did on the machine where wine32 could not
# be installed.
mkdir "$scratch/bin"
cat >"$scratch/bin/apt-get" <<'STAND_IN'
#!/usr/bin/env bash
prefs=$(printf '%s\n' "$@" | sed -n 's/^Dir::Etc::Preferences=//p')
echo "apt-get $* | preferences file: $([ -f "$prefs" ] && head -n2 "$prefs" | tail -n1)" >>"$STAND_IN_CALLS"
if [ "$1" = -s ] && [ -z "$prefs" ]; then
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100
fi
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
check "a simulation as the machine stands, one with the pins, then the install with them" \
    [ "$(cut -d' ' -f2 <<<"$calls" | paste -sd' ')|$(grep -c 'preferences file: Pin: release o=Debian,l=Debian$' <<<"$calls")" = "-s -s install|2" ]
check "the install stops rather than remove a package" grep -qF -- " --no-remove " <<<"$(sed -n 3p <<<"$calls")"
check "the install is of wine32:i386 alone" grep -qE "^apt-get install .* [^ ]+ wine32:i386 \|" <<<"$(sed -n 3p <<<"$calls")"
check "it says what it moved" grep -qF \
    "moved to the versions both architectures offer: libwine 8.0~repack-4+deb12u2 -> 8.0~repack-4, gstreamer1.0-plugins-base" \
    <<<"$said"
check "the preferences file is gone afterwards" [ -z "$(ls "$scratch" | grep ravelo-apt-preferences)" ]

rm -f "$scratch/calls"
said=$(run_install "$simulation"$'\nRemv wine64 [8.0~repack-4+deb12u2]')
status=$?
check "a simulation that removes a package: no install" \
    [ "$status-$(wc -l <"$scratch/calls")" = "1-2" ]
check "and it says which package it would remove" grep -qF "it would remove wine64" <<<"$said"
check "the preferences file is gone then too" [ -z "$(ls "$scratch" | grep ravelo-apt-preferences)" ]

# The real apt-get, on a machine of its own (APT_CONFIG: its own status
# file, lists and archives; dpkg is /bin/true, so nothing is installed).
# ravelo-lib stands for an amd64 library installed from the security
# lists, ravelo-lib-i386 for its i386 half (one version on both, as
# Multi-Arch: same asks), and ravelo-app for wine32:i386, which needs the
# i386 half. ravelo-other, newer than the main lists' and needed by
# nothing, must stay as it is.
make_deb() { # machine, repository, package, version, depends
    local lab=$1 tree=$1/build-$3-$4
    mkdir -p "$tree/DEBIAN" "$lab/$2"
    printf 'Package: %s\nVersion: %s\nArchitecture: all\nMaintainer: x <x@example.org>\n%sDescription: lab\n' \
        "$3" "$4" "${5:+Depends: $5
}" >"$tree/DEBIAN/control"
    dpkg-deb -b "$tree" "$lab/$2/$3_$4_all.deb" >/dev/null
    { sed '$d' "$tree/DEBIAN/control"; echo "Filename: ./$3_$4_all.deb"
      echo "Size: $(stat -c %s "$lab/$2/$3_$4_all.deb")"
      echo "SHA256: $(sha256sum "$lab/$2/$3_$4_all.deb" | cut -d' ' -f1)"; echo "Description: lab"; echo; } \
        >>"$lab/$2/Packages"
}
make_release() { # machine, repository, label
    printf 'Origin: Debian\nLabel: %s\nSuite: stable\nCodename: bookworm\nSHA256:\n %s %s Packages\n' "$3" \
        "$(sha256sum "$1/$2/Packages" | cut -d' ' -f1)" "$(stat -c %s "$1/$2/Packages")" >"$1/$2/Release"
}
make_machine() { # folder, whether the security lists hold the i386 half
    local lab=$1
    mkdir -p "$lab"/{etc/parts,etc/preferences.d,etc/sources.d,lists/partial,archives/partial,log}
    make_deb "$lab" main ravelo-lib 1.0
    make_deb "$lab" main ravelo-lib-i386 1.0 "ravelo-lib (= 1.0)"
    make_deb "$lab" main ravelo-app 1.0 "ravelo-lib-i386"
    make_deb "$lab" main ravelo-other 1.0
    make_deb "$lab" security ravelo-lib 1.0+deb12u1
    $2 && make_deb "$lab" security ravelo-lib-i386 1.0+deb12u1 "ravelo-lib (= 1.0+deb12u1)"
    make_release "$lab" main Debian
    make_release "$lab" security Debian-Security
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
    APT_CONFIG=$lab/apt.conf apt-get -qq update >"$lab/update.log" 2>&1
}
install_on() { # machine; prints what was said, then the status
    APT_CONFIG=$1/apt.conf TMPDIR="$scratch" sudo="" bash -c \
        "source '$root/scripts/apt_security_held.sh'; install_with_security_held ravelo-app '$1/install.log'"
    echo "status $?"
}
if make_machine "$scratch/lagging" false && make_machine "$scratch/whole" true; then
    said=$(install_on "$scratch/lagging")
    check "security's i386 half missing: installed with the real apt-get" grep -qx "status 0" <<<"$said"
    check "and it says what it moved" \
        grep -qF "moved to the versions both architectures offer: ravelo-lib 1.0+deb12u1 -> 1.0" <<<"$said"
    check "a package newer than the main lists' that nothing needs is not moved" \
        bash -c "! grep -q 'ravelo-other' '$scratch/lagging/install.log'"
    check "no preferences file is left" [ -z "$(ls "$scratch" | grep ravelo-apt-preferences)" ]
    grep -qx "status 0" <<<"$said" || tail -n3 "$scratch/lagging/install.log"
    # apt resolves the install without held lists: the first try failed
    # for another reason (a lock, a download), and holding the lists would
    # move the library off its security version for nothing.
    said=$(install_on "$scratch/whole")
    check "an install apt resolves as the machine stands: no second try" grep -qx "status 1" <<<"$said"
    check "and nothing is moved" bash -c "! grep -q '^Inst ravelo-lib ' '$scratch/whole/install.log'"
    check "and it says why" grep -q "resolves" <<<"$said"
else
    echo "skipped: apt-get cannot read a local list here ($(tail -n1 "$scratch/lagging/update.log"))"
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
