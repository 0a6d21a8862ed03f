#!/bin/sh
# Installs Orvanne from this folder into the user's home, or removes it again:
#   ./install.sh             ~/.vst/Orvanne.so, ~/.lv2/orvanne.lv2/, ~/.local/bin/orvanne-render,
#                            ~/.local/share/man/man1/orvanne-render.1 and the factory presets
#                            under $XDG_DATA_HOME/Tarvelle/Plug-In Settings/Orvanne/
#   ./install.sh --uninstall removes exactly those files (and folders left empty); presets you
#                            saved yourself ("00-User Presets" and any other) stay.
# The list of what was installed is kept in $XDG_DATA_HOME/Tarvelle/orvanne-install.list.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
data_home=${XDG_DATA_HOME:-$HOME/.local/share}
case $data_home in /*) ;; *) data_home=$HOME/.local/share ;; esac
preset_root="$data_home/Tarvelle/Plug-In Settings/Orvanne"
list="$data_home/Tarvelle/orvanne-install.list"

uninstall() {
    if [ ! -f "$list" ]; then
        echo "install.sh: Orvanne is not installed here (no $list)" >&2
        exit 1
    fi
    # Files first, then their folders deepest first, each only when empty.
    while IFS= read -r path; do
        [ -n "$path" ] && rm -f -- "$path"
    done < "$list"
    sort -r "$list" | while IFS= read -r path; do
        dir=$(dirname -- "$path")
        while [ "$dir" != "$HOME" ] && [ "$dir" != "/" ] && rmdir -- "$dir" 2>/dev/null; do
            dir=$(dirname -- "$dir")
        done
    done
    rm -f -- "$list"
    rmdir -- "$data_home/Tarvelle" 2>/dev/null || true
    echo "Orvanne removed."
}

put() { # put SOURCE DESTINATION MODE
    mkdir -p -- "$(dirname -- "$2")"
    cp -- "$1" "$2"
    chmod "$3" "$2"
    printf '%s\n' "$2" >> "$list.new"
}

install_all() {
    [ -f "$list" ] && sh "$0" --uninstall > /dev/null
    mkdir -p -- "$(dirname -- "$list")"
    : > "$list.new"
    put "$here/vst/Orvanne.so" "$HOME/.vst/Orvanne.so" 755
    for f in "$here"/lv2/orvanne.lv2/*; do
        put "$f" "$HOME/.lv2/orvanne.lv2/$(basename -- "$f")" 644
    done
    chmod 755 "$HOME"/.lv2/orvanne.lv2/*.so
    put "$here/bin/orvanne-render" "$HOME/.local/bin/orvanne-render" 755
    put "$here/man/orvanne-render.1" "$data_home/man/man1/orvanne-render.1" 644
    (cd "$here/presets" && find . -type f -name '*.prg' | sort) | while IFS= read -r f; do
        put "$here/presets/$f" "$preset_root/${f#./}" 644
    done
    mv -- "$list.new" "$list"
    echo "Orvanne installed:"
    echo "  VST 2.4 plug-in  $HOME/.vst/Orvanne.so"
    echo "  LV2 bundle       $HOME/.lv2/orvanne.lv2/"
    echo "  orvanne-render   $HOME/.local/bin/orvanne-render"
    echo "  factory presets  $preset_root/"
    echo "Rescan plug-ins in your host. Ardour does not scan ~/.vst by itself: add it under"
    echo "Preferences > Plugins > VST > Linux VST Path."
}

case "${1:-}" in
    --uninstall) uninstall ;;
    "") install_all ;;
    *) echo "usage: install.sh [--uninstall]" >&2; exit 2 ;;
esac
