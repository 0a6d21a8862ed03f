#!/usr/bin/env bash
# Pictures of the Windows installer's pages, as a user sees them, for the README:
#   docs/installer/welcome.png    the welcome page
#   docs/installer/readme.png     the read-me page (what is installed, and where)
#   docs/installer/vst32.png      the 32-bit VST folder page
#   docs/installer/vst64.png      the 64-bit VST folder page
#   docs/installer/finish.png     the last page, after the install
# The installer runs under Wine in a private 64-bit prefix, in a Wine desktop window on a
# virtual X display, and is worked with the keyboard (Enter takes "Next"); each picture is
# taken once the page has been drawn and the screen has stopped changing. Where 32-bit programs
# cannot run, the same script is built with the 64-bit stub (the pages are the same).
# Needs the builds tools/dist.sh takes its files from, and ImageMagick's import.
#   tools/installer-shots.sh [OUTDIR]
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/installer}
if [ "${ORVANNE_INSIDE_XVFB:-}" != 1 ]; then
    exec env ORVANNE_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" "$0" "$@"
fi
version=$(cat "$root/build/linux/version/version.txt")
work=$(mktemp -d /tmp/orvanne-installer-shots.XXXXXX)
export WINEPREFIX=$work/wine WINEDEBUG=-all
cleanup() {
    wineserver -k 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
if /usr/lib/wine/wine --version > /dev/null 2>&1 && [ -f "$root/dist/release/Orvanne-$version-windows-setup.exe" ]; then
    setup=$root/dist/release/Orvanne-$version-windows-setup.exe
else
    setup=$work/setup.exe
    DIST_STAGE=$work/stage bash "$root/tools/dist.sh" --nsis-target amd64-unicode --setup-out "$setup" > "$work/dist.log"
fi
wine=wine
/usr/lib/wine/wine --version > /dev/null 2>&1 || wine=/usr/lib/wine/wine64
mkdir -p "$out"

# The screen's picture as a checksum; a page is "drawn" when it differs from the last page's
# and two looks 0.3 s apart agree. Gives up after 60 s.
screen_sum() { import -silent -window root rgb:- 2> /dev/null | md5sum | cut -d' ' -f1; }
last=""
settle() {
    local now previous=""
    for _ in $(seq 1 200); do
        now=$(screen_sum)
        if [ "$now" != "$last" ] && [ "$now" = "$previous" ]; then
            last=$now
            return 0
        fi
        previous=$now
        sleep 0.3
    done
    echo "installer-shots.sh: the screen did not settle on a new page" >&2
    exit 1
}
# shot NAME: the installer's window, cut from the Wine desktop, as NAME.png. (Its caption
# buttons show as letters where Wine's own fonts are not installed.)
shot() {
    import -silent -window root -trim +repage -strip -define png:exclude-chunks=date,time "$out/$1.png"
    echo "installer-shots.sh: $out/$1.png"
}

"$wine" wineboot.exe --init > /dev/null 2>&1 || true
wineserver -w
"$wine" explorer.exe "/desktop=Setup,800x600" "$setup" > "$work/setup.log" 2>&1 &
timeout 120 xdotool search --sync --name "Orvanne $version Setup" > /dev/null ||
    { echo "installer-shots.sh: the installer's window did not appear" >&2; exit 1; }
settle
shot welcome
for page in readme vst32 vst64; do
    xdotool key Return
    settle
    shot "$page"
done
# Install, then the last page (the progress page moves on by itself).
xdotool key Return
timeout 120 xdotool search --sync --name "Orvanne $version Setup" > /dev/null
for _ in $(seq 1 200); do
    [ -e "$WINEPREFIX/drive_c/Program Files/Tarvelle/Orvanne/Uninstall.exe" ] && break
    sleep 0.3
done
settle
shot finish
xdotool key Return
wineserver -w
