#!/usr/bin/env bash
# 32-bit Windows programs on machines whose kernel refuses 32-bit code:
# Debian's 32-bit Wine (wine32 and libwine for i386, the same version as the
# installed wine64) under user-mode QEMU (qemu-i386 from bookworm-backports'
# qemu-user; bookworm's own 7.2 takes about a minute per process start).
# Nothing is installed: the packages are downloaded with a private apt state
# and unpacked under $ZELK_WINE32_ROOT.
#
#   wine32.sh fetch            download and unpack (about 30 s, once per root)
#   wine32.sh prefix           a fresh 64-bit prefix at $WINEPREFIX whose
#                              syswow64 serves 32-bit programs
#   wine32.sh run EXE [ARGS]   runs a 32-bit program in $WINEPREFIX
#   wine32.sh namespace CMD    runs CMD where 32-bit programs may start
#                              32-bit programs (see below)
#   wine32.sh namespace-works  whether namespace works here (exit status)
#
# Traps met on the way:
# - A 64-bit wineboot leaves syswow64 empty: the 32-bit DLLs are copied in,
#   and user32's zlib from the mingw runtime.
# - COM's proxies, the imaging component's classes and the VBScript engine
#   are not registered in the 32-bit view: regsvr32 them there, or 32-bit
#   clients cannot reach local servers (and 32-bit cscript runs no script).
# - A 32-bit client reads classes from the 32-bit registry view and marshals
#   a dual interface through its type library's win32 entry
#   (TypeLib\{LIBID}\1.0\0\win32), which a 64-bit registration lacks.
# - A 32-bit program cannot start another 32-bit program (the kernel refuses
#   the exec); starting 64-bit ones works. `namespace` registers qemu-i386
#   with binfmt_misc inside a private user and mount namespace, so the
#   system's own binfmt_misc stays untouched (needs Linux 6.7 or later).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
W=${ZELK_WINE32_ROOT:-$(dirname "$here")/build/wine32}
QEMU=$W/usr/bin/qemu-i386
ROOT=$W/root

# wine32 must be the installed wine64's version, or the two halves of a
# prefix do not work together.
wine_version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null || true)
packages=(qemu-user/bookworm-backports "wine32:i386=$wine_version" "libwine:i386=$wine_version"
          libc6:i386 libgcc-s1:i386 libx11-6:i386 libxext6:i386 libxcb1:i386 libxau6:i386 libxdmcp6:i386 libbsd0:i386 libmd0:i386
          libfreetype6:i386 libpng16-16:i386 zlib1g:i386 libbrotli1:i386 libfontconfig1:i386 libexpat1:i386
          libxrender1:i386 libxrandr2:i386 libxi6:i386 libxfixes3:i386 libxcursor1:i386 libxinerama1:i386
          libxcomposite1:i386)

mirror() {
    # The Debian mirror this machine's apt already uses.
    local uri
    uri=$(grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2}' | grep -v security | head -n1 || true)
    [ -n "$uri" ] || uri=$(grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | sed 's/\[[^]]*\]//' |
                           awk '{print $2}' | grep -v security | head -n1 || true)
    [ -n "$uri" ] || { echo "wine32: no Debian mirror found in the apt sources" >&2; exit 1; }
    echo "$uri"
}

fetch() {
    [ -e "$W/complete" ] && return 0
    [ -n "$wine_version" ] || { echo "wine32: wine64 is not installed" >&2; exit 1; }
    local m apt
    m=$(mirror)
    rm -rf "$W"
    mkdir -p "$W/apt/lists/partial" "$W/apt/cache/archives/partial" "$W/debs" "$ROOT"
    touch "$W/apt/status"
    printf 'deb %s bookworm main\ndeb %s bookworm-backports main\n' "$m" "$m" >"$W/apt/sources.list"
    apt=(-o "Dir::Etc::sourcelist=$W/apt/sources.list" -o Dir::Etc::sourceparts=/nonexistent
         -o "Dir::State::Lists=$W/apt/lists" -o "Dir::Cache=$W/apt/cache"
         -o "Dir::State::status=$W/apt/status" -o Debug::NoLocking=1
         -o APT::Architecture=amd64 -o APT::Architectures::=amd64 -o APT::Architectures::=i386)
    apt-get "${apt[@]}" update -qq
    (cd "$W/debs" && apt-get "${apt[@]}" download -qq "${packages[@]}" 2>&1 | { grep -v unsandboxed || true; })
    dpkg-deb --fsys-tarfile "$W"/debs/qemu-user_*.deb | tar -x -C "$W" ./usr/bin/qemu-i386
    for f in "$W"/debs/*_i386.deb; do dpkg-deb -x "$f" "$ROOT"; done
    # An empty library cache of its own: the i386 loader then searches the
    # root's library folders rather than taking 32-bit libraries from the
    # machine's cache (where a multilib libc6-i386 may list some).
    mkdir -p "$ROOT/etc"
    : >"$ROOT/etc/ld.so.cache"
    # 32-bit Wine starts 64-bit programs and the server through these.
    ln -sf /usr/lib/wine/wine64 "$ROOT/usr/lib/wine/wine64"
    ln -sf /usr/lib/wine/wineserver64 "$ROOT/usr/lib/wine/wineserver64"
    rm -rf "$W/apt" "$W/debs"
    touch "$W/complete"
}

prefix() {
    : "${WINEPREFIX:?wine32: set WINEPREFIX}"
    [ -e "$W/complete" ] || { echo "wine32: run '$0 fetch' first" >&2; exit 1; }
    rm -rf "$WINEPREFIX"
    WINEARCH=win64 /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    local syswow64=$WINEPREFIX/drive_c/windows/syswow64
    cp -l "$ROOT"/usr/lib/i386-linux-gnu/wine/i386-windows/* "$syswow64/" 2>/dev/null ||
        cp "$ROOT"/usr/lib/i386-linux-gnu/wine/i386-windows/* "$syswow64/"
    cp /usr/i686-w64-mingw32/lib/zlib1.dll "$syswow64/"
    for dll in ole32.dll oleaut32.dll actxprxy.dll windowscodecs.dll vbscript.dll; do
        (run 'C:\windows\syswow64\regsvr32.exe' /s "$dll") || { echo "wine32: regsvr32 $dll failed" >&2; exit 1; }
    done
    /usr/lib/wine/wineserver -w
}

run() {
    [ -x "$QEMU" ] || { echo "wine32: run '$0 fetch' first" >&2; exit 1; }
    WINELOADERNOEXEC=1 exec "$QEMU" -L "$ROOT" "$ROOT/usr/lib/wine/wine" "$@"
}

# i386 ELF programs, as qemu's own binfmt configuration matches them.
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

namespace() {
    [ -x "$QEMU" ] || { echo "wine32: run '$0 fetch' first" >&2; exit 1; }
    # qemu hands its environment on, so programs started by 32-bit ones
    # find the i386 libraries too.
    export QEMU_LD_PREFIX=$ROOT WINELOADERNOEXEC=1
    exec unshare --user --map-root-user --mount bash -c '
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc &&
        printf "%s" ":zelk-i386:M::$1:$2:$3:" >/proc/sys/fs/binfmt_misc/register || exit 125
        shift 3
        exec "$@"' bash "$i386_magic" "$i386_mask" "$QEMU" "$@"
}

case ${1:-} in
    fetch) fetch ;;
    prefix) prefix ;;
    run) shift; run "$@" ;;
    namespace) shift; namespace "$@" ;;
    namespace-works) namespace true 2>/dev/null ;;
    *) awk 'NR > 1 && /^#/ {print; next} NR > 1 {exit}' "$0"; exit 2 ;;
esac
