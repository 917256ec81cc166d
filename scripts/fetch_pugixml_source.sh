#!/usr/bin/env bash
# fetch_pugixml_source.sh DIR: unpacks Debian's source package of pugixml,
# at the pinned version, into DIR (DIR/src/pugixml.cpp and its headers), for
# the Windows build of ravelo-inspect: Debian ships pugixml built for Linux
# only.
#
# The package is fetched once into a cache that outlives build/
# ($RAVELO_CACHE_DIR, else $XDG_CACHE_HOME/ravelo, else ~/.cache/ravelo),
# and checked each time it is used: the .dsc against the digest pinned here,
# the tarballs against the .dsc (dpkg-source), and DIR against what they
# unpack to. Only a cache that is missing or fails the check is fetched
# again. apt fetches with a state of its own in the cache, so the machine's
# sources and lists stay as they are, and checks the .dsc against the
# Sources index signed by Debian's archive key.
set -eu
version=1.13-0.2
dsc_sha256=f0ef481b50b6d01b04269fe109a2cace8d9dad6f6eb089f1c9aac5a0913aa7c2
suite=bookworm
mirror=${RAVELO_DEBIAN_MIRROR:-http://deb.debian.org/debian}

dest=$(realpath -m "$1")
say() { echo "fetch_pugixml_source.sh: $*" >&2; }

# The cache folder the user's environment names, absolute (apt takes a
# relative path from /etc/apt); nothing when it names none. A relative
# XDG_CACHE_HOME names none: the XDG base directory rules say to ignore it.
user_cache() {
    if [ -n "${RAVELO_CACHE_DIR:-}" ]; then
        realpath -m "$RAVELO_CACHE_DIR"
        return
    fi
    case ${XDG_CACHE_HOME:-} in
    /*) echo "$XDG_CACHE_HOME/ravelo"; return ;;
    esac
    case ${HOME:-} in
    /*) echo "$HOME/.cache/ravelo" ;;
    esac
}

cache=$(user_cache)
# Without a home to hold it (none, or one that cannot be written, as for a
# service account), the cache goes beside DIR and lives as long as the tree.
if [ -z "$cache" ] || ! mkdir -p "$cache" 2>/dev/null || [ ! -w "$cache" ]; then
    cache=$(dirname "$dest")/pugixml-cache
    say "no cache outside the build tree can be made: using $cache"
fi
entry=$cache/pugixml-$version
dsc=$entry/pugixml_$version.dsc

dsc_is_pinned() {
    [ -f "$dsc" ] && echo "$dsc_sha256  $dsc" | sha256sum --quiet -c - >/dev/null 2>&1
}

# Downloads the package into a fresh folder beside the cache entry, checks
# it, and only then puts it in the entry's place.
fetch_into_cache() {
    local state=$cache/apt-state download
    mkdir -p "$state/lists/partial" "$state/cache/archives/partial"
    cat >"$state/sources.list" <<SOURCES
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main
SOURCES
    local apt_options=(-o Dir::Etc::sourcelist="$state/sources.list" -o Dir::Etc::sourceparts=-
                       -o Dir::State::Lists="$state/lists" -o Dir::Cache="$state/cache"
                       -o APT::Sandbox::User=root -o Debug::NoLocking=1 -q)
    apt-get "${apt_options[@]}" update >/dev/null
    download=$(mktemp -d "$cache/download.XXXXXX")
    if ! (cd "$download" && apt-get "${apt_options[@]}" source --download-only "pugixml=$version" >/dev/null); then
        rm -rf "$download"
        return 1
    fi
    if ! echo "$dsc_sha256  $download/pugixml_$version.dsc" | sha256sum --quiet -c - >/dev/null 2>&1; then
        say "the .dsc fetched is not the pinned one"
        rm -rf "$download"
        return 1
    fi
    rm -rf "$entry"
    mv "$download" "$entry"
}

mkdir -p "$cache"
# One configure at a time fetches or unpacks the cache.
exec 9>"$cache/.pugixml.lock"
flock 9

mkdir -p "$(dirname "$dest")"
unpacked=$(mktemp -d "$(dirname "$dest")/pugixml-unpacked.XXXXXX")
trap 'rm -rf "$unpacked"' EXIT
# The .dsc's own signature is a Debian developer's, whose key this machine
# need not hold: the archive's signature vouches for it instead.
unpack_cached() {
    rm -rf "$unpacked/pugixml"
    dsc_is_pinned && dpkg-source -x "$dsc" "$unpacked/pugixml" >"$unpacked/log" 2>&1
}

if ! unpack_cached; then
    [ -d "$entry" ] && say "the package cached in $entry is not the pinned one: fetching it again"
    fetch_into_cache || { say "cannot fetch pugixml $version (the network is needed once)"; exit 1; }
    unpack_cached || { cat "$unpacked/log" >&2; say "cannot unpack $dsc"; exit 1; }
fi
# DIR is replaced only when it differs, so that an unchanged source is not
# compiled again.
if ! diff -r -q "$unpacked/pugixml" "$dest" >/dev/null 2>&1; then
    rm -rf "$dest"
    mv "$unpacked/pugixml" "$dest"
fi
