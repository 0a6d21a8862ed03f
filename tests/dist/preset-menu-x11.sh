#!/usr/bin/env bash
# The Linux plug-in's preset menu as a user works it, on a virtual X display: for every folder
# of BANK (a preset root), orvanne-render --edit opens the plug-in's editor, the preset menu is
# opened with a click on the preset name and that folder's first preset is taken with the
# keyboard; the state saved when the window closes must be that preset's file, byte for byte.
# The menu lists "Factory Setting", a separator, then the folders of all roots by name; the
# user's own root always holds "00-User Presets", so BANK's k-th folder is k+1 entries down.
#
# usage: preset-menu-x11.sh RENDER PLUGIN BANK WORKDIR   (under xvfb-run, or it starts one)
# Prints one "ok" or "FAILED" line per folder; the exit status is 1 if any failed.
set -uo pipefail
render=$1 plugin=$2 bank=$3 work=$4
if [ "${ORVANNE_INSIDE_XVFB:-}" != 1 ]; then
    exec env ORVANNE_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi
export LC_ALL=C
mkdir -p "$work"
status=0

# Waits up to 20 s for a condition; false (with the reason) when it never held.
wait_for() { # wait_for WHAT COMMAND...
    local what=$1
    shift
    for _ in $(seq 1 200); do
        "$@" && return 0
        sleep 0.1
    done
    echo "        gave up waiting: $what" >&2
    return 1
}
toplevels() { xwininfo -root -children | grep -c '^ *0x'; }
menus_open() { [ "$(toplevels)" = "$(($1 + 1))" ]; } # beside the host's window
editor_in() { xwininfo -children -id "$1" | grep -q '1 child'; }
ended() { ! kill -0 "$1" 2> /dev/null; }

# choose K: the first preset of BANK's K-th folder (0-based); the saved state in $work/state.bin
choose() {
    local k=$1 window keys=(Down Down) i
    rm -f "$work/state.bin"
    "$render" --plugin "$plugin" --edit --save-state "$work/state.bin" -q -y --demo "$work/out.wav" \
        > "$work/render.log" 2>&1 &
    local pid=$!
    window=$(timeout 30 xdotool search --sync --name '^orvanne-render' | head -n 1)
    [ -n "$window" ] && wait_for "the editor opens" editor_in "$window" &&
        xdotool mousemove --window "$window" 420 9 click 1 && wait_for "the preset menu opens" menus_open 1 || {
        kill "$pid" 2> /dev/null
        wait "$pid"
        return 1
    }
    for ((i = 0; i <= k; ++i)); do keys+=(Down); done
    xdotool key "${keys[@]}" Right && wait_for "the folder's submenu opens" menus_open 2 &&
        xdotool key Return && wait_for "the menus close" menus_open 0
    xdotool windowclose "$window"
    wait_for "orvanne-render renders and ends" ended "$pid" || kill "$pid" 2> /dev/null
    wait "$pid"
}

k=0
while IFS= read -r folder; do
    first=$(cd "$bank/$folder" && ls -1 -- *.prg | head -n 1)
    if choose "$k" && cmp -s "$bank/$folder/$first" "$work/state.bin"; then
        echo "ok      the preset menu lists \"$folder\" and takes \"${first%.prg}\" from it"
    else
        echo "FAILED  the preset menu lists \"$folder\" and takes \"${first%.prg}\" from it"
        sed 's/^/        /' "$work/render.log"
        status=1
    fi
    k=$((k + 1))
done < <(cd "$bank" && ls -1d -- */ | sed 's|/$||')
exit $status
