# Sourced by install_deps.sh: one apt-get install with Debian's security
# lists held below the main ones, for that command alone.
#
# Why: a Multi-Arch: same library must have one version on every
# architecture. When the i386 index of the security lists fails to download
# while the amd64 one does, the amd64 libraries installed or offered come
# from the security lists and the i386 ones cannot match them, so wine32:i386
# cannot be installed. Holding the security lists below the main ones lets
# apt move those amd64 libraries to the versions both architectures offer.
# The machine's apt configuration is left as it is: the pins live in a
# temporary preferences file given to that one command with -o.

# security_held_preferences [MACHINE_PREFERENCES]: the temporary preferences
# file. The main lists get 1001, which lets apt move an installed library
# to an older version of the main lists; the machine's own preferences
# follow, so that its pins for single packages still hold.
security_held_preferences() {
    cat <<'PINS'
Package: *
Pin: release o=Debian,l=Debian
Pin-Priority: 1001

Package: *
Pin: release o=Debian,l=Debian-Security
Pin-Priority: 100
PINS
    if [ -n "${1:-}" ] && [ -f "$1" ]; then
        echo
        cat "$1"
    fi
}

# security_held_apt_options PREFERENCES_FILE: the options that hold the
# security lists below the main ones, one a line.
security_held_apt_options() {
    printf '%s\n' -o "Dir::Etc::Preferences=$1"
}

# From apt-get -s output on standard input: each installed package the
# command would move to another version, as "NAME OLD -> NEW".
moved_packages() {
    sed -n 's/^Inst \([^ ]*\) \[\([^]]*\)\] (\([^ ]*\) .*/\1 \2 -> \3/p'
}

# From apt-get -s output on standard input: the packages it would remove.
removed_packages() {
    sed -n 's/^Remv \([^ ]*\).*/\1/p'
}

# install_with_security_held PACKAGE LOG: does nothing when apt resolves the
# install as the machine stands (the first try then failed otherwise: a
# lock held, a download cut), since holding the lists would only move
# libraries off their security versions. Else simulates the install with
# the lists held, goes on only when it would remove nothing, installs (with --no-remove: apt-get stops
# rather than remove a package the machine has), and says what it did.
# Moving a library from the security lists to the main ones is a downgrade,
# which apt-get -y refuses unless told: --allow-downgrades. Uses $sudo as
# install_deps.sh sets it.
install_with_security_held() {
    local package=$1 log=$2 preferences machine="" moved removed status options=()
    if $sudo apt-get -s install "$package" >"$log" 2>&1; then
        echo "Not holding Debian's security lists: apt resolves $package without that" \
             "(see the first try's log)"
        return 1
    fi
    preferences=$(mktemp "${TMPDIR:-/tmp}/ravelo-apt-preferences.XXXXXX") || return 1
    eval "$(apt-config shell machine Dir::Etc::Preferences/f)"
    security_held_preferences "$machine" >"$preferences"
    mapfile -t options < <(security_held_apt_options "$preferences")
    $sudo apt-get -s "${options[@]}" install "$package" >"$log" 2>&1
    status=$?
    removed=$(removed_packages <"$log" | paste -sd' ')
    moved=$(moved_packages <"$log" | paste -sd',' | sed 's/,/, /g')
    if [ "$status" -eq 0 ] && [ -z "$removed" ]; then
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-remove --allow-downgrades \
            "${options[@]}" "$package" >>"$log" 2>&1
        status=$?
    elif [ -n "$removed" ]; then
        status=1
    fi
    rm -f "$preferences"
    if [ "$status" -eq 0 ]; then
        echo "Installed $package with Debian's security lists held below the main ones for that one" \
             "command${moved:+; moved to the versions both architectures offer: $moved}"
    elif [ -n "$removed" ]; then
        echo "Not installing $package with the security lists held below the main ones:" \
             "it would remove $removed"
    fi
    return "$status"
}
