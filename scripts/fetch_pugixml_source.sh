#!/usr/bin/env bash
# fetch_pugixml_source.sh DIR: unpacks Debian's source package of pugixml,
# at the pinned version, into DIR (DIR/src/pugixml.cpp and its headers), for
# the Windows build of ravelo-inspect: Debian ships pugixml built for Linux
# only. Does nothing when DIR already holds that version.
#
# apt fetches the package with an apt state of its own (under DIR's parent),
# so the machine's sources and lists stay as they are. It checks the .dsc
# against the Sources index signed by Debian's archive key, dpkg-source
# checks the tarballs against the .dsc, and the .dsc is checked against the
# digest pinned here, so every build compiles the same bytes.
set -eu
version=1.13-0.2
dsc_sha256=f0ef481b50b6d01b04269fe109a2cace8d9dad6f6eb089f1c9aac5a0913aa7c2
suite=bookworm
mirror=${RAVELO_DEBIAN_MIRROR:-http://deb.debian.org/debian}

dest=$(realpath -m "$1")
stamp=$dest/.debian-version
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ] && [ -f "$dest/src/pugixml.cpp" ]; then
    exit 0
fi

state=$(dirname "$dest")/apt-state
mkdir -p "$state/lists/partial" "$state/cache/archives/partial" "$state/download"
cat >"$state/sources.list" <<EOF
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main
EOF
apt_options=(-o Dir::Etc::sourcelist="$state/sources.list" -o Dir::Etc::sourceparts=-
             -o Dir::State::Lists="$state/lists" -o Dir::Cache="$state/cache"
             -o APT::Sandbox::User=root -o Debug::NoLocking=1 -q)
ls "$state/lists" | grep -q '_Sources' || apt-get "${apt_options[@]}" update >/dev/null
(cd "$state/download" && apt-get "${apt_options[@]}" source --download-only "pugixml=$version" >/dev/null)

dsc=$state/download/pugixml_$version.dsc
echo "$dsc_sha256  $dsc" | sha256sum --quiet -c - ||
    { echo "fetch_pugixml_source.sh: $dsc is not the pinned one" >&2; exit 1; }
rm -rf "$dest"
# The .dsc's own signature is a Debian developer's, whose key this machine
# need not hold: the archive's signature above vouches for it instead.
dpkg-source -x "$dsc" "$dest" >"$state/unpack.log" 2>&1 || { cat "$state/unpack.log" >&2; exit 1; }
echo "$version" >"$stamp"
