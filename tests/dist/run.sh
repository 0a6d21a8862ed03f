#!/usr/bin/env bash
# make test-dist: the release files as users install them (after `make dist`).
#  - the file list, SHA256SUMS, and a second tools/dist.sh run that gives the same bytes;
#  - no debug sections in any released binary, each pointing to its debug file;
#  - the .deb: lintian without errors or warnings, install and purge in a throwaway root
#    (lv2ls, orvanne-render --version and --list through usr/lib/vst, the bank in usr/share
#    and in the plug-in's preset menu);
#  - the tar.gz: install.sh into a temporary HOME, hosts find the plug-ins there,
#    --uninstall leaves only the preset the user saved;
#  - the installer under Wine in a fresh private 64-bit prefix: both DLLs and both banks in
#    place, our test host loads the installed DLL and lists the factory folders in its preset
#    menu (the 32-bit installer and the 32-bit host run are skipped where the kernel cannot
#    run 32-bit programs: the script is then checked with the 64-bit stub).
# Each step waits on a condition (dpkg, wineserver -w), never on a fixed sleep.
set -uo pipefail
export LC_ALL=C
root=$(cd "$(dirname "$0")/../.." && pwd)
native=$root/build/linux
rel=$root/dist/release
version=$(cat "$native/version/version.txt")
work=$(mktemp -d /tmp/orvanne-dist-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0
check() { # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then echo "ok      $what"; else echo "FAILED  $what"; status=1; return 1; fi
}
skip() { echo "SKIPPED $*"; }
holds_bank() { # holds_bank ROOT: ROOT/<folder>/<name>.prg for every preset of the bank, byte for byte
    diff -r "$root/dist/linux/presets" "$1" > /dev/null
}

# --- files, checksums, determinism ---
expected="Orvanne-$version-debug-symbols.tar.gz
Orvanne-$version-linux-x86_64.tar.gz
Orvanne-$version-windows-setup.exe
Orvanne-$version-windows.zip
SHA256SUMS
orvanne_${version}_amd64.deb"
check "dist/release holds exactly the six release files" [ "$(ls "$rel")" = "$expected" ]
check "SHA256SUMS matches the files" bash -c "cd '$rel' && sha256sum --quiet -c SHA256SUMS"
DIST_OUT=$work/again DIST_STAGE=$work/stage bash "$root/tools/dist.sh" > "$work/again.log" 2>&1
check "a second make dist gives the same files" [ "$(ls "$work/again")" = "$expected" ]
check "the second SHA256SUMS matches its files" bash -c "cd '$work/again' && sha256sum --quiet -c SHA256SUMS"
check "a second make dist gives the same bytes, the installer's too" diff "$rel/SHA256SUMS" "$work/again/SHA256SUMS"

# --- stripped binaries ---
dpkg-deb -x "$rel/orvanne_${version}_amd64.deb" "$work/debx"
(cd "$work" && unzip -q "$rel/Orvanne-$version-windows.zip" -d zipx)
stripped() { # no .debug_* sections, a .gnu_debuglink
    local sections
    sections=$(objdump -h "$1") || return 1
    ! grep -q ' \.debug_' <<< "$sections" && grep -q '\.gnu_debuglink' <<< "$sections"
}
for f in usr/lib/vst/Orvanne.so usr/bin/orvanne-render usr/lib/lv2/orvanne.lv2/orvanne.so \
    usr/lib/lv2/orvanne.lv2/orvanne_ui.so; do
    check "$f: stripped, with a debug link" stripped "$work/debx/$f"
done
for f in "$work"/zipx/*/*-bit/Orvanne.dll; do
    check "${f#$work/zipx/}: stripped, with a debug link" stripped "$f"
done
check "the debug files are in the debug-symbols archive" bash -c \
    "tar tzf '$rel/Orvanne-$version-debug-symbols.tar.gz' | grep -c '\.debug$' | grep -qx 6"

# --- the .deb ---
lintian --tag-display-limit 0 "$rel/orvanne_${version}_amd64.deb" > "$work/lintian.log" 2>&1
check "lintian: no errors, no warnings" bash -c "! grep -E '^[EW]:' '$work/lintian.log'"
check "the package's version is $version" [ "$(dpkg-deb -f "$rel/orvanne_${version}_amd64.deb" Version)" = "$version" ]
if [ "$(id -u)" = 0 ]; then
    r=$work/root
    mkdir -p "$r/var/lib/dpkg/info" "$r/var/lib/dpkg/updates" "$r/var/lib/dpkg/triggers"
    : > "$r/var/lib/dpkg/status"
    # The dependencies live in the machine's own root, not in the throwaway one.
    dpkg --root="$r" --force-depends --log=/dev/null -i "$rel/orvanne_${version}_amd64.deb" > "$work/dpkg.log" 2>&1
    check "dpkg installs the package" grep -q '^Status: install ok installed' "$r/var/lib/dpkg/status"
    check "lv2ls finds urn:tarvelle:orvanne in usr/lib/lv2" bash -c \
        "LV2_PATH='$r/usr/lib/lv2' lv2ls | grep -qx urn:tarvelle:orvanne"
    check "usr/bin/orvanne-render --version" [ "$("$r/usr/bin/orvanne-render" --version)" = "orvanne-render $version" ]
    check "usr/bin/orvanne-render finds the plug-in in usr/lib/vst" bash -c \
        "'$r/usr/bin/orvanne-render' --list | grep -q 'Recovery'"
    check "the bank is in usr/share/Tarvelle/Plug-In Settings/Orvanne" holds_bank "$r/usr/share/Tarvelle/Plug-In Settings/Orvanne"
    # The package's bank reaches the plug-in's preset menu through $XDG_DATA_DIRS.
    mkdir -p "$work/menu-home"
    HOME=$work/menu-home XDG_DATA_HOME=$work/menu-home/.local/share XDG_DATA_DIRS=$r/usr/share \
        "$root/tests/dist/preset-menu-x11.sh" "$r/usr/bin/orvanne-render" "$r/usr/lib/vst/Orvanne.so" \
        "$r/usr/share/Tarvelle/Plug-In Settings/Orvanne" "$work/menu" || status=1
    dpkg --root="$r" --log=/dev/null --purge orvanne > "$work/dpkg.log" 2>&1
    check "after the purge no file of the package is left" bash -c \
        "[ -z \"\$(find '$r' -mindepth 1 -not -path '$r/var' -not -path '$r/var/lib' -not -path '$r/var/lib/dpkg*')\" ]"
else
    skip "the .deb install and purge: needs root (dpkg --root)"
fi

# --- the tar.gz ---
h=$work/home
mkdir -p "$h"
tar -C "$work" -xzf "$rel/Orvanne-$version-linux-x86_64.tar.gz"
tardir=$work/Orvanne-$version-linux-x86_64
env -u XDG_DATA_HOME HOME="$h" sh "$tardir/install.sh" > "$work/install.log" 2>&1
check "install.sh installs into the home folder" test -f "$h/.vst/Orvanne.so" -a -f "$h/.lv2/orvanne.lv2/manifest.ttl" \
    -a -x "$h/.local/bin/orvanne-render"
check "lv2ls finds urn:tarvelle:orvanne in ~/.lv2" bash -c "LV2_PATH='$h/.lv2' lv2ls | grep -qx urn:tarvelle:orvanne"
check "~/.local/bin/orvanne-render finds ~/.vst/Orvanne.so" bash -c "HOME='$h' '$h/.local/bin/orvanne-render' --list | grep -q Recovery"
check "the bank is in ~/.local/share/Tarvelle/Plug-In Settings/Orvanne" holds_bank "$h/.local/share/Tarvelle/Plug-In Settings/Orvanne"
mine="$h/.local/share/Tarvelle/Plug-In Settings/Orvanne/00-User Presets/Mine.prg"
mkdir -p "$(dirname "$mine")"
cp "$(find "$root/dist/linux/presets" -name '*.prg' | head -n 1)" "$mine"
env -u XDG_DATA_HOME HOME="$h" sh "$tardir/install.sh" --uninstall > "$work/uninstall.log" 2>&1
check "install.sh --uninstall leaves only the user's preset" bash -c \
    "[ \"\$(cd '$h' && find . -type f)\" = './.local/share/Tarvelle/Plug-In Settings/Orvanne/00-User Presets/Mine.prg' ] &&
     [ -z \"\$(cd '$h' && find . -mindepth 1 -type d -empty)\" ]"

# --- the installer under Wine ---
if ! command -v wine > /dev/null 2>&1; then
    skip "the installer under Wine: wine is not installed"
    exit $status
fi
export WINEPREFIX=$work/wine WINEDEBUG=-all
wine64=wine
/usr/lib/wine/wine --version > /dev/null 2>&1 || wine64=/usr/lib/wine/wine64
c=$WINEPREFIX/drive_c
if /usr/lib/wine/wine --version > /dev/null 2>&1; then
    setup=$rel/Orvanne-$version-windows-setup.exe
else
    # The released installer is a 32-bit program; here the same script is built with the
    # 64-bit stub. It must place the files exactly as the 32-bit one does (both DLLs, both
    # banks); only the 32-bit DLL's host run cannot be checked.
    echo "test-dist: SKIPPED the 32-bit installer and the 32-bit DLL's host run: this machine cannot run 32-bit programs"
    setup=$work/setup64.exe
    bash "$root/tools/dist.sh" --nsis-target amd64-unicode --setup-out "$setup" > "$work/setup64.log" 2>&1
fi
bash "$root/tools/wine-run.sh" "$setup" /S > "$work/wine-install.log" 2>&1
wineserver -w
pf64="$c/Program Files" pf32="$c/Program Files (x86)"
same_file() { cmp -s "$1" "$2"; }
check "the silent install puts the 32-bit DLL into Program Files (x86)\\VstPlugins" \
    same_file "$pf32/VstPlugins/Orvanne.dll" "$work/zipx/Orvanne-$version-windows/32-bit/Orvanne.dll"
check "the silent install puts the 64-bit DLL into Program Files\\VstPlugins" \
    same_file "$pf64/VstPlugins/Orvanne.dll" "$work/zipx/Orvanne-$version-windows/64-bit/Orvanne.dll"
for pf in "$pf32" "$pf64"; do
    check "the bank is under ${pf#$c/}\\Tarvelle\\Plug-In Settings\\Orvanne" holds_bank "$pf/Tarvelle/Plug-In Settings/Orvanne"
done
check "the uninstall entry is in the registry" bash -c \
    "grep -A12 -F '[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Orvanne]' '$WINEPREFIX/system.reg' |
     grep -q '\"DisplayVersion\"=\"$version\"'"
# Our Windows test host loads each installed DLL; its preset menu must hold every folder of
# the bank with that folder's presets.
menu_lists_bank() { # menu_lists_bank LOG (lines "folder NAME: PRESET|PRESET|...")
    local folder
    while IFS= read -r folder; do
        grep -qxF "folder $folder: $(cd "$root/dist/linux/presets/$folder" && ls -1 -- *.prg |
            sed 's/\.prg$//' | paste -sd '|')" <(tr -d '\r' < "$1") || return 1
    done < <(cd "$root/dist/linux/presets" && ls -1)
}
for bits in 64 32; do
    if [ "$bits" = 32 ] && [ "$setup" != "$rel/Orvanne-$version-windows-setup.exe" ]; then
        continue # reported as skipped above
    fi
    dll='C:\Program Files\VstPlugins\Orvanne.dll'
    [ "$bits" = 32 ] && dll='C:\Program Files (x86)\VstPlugins\Orvanne.dll'
    timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$root/tools/wine-run.sh" \
        "$root/build/win$bits/tests/dist/orvanne-preset-menu.exe" "$dll" > "$work/menu$bits.log" 2>&1 ||
        wineserver -k # a host that hung is ended with everything it started
    wineserver -w
    check "our test host loads the installed $bits-bit DLL; its preset menu lists the factory folders" \
        menu_lists_bank "$work/menu$bits.log" || sed 's/^/        /' "$work/menu$bits.log"
done
user_preset="$pf64/Tarvelle/Plug-In Settings/Orvanne/00-User Presets/Mine.prg"
mkdir -p "$(dirname "$user_preset")"
cp "$mine" "$user_preset"
# An empty "00-User Presets", as the 32-bit plug-in's editor leaves it, goes with the bank.
mkdir -p "$pf32/Tarvelle/Plug-In Settings/Orvanne/00-User Presets"
bash "$root/tools/wine-run.sh" 'C:\Program Files\Tarvelle\Orvanne\Uninstall.exe' /S > "$work/wine-uninstall.log" 2>&1
wineserver -w
check "the uninstall keeps the user's preset" test -f "$user_preset"
check "the uninstall removes everything it installed" bash -c \
    "[ ! -e '$pf32/VstPlugins' ] && [ ! -e '$pf64/VstPlugins' ] && [ ! -e '$pf32/Tarvelle' ] &&
     [ \"\$(cd '$pf64/Tarvelle' && find . | sort | tr '\n' '|')\" = '.|./Plug-In Settings|./Plug-In Settings/Orvanne|./Plug-In Settings/Orvanne/00-User Presets|./Plug-In Settings/Orvanne/00-User Presets/Mine.prg|' ]"
check "the uninstall entry is gone" bash -c \
    "! grep -qF '[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Orvanne]' '$WINEPREFIX/system.reg'"
exit $status
