#!/usr/bin/env bash
# make dist: the release files in dist/release/ from the built dist/ folders:
#   Orvanne-<ver>-windows-setup.exe   NSIS installer (packaging/windows/orvanne.nsi)
#   Orvanne-<ver>-windows.zip         both DLLs, the presets, a read-me
#   orvanne_<ver>_amd64.deb           the Linux plug-ins, orvanne-render, the presets
#   Orvanne-<ver>-linux-x86_64.tar.gz the same with install.sh
#   Orvanne-<ver>-debug-symbols.tar.gz the debug information stripped from the binaries above
#   SHA256SUMS
# Every binary is stripped and points to its debug file (.gnu_debuglink). Timestamps come from
# SOURCE_DATE_EPOCH (default: the last commit), so a rebuild gives the same bytes.
#   tools/dist.sh [--nsis-target amd64-unicode --setup-out FILE]
# The second form only builds the installer for another stub (the tests use the 64-bit stub
# where 32-bit programs cannot run).
set -euo pipefail
export LC_ALL=C TZ=UTC

root=$(cd "$(dirname "$0")/.." && pwd)
native=${NATIVE:-$root/build/linux}
dist=$root/dist
out=${DIST_OUT:-$root/dist/release}
stage=${DIST_STAGE:-$root/build/dist-stage}
nsis_target=""
setup_out=""
while [ $# -gt 0 ]; do
    case $1 in
        --nsis-target) nsis_target=$2; shift 2 ;;
        --setup-out) setup_out=$2; shift 2 ;;
        *) echo "dist.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done

version=$(cat "$native/version/version.txt")
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 0)
fi
export SOURCE_DATE_EPOCH
lv2=$dist/lv2/orvanne.lv2
inputs=("$dist/linux/Orvanne.so" "$dist/linux/orvanne-render" "$dist/linux/presets" "$lv2/orvanne.so"
    "$lv2/orvanne_ui.so" "$lv2/manifest.ttl" "$lv2/orvanne.ttl" "$lv2/presets.ttl" "$lv2/orvanne_ui.ttl"
    "$dist/win32/Orvanne.dll" "$dist/win64/Orvanne.dll")
for f in "${inputs[@]}"; do
    [ -e "$f" ] || { echo "dist.sh: $f is missing; run make build first" >&2; exit 1; }
done

subst() { sed -e "s/@VERSION@/$version/g" "$@"; }
stamp() { find "$@" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +; }
# Deterministic archives of one folder below $1.
tarball() { # tarball OUT.tar.gz DIR NAME
    tar -C "$2" --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
        --format=gnu -cf - "$3" | gzip -9n > "$1"
}

# A stripped copy of a binary with its debug file beside the others.
# strip_into OBJCOPY SOURCE DEST DEBUGFILE
strip_into() {
    mkdir -p "$(dirname "$3")" "$(dirname "$4")"
    "$1" --only-keep-debug "$2" "$4"
    chmod 644 "$4"
    "$1" --strip-debug --strip-unneeded --remove-section=.comment "$2" "$3.tmp"
    (cd "$(dirname "$4")" && "$1" --add-gnu-debuglink="$(basename "$4")" "$3.tmp")
    mv "$3.tmp" "$3"
}

rm -rf "$stage"
mkdir -p "$stage" "$out"
bin=$stage/bin debug=$stage/debug/Orvanne-$version-debug-symbols

# Stripped binaries.
strip_into objcopy "$dist/linux/Orvanne.so" "$bin/linux/Orvanne.so" "$debug/linux/Orvanne.so.debug"
strip_into objcopy "$dist/linux/orvanne-render" "$bin/linux/orvanne-render" "$debug/linux/orvanne-render.debug"
strip_into objcopy "$lv2/orvanne.so" "$bin/lv2/orvanne.so" "$debug/lv2/orvanne.so.debug"
strip_into objcopy "$lv2/orvanne_ui.so" "$bin/lv2/orvanne_ui.so" "$debug/lv2/orvanne_ui.so.debug"
strip_into i686-w64-mingw32-objcopy "$dist/win32/Orvanne.dll" "$bin/win32/Orvanne.dll" "$debug/win32/Orvanne.dll.debug"
strip_into x86_64-w64-mingw32-objcopy "$dist/win64/Orvanne.dll" "$bin/win64/Orvanne.dll" "$debug/win64/Orvanne.dll.debug"
cp "$lv2"/*.ttl "$bin/lv2/"
cp -r "$dist/linux/presets" "$stage/presets"
chmod -R u+rwX,go+rX,go-w "$stage"

# --- Windows installer ---
nsis=$stage/nsis
mkdir -p "$nsis/win32" "$nsis/win64"
cp "$bin/win32/Orvanne.dll" "$nsis/win32/"
cp "$bin/win64/Orvanne.dll" "$nsis/win64/"
subst "$root/packaging/windows/readme.txt" | sed 's/$/\r/' > "$nsis/readme.txt"
{
    echo '!macro InstallPresets'
    (cd "$stage/presets" && find . -mindepth 1 -maxdepth 1 -type d | sort) | while IFS= read -r folder; do
        folder=${folder#./}
        echo "  SetOutPath \"\$PresetRoot\\$folder\""
        (cd "$stage/presets/$folder" && find . -type f -name '*.prg' | sort) | while IFS= read -r f; do
            echo "  File \"/oname=${f#./}\" \"$stage/presets/$folder/${f#./}\""
        done
    done
    echo '!macroend'
    echo '!macro RemovePresets'
    (cd "$stage/presets" && find . -mindepth 1 -maxdepth 1 -type d | sort) | while IFS= read -r folder; do
        folder=${folder#./}
        (cd "$stage/presets/$folder" && find . -type f -name '*.prg' | sort) | while IFS= read -r f; do
            echo "  Delete \"\$PresetRoot\\$folder\\${f#./}\""
        done
        echo "  RMDir \"\$PresetRoot\\$folder\""
    done
    # The plug-in makes "00-User Presets" when its editor opens: it goes only while empty.
    echo '  RMDir "$PresetRoot\00-User Presets"'
    echo '  RMDir "$PresetRoot"'
    echo '  RMDir "$PresetRoot\.."'
    echo '  RMDir "$PresetRoot\..\.."'
    echo '!macroend'
} > "$nsis/presets.nsh"
preset_kb=$(du -sk --apparent-size "$stage/presets" | cut -f1)
dll_kb=$(( ($(stat -c %s "$nsis/win32/Orvanne.dll") + $(stat -c %s "$nsis/win64/Orvanne.dll")) / 1024 ))
installed_kb=$(( dll_kb + 2 * preset_kb + 64 ))
setup=${setup_out:-$out/Orvanne-$version-windows-setup.exe}
# makensis itself writes the same bytes for the same input, but it stores each file's time
# (SetDateSave), so the staged files get the fixed one.
stamp "$nsis" "$stage/presets"
nsis_args=(-V2 -NOCD "-DVERSION=$version" "-DSTAGE=$nsis" "-DOUTFILE=$setup" "-DINSTALLED_KB=$installed_kb")
[ -n "$nsis_target" ] && nsis_args+=("-DTARGET=$nsis_target")
makensis "${nsis_args[@]}" "$root/packaging/windows/orvanne.nsi"
if [ -n "$setup_out" ]; then
    exit 0
fi

# --- Windows zip ---
zipdir=$stage/zip/Orvanne-$version-windows
mkdir -p "$zipdir/32-bit" "$zipdir/64-bit"
cp "$bin/win32/Orvanne.dll" "$zipdir/32-bit/"
cp "$bin/win64/Orvanne.dll" "$zipdir/64-bit/"
cp -r "$stage/presets" "$zipdir/Presets"
cp "$nsis/readme.txt" "$zipdir/readme.txt"
stamp "$stage/zip"
rm -f "$out/Orvanne-$version-windows.zip"
(cd "$stage/zip" && find "Orvanne-$version-windows" | sort | zip -X -q -@ "$out/Orvanne-$version-windows.zip")

# --- Linux tar.gz ---
tardir=$stage/tar/Orvanne-$version-linux-x86_64
mkdir -p "$tardir/vst" "$tardir/lv2/orvanne.lv2" "$tardir/bin" "$tardir/man"
cp "$bin/linux/Orvanne.so" "$tardir/vst/"
cp "$bin/lv2/"* "$tardir/lv2/orvanne.lv2/"
cp "$bin/linux/orvanne-render" "$tardir/bin/"
subst "$root/packaging/linux/orvanne-render.1" > "$tardir/man/orvanne-render.1"
cp -r "$stage/presets" "$tardir/presets"
cp "$root/packaging/linux/install.sh" "$tardir/install.sh"
subst "$root/packaging/linux/readme.txt" > "$tardir/README.txt"
cp "$root/CHANGELOG.md" "$tardir/CHANGELOG.md"
chmod 755 "$tardir/install.sh" "$tardir/bin/orvanne-render"
stamp "$stage/tar"
tarball "$out/Orvanne-$version-linux-x86_64.tar.gz" "$stage/tar" "Orvanne-$version-linux-x86_64"

# --- Debian package ---
deb=$stage/deb
presets_deb="$deb/usr/share/Tarvelle/Plug-In Settings/Orvanne"
doc=$deb/usr/share/doc/orvanne
mkdir -p "$deb/DEBIAN" "$deb/usr/lib/vst" "$deb/usr/lib/lv2/orvanne.lv2" "$deb/usr/bin" "$deb/usr/share/man/man1" \
    "$(dirname "$presets_deb")" "$doc"
install -m 644 "$bin/linux/Orvanne.so" "$deb/usr/lib/vst/"
install -m 644 "$bin/lv2/"* "$deb/usr/lib/lv2/orvanne.lv2/"
install -m 755 "$bin/linux/orvanne-render" "$deb/usr/bin/"
subst "$root/packaging/linux/orvanne-render.1" | gzip -9n > "$deb/usr/share/man/man1/orvanne-render.1.gz"
cp -r "$stage/presets" "$presets_deb"
sed "s/@YEAR@/$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y)/g" "$root/packaging/debian/copyright" > "$doc/copyright"
subst "$root/packaging/debian/changelog.in" | sed "s/@DATE@/$(date -u -d "@$SOURCE_DATE_EPOCH" -R)/" |
    gzip -9n > "$doc/changelog.gz"
find "$deb/usr" -type d -exec chmod 755 {} +
find "$deb/usr" -type f -exec chmod 644 {} +
chmod 755 "$deb/usr/bin/orvanne-render"
# Dependencies of the ELF files, as dpkg-shlibdeps finds them.
shl=$stage/shlibs
mkdir -p "$shl/debian"
printf 'Source: orvanne\n\nPackage: orvanne\nArchitecture: amd64\n' > "$shl/debian/control"
depends=$(cd "$shl" && dpkg-shlibdeps -O "$deb/usr/bin/orvanne-render" "$deb/usr/lib/vst/Orvanne.so" \
    "$deb/usr/lib/lv2/orvanne.lv2/orvanne.so" "$deb/usr/lib/lv2/orvanne.lv2/orvanne_ui.so" 2>"$shl/warnings" |
    sed -n 's/^shlibs:Depends=//p')
installed_kb=$(du -sk --apparent-size "$deb/usr" | cut -f1)
subst "$root/packaging/debian/control.in" | sed -e "s/@DEPENDS@/$depends/" -e "s/@INSTALLED_KB@/$installed_kb/" \
    > "$deb/DEBIAN/control"
(cd "$deb" && find usr -type f | sort | xargs -d '\n' md5sum) > "$deb/DEBIAN/md5sums"
chmod 644 "$deb/DEBIAN/control" "$deb/DEBIAN/md5sums"
stamp "$deb"
dpkg-deb --root-owner-group -Zxz --build "$deb" "$out/orvanne_${version}_amd64.deb" > /dev/null

# --- Debug symbols, checksums ---
stamp "$stage/debug"
tarball "$out/Orvanne-$version-debug-symbols.tar.gz" "$stage/debug" "Orvanne-$version-debug-symbols"
(cd "$out" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | sort | xargs -d '\n' sha256sum) \
    > "$out/SHA256SUMS"
echo "dist: $out"
(cd "$out" && ls -l)
