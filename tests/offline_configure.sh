#!/usr/bin/env bash
# offline_configure.sh: the reporter's trees configure with the network cut
# off and no pugixml in the cache: the native tree, the i686 product tree,
# and the Windows test suite's trees (without ravelo-inspect). The 64-bit
# tree with ravelo-inspect configures offline from a cache that holds
# pugixml, and without one says that it needs the network once; a cache
# altered in any file is refused. Needs `unshare -n` (root, or unprivileged
# user namespaces); skipped otherwise.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tests/checks.sh"
if ! unshare -n true 2>/dev/null; then
    echo "skipped: unshare -n is not available here"
    exit 0
fi
scratch=$(mktemp -d "$root/build/offline-configure.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/empty-cache"

configure_offline() { # cache folder, tree name, cmake arguments...
    local cache=$1 tree=$2
    shift 2
    RAVELO_CACHE_DIR=$cache unshare -n cmake -S "$root" -B "$scratch/$tree" -G Ninja "$@" \
        >"$scratch/$tree.log" 2>&1
}
toolchain() { echo "-DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw-$1.cmake"; }

check "the native tree" configure_offline "$scratch/empty-cache" native
check "the i686 product tree" \
    configure_offline "$scratch/empty-cache" windows "$(toolchain i686)" -DRAVELO_THREAD_MODEL=win32
# As README's "Building" configures them.
for arch in i686 x86_64; do
    check "the $arch test suite's tree" \
        configure_offline "$scratch/empty-cache" "tests-$arch" "$(toolchain "$arch")" -DRAVELO_THREAD_MODEL=posix
done
check "the x86_64 tree with ravelo-inspect, offline and no pugixml cached: refused" bash -c \
    "! RAVELO_CACHE_DIR='$scratch/empty-cache' unshare -n cmake -S '$root' -B '$scratch/inspect-uncached' \
       -G Ninja '$(toolchain x86_64)' >'$scratch/inspect-uncached.log' 2>&1"
check "and it says the network is needed once" \
    grep -q "the network is needed once" "$scratch/inspect-uncached.log"

cache=${RAVELO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/ravelo}
if ls "$cache"/pugixml-*/*.dsc >/dev/null 2>&1; then
    check "the x86_64 tree with ravelo-inspect, offline from the cache" \
        configure_offline "$cache" inspect-cached "$(toolchain x86_64)"
    # The cache is checked each time it is used: a copy altered in each of
    # its files is refused offline, and never unpacked.
    fetch="$root/scripts/fetch_pugixml_source.sh"
    for altered in dsc orig.tar.gz debian.tar.xz; do
        rm -rf "$scratch/altered" "$scratch/unpacked-$altered"
        cp -r "$cache" "$scratch/altered"
        echo x >>"$(ls "$scratch"/altered/pugixml-*/*."$altered")"
        check "a cache with its $altered altered is refused offline" bash -c \
            "! RAVELO_CACHE_DIR='$scratch/altered' unshare -n bash '$fetch' '$scratch/unpacked-$altered' 2>/dev/null"
        check "and nothing is unpacked from it" [ ! -e "$scratch/unpacked-$altered" ]
    done
    # Where the cache is: a relative XDG_CACHE_HOME is no cache folder (the
    # XDG rules say to ignore it), a relative RAVELO_CACHE_DIR is taken from
    # the current folder, and a HOME that cannot hold one (none, or one
    # that cannot be written) leaves a cache beside the build tree.
    mkdir -p "$scratch/home/.cache" "$scratch/elsewhere" "$scratch/beside/third_party"
    cp -r "$cache" "$scratch/home/.cache/ravelo"
    cp -r "$cache" "$scratch/elsewhere/relative-cache"
    cp -r "$cache" "$scratch/beside/third_party/pugixml-cache"
    check "a relative XDG_CACHE_HOME is ignored: the cache in ~/.cache serves, offline" bash -c \
        "cd '$scratch/elsewhere' && env -u RAVELO_CACHE_DIR HOME='$scratch/home' XDG_CACHE_HOME=relative \
           unshare -n bash '$fetch' '$scratch/unpacked-xdg' 2>/dev/null && [ ! -e relative ]"
    check "a relative RAVELO_CACHE_DIR is the current folder's, offline" bash -c \
        "cd '$scratch/elsewhere' && RAVELO_CACHE_DIR=relative-cache unshare -n bash '$fetch' '$scratch/unpacked-rel' 2>/dev/null"
    for home in "no HOME:-u HOME" "a HOME that cannot be written:HOME=/proc/ravelo-home"; do
        check "${home%%:*}: the cache beside the build tree serves, offline" bash -c \
            "env -u RAVELO_CACHE_DIR -u XDG_CACHE_HOME ${home#*:} unshare -n bash '$fetch' \
               '$scratch/beside/third_party/pugixml' 2>/dev/null &&
             [ -f '$scratch/beside/third_party/pugixml/src/pugixml.cpp' ]"
        rm -rf "$scratch/beside/third_party/pugixml"
    done
    RAVELO_CACHE_DIR=$cache unshare -n bash "$fetch" "$scratch/unpacked" 2>/dev/null
    echo x >>"$scratch/unpacked/src/pugixml.cpp"
    check "an unpacked source altered in build/ is unpacked again" bash -c \
        "RAVELO_CACHE_DIR='$cache' unshare -n bash '$fetch' '$scratch/unpacked' &&
         [ \"\$(tail -c 2 '$scratch/unpacked/src/pugixml.cpp')\" != x ]"
else
    echo "skipped: no pugixml in $cache yet (the first configure of a 64-bit Windows tree fetches it)"
fi
for log in "$scratch"/*.log; do
    [ "$log" = "$scratch/inspect-uncached.log" ] || grep -q "Configuring done" "$log" ||
        { echo "--- $log"; tail -n 5 "$log"; }
done
all_checks_passed
