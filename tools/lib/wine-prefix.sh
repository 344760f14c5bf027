#!/bin/bash
# Makes, checks and copies the Wine prefixes that Kestrel's tests and demo run in.
#
# A new Wine prefix maps Z: to the host's "/" and links the profile's Desktop, Documents, ...
# into the host's home folder, so a deletion bug in a test could erase the host. Every prefix
# made here is sandboxed at once: no drive but C: and K: (K: is the folder of the programs under
# test), and every link that leaves the prefix is replaced by an empty folder. "check" refuses
# a prefix that is not like that; the runner calls it before every start of a Windows program.
#
#   wine-prefix.sh ensure <prefix> <bindir>   make the prefix when missing, then check it
#   wine-prefix.sh check  <prefix>            exit 1 (with the reason) unless sandboxed
#   wine-prefix.sh copy   <prefix> <target>   a fresh copy of a checked prefix
#   wine-prefix.sh snapshot <prefix> <target> the same, once nothing runs in the prefix any more
set -euo pipefail

WINE64=${KESTREL_WINE64:-/usr/lib/wine/wine64}
[ -x "$WINE64" ] || WINE64=$(command -v wine64 || command -v wine)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"

die() { echo "wine-prefix: $*" >&2; exit 1; }

sandbox() {
    local prefix=$1 bindir=$2
    local dev
    for dev in "$prefix"/dosdevices/*; do
        [ -L "$dev" ] || continue
        case "$(basename "$dev")" in
            c:) ;;
            com*|lpt*|*::) rm -f "$dev" ;;
            *) rm -f "$dev" ;;
        esac
    done
    ln -sfn "$bindir" "$prefix/dosdevices/k:"
    # Links inside drive_c that leave the prefix become real, empty folders.
    local link target
    while IFS= read -r -d '' link; do
        target=$(readlink -f "$link" || true)
        case "$target" in
            "$prefix"/*) ;;
            *) rm -f "$link"; mkdir -p "$link" ;;
        esac
    done < <(find "$prefix/drive_c" -type l -print0)
    echo "$prefix" > "$prefix/.kestrel-sandbox"
}

check() {
    local prefix=$1
    [ -f "$prefix/.kestrel-sandbox" ] || die "$prefix was not made by this script"
    [ -f "$prefix/system.reg" ] || die "$prefix is not a Wine prefix"
    local dev name target
    for dev in "$prefix"/dosdevices/*; do
        name=$(basename "$dev")
        case "$name" in
            c:) ;;
            k:) target=$(readlink -f "$dev"); [ "$target" != "/" ] || die "K: maps the host's root" ;;
            # Serial and parallel ports (Wine adds them again at every start) are devices,
            # not files.
            com[0-9]*|lpt[0-9]*) case "$(readlink "$dev")" in /dev/*) ;; *) die "odd device $name" ;; esac ;;
            *) die "$prefix maps drive $name to the host; refusing to run" ;;
        esac
    done
    local link
    while IFS= read -r -d '' link; do
        target=$(readlink -f "$link" || true)
        case "$target" in
            "$prefix"/*) ;;
            *) die "$link leads out of the prefix ($target); refusing to run" ;;
        esac
    done < <(find "$prefix/drive_c" -type l -print0)
}

make_prefix() {
    local prefix=$1 bindir=$2
    mkdir -p "$(dirname "$prefix")" "$bindir"
    local tmp="$prefix.making.$$"
    rm -rf "$tmp"
    WINEPREFIX="$tmp" "$WINE64" wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX="$tmp" "${WINE64%64}server" -w 2>/dev/null || WINEPREFIX="$tmp" wineserver -w || true
    [ -f "$tmp/system.reg" ] || die "wineboot did not make a prefix in $tmp"
    sandbox "$tmp" "$bindir"
    # Links to the prefix itself must follow its final name.
    mv "$tmp" "$prefix"
    sandbox "$prefix" "$bindir"
}

cmd=${1:-}
case "$cmd" in
    ensure)
        prefix=$(realpath -m "$2"); bindir=$(realpath -m "$3")
        mkdir -p "$(dirname "$prefix")"
        exec 9>"$prefix.lock"
        flock 9
        if [ ! -f "$prefix/.kestrel-sandbox" ]; then
            rm -rf "$prefix"
            make_prefix "$prefix" "$bindir"
        fi
        [ "$(readlink -f "$prefix/dosdevices/k:")" = "$bindir" ] || ln -sfn "$bindir" "$prefix/dosdevices/k:"
        check "$prefix"
        ;;
    check)
        check "$(realpath -m "$2")"
        ;;
    copy)
        src=$(realpath -m "$2"); dst=$(realpath -m "$3")
        check "$src"
        rm -rf "$dst"
        mkdir -p "$(dirname "$dst")"
        cp -a "$src" "$dst"
        bindir=$(readlink -f "$src/dosdevices/k:")
        sandbox "$dst" "$bindir"
        check "$dst"
        ;;
    snapshot)
        WINEPREFIX=$(realpath -m "$2") timeout 60 "${WINE64%64}server" -w 2>/dev/null || true
        exec "$0" copy "$2" "$3"
        ;;
    *)
        sed -n '2,16p' "$0" >&2; exit 2 ;;
esac
