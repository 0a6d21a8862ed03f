#!/usr/bin/env bash
# Runs the Windows editor host under Wine on a virtual X display and works its window with a
# real pointer and keyboard (xdotool), as a person would: drags "Input Thres" upward, taps and
# clicks "Power", opens the About picture and closes it, turns "Recovery" up two notches with the
# wheel, and saves a preset with a long name typed straight into the Save-As dialog. Then
# compares the window's picture with the Linux layer's rendering of the same state and checks
# what the host was told and that the preset file was written.
#
# usage: drive-editor-window.sh HOST.exe PLUGIN.dll SNAPSHOT-PROGRAM WORKDIR
set -euo pipefail
program=$1 plugin=$2 snapshot=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
mkdir -p "$work"
rm -f "$work"/stop "$work"/windows.ppm "$work"/report.txt "$work"/linux.ppm

# The windowed tests' Wine prefix (tools/wine-run.sh), which they take turns at: its desktop
# process belongs to this run's display, and the run waits for its server to end, so the next
# run starts clean.
export WINEPREFIX="$root/build/wineprefix"
# 24 characters: one more than the host's program-name request carries.
name="Drum Bus Glue Version 12"
if [ -z "${DISPLAY:-}" ] || [ "${ORVANNE_INSIDE_XVFB:-}" != 1 ]; then
  exec env ORVANNE_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi

# The preset file of an earlier run would hide a save that did not happen.
find "$WINEPREFIX/drive_c" -name "$name.prg" -delete 2>/dev/null || true

# The host prints the screen position of its window's client area once the editor is open.
# (A Wine start that fails at once, e.g. while an earlier wineserver shuts down, is retried.)
. "$root/tests/support/start-wine-host.sh"
start_wine_host "$work/host.log" "$program" "$plugin" "Z:$work/windows.ppm" "Z:$work/report.txt" "Z:$work/stop" 150 "$name"
read -r _ X Y _ _ < <(grep '^client ' "$work/host.log")
echo "client area at $X,$Y"
# The pointer reaches the editor once its window is mapped.
timeout 20 xdotool search --sync --onlyvisible --name "Orvanne Editor Host" >/dev/null ||
  { echo "the host's window was not mapped within 20 s"; exit 1; }
# The host prints the edits and automation the plug-in reports ("begin 2", "automate 4 0.25");
# each gesture waits for its own. The pauses that are left are the gestures' own: a button held
# as a hand holds it, a pointer moved at a hand's pace.
press() { at "$1" "$2"; xdotool mousedown 1; sleep 0.25; xdotool mouseup 1; }

# "Input Thres": press on the knob, move up 60 pixels in steps, release.
at 156 131
xdotool mousedown 1; wait_for_host "begin 2" 20
for dy in 10 20 30 40 50 60; do at 156 $((131 - dy)); sleep 0.15; done
xdotool mouseup 1; wait_for_host "end 2" 20
# "Power": a 10 ms press (a touchpad tap) switches it on, a hand's press off, a tap on again;
# a tap is over before its message is handled, and must still count.
tap() { at "$1" "$2"; xdotool mousedown 1; sleep 0.01; xdotool mouseup 1; }
tap 644 158; wait_for_host "end 1" 20 1
press 644 158; wait_for_host "end 1" 20 2
tap 644 158; wait_for_host "end 1" 20 3
# The About picture: open it (on the press; the host idles it while the button is held), then
# close it with a click anywhere.
press 28 160
press 700 240
# "Recovery": two notches of the wheel up from Ultra-Fast (after its value of the construction).
at 288 138
xdotool click 4; wait_for_host "automate 4 " 20 2
xdotool click 4; wait_for_host "automate 4 " 20 3
# "Save New Preset As...": open the save menu and take its first entry (the release of the
# opening click may already have taken it), then type the name at once and press Enter.
at 330 8; xdotool mousedown 1; sleep 0.25; xdotool mouseup 1
if ! timeout 1 xdotool search --sync --name "Save Preset As" >/dev/null 2>&1; then
  at 345 11; xdotool click 1
fi
timeout 20 xdotool search --sync --name "Save Preset As" >/dev/null || echo "no Save-As dialog appeared"
xdotool type --delay 60 "$name"
xdotool key Return
# The preset file appears once the dialog's Enter has been handled (its absence is reported
# by the check below).
for _ in $(seq 1 400); do
  [ -n "$(find "$WINEPREFIX/drive_c" -name "$name.prg" 2>/dev/null)" ] && break
  sleep 0.05
done
# Park the pointer outside the window (the host idles a while after the stop before reading its
# picture).
xdotool mousemove --sync 1200 1000

touch "$work/stop"
wait "$host_pid" || { echo "host failed"; cat "$work/host.log"; exit 1; }
wineserver -w || true
saved=$(find "$WINEPREFIX/drive_c" -name "$name.prg" -size 56c 2>/dev/null | head -n 1)
echo "savedfile $([ -n "$saved" ] && echo yes || echo no) $saved" >> "$work/report.txt"
cat "$work/report.txt"

p() { awk -v i="$1" '$1 == "param" && $2 == i { print $3 }' "$work/report.txt"; }
"$snapshot" "$work/linux.ppm" --param 1="$(p 1)" --param 2="$(p 2)" --param 3="$(p 3)" --param 4="$(p 4)"
python3 "$here/check-editor-window.py" "$work/report.txt" "$work/linux.ppm" "$work/windows.ppm"
