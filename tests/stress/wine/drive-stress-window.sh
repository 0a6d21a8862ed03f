#!/usr/bin/env bash
# Runs the Windows stress host under Wine on a virtual X display and works the editor with a
# real pointer (xdotool) while the host closes the editor (close-window) or the whole plug-in
# (close-effect) from its idle: during a knob drag, while an arrow is held, with a pop-up menu
# open, and with the About message box up. The host must survive, the close must happen, and
# the editor's window must be gone afterwards.
#
# usage: drive-stress-window.sh HOST.exe PLUGIN.dll WORKDIR close-window|close-effect drag|arrow|menu|message
set -euo pipefail
program=$1 plugin=$2 work=$3 mode=$4 gesture=$5
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
mkdir -p "$work"
rm -f "$work"/arm "$work"/stop "$work"/report.txt "$work"/host.log

# One Wine prefix for all these runs (they take turns: a resource lock in ctest); each run
# waits for the prefix's server to end, so the next starts clean on its own display.
export WINEPREFIX="$(dirname "$work")/stress-wineprefix"
if [ -z "${DISPLAY:-}" ] || [ "${ORVANNE_INSIDE_XVFB:-}" != 1 ]; then
  exec env ORVANNE_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi

. "$root/tests/support/start-wine-host.sh"
start_wine_host "$work/host.log" "$program" "$plugin" "$mode" "Z:$work/arm" "Z:$work/stop" "Z:$work/report.txt"
read -r _ X Y _ < <(grep '^client ' "$work/host.log" | tr -d '\r')
# The pointer reaches the editor once its window is mapped.
timeout 20 xdotool search --sync --onlyvisible --name "Orvanne Stress Host" >/dev/null ||
  { echo "the host's window was not mapped within 20 s"; exit 1; }
# The host says when it closed, and when a pop-up menu or a dialog is up (the pauses that are
# left are the gestures' own: a button held, a pointer moved at a hand's pace).
closed() { wait_for_host closed 20; }

case "$gesture" in
drag) # "Input Thres": pressed and moved; the host closes while the knob follows the pointer.
  at 156 131; xdotool mousedown 1; at 156 121; wait_for_host "up plug-in idle" 20; touch "$work/arm"
  for dy in 20 30 40 50; do at 156 $((131 - dy)); sleep 0.2; done
  closed; xdotool mouseup 1 ;;
arrow) # The next-preset arrow held down.
  at 558 10; xdotool mousedown 1; wait_for_host "up plug-in idle" 20; touch "$work/arm"; closed
  xdotool mouseup 1 ;;
menu) # The links menu open; the closing window dismisses it.
  at 588 10; xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; wait_for_host "up menu" 20
  touch "$work/arm"; closed; xdotool key Escape ;;
message) # "About Orvanne..." from the links menu: its message box is up when the host closes.
  at 588 10; xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; wait_for_host "up menu" 20
  xdotool key Down Return; wait_for_host "up dialog" 20
  touch "$work/arm"; closed; xdotool key Return ;;
*) echo "unknown gesture $gesture"; exit 2 ;;
esac
# The last gesture reaches a host that has closed: time for it to be handled before the stop.
sleep 0.5
touch "$work/stop"
status=0
wait "$host_pid" || status=$?
wineserver -w || true
[ $status = 0 ] || { echo "host failed ($status)"; cat "$work/host.log"; exit 1; }
sed -i 's/\r$//' "$work/report.txt" # written in Windows text mode
cat "$work/report.txt"

failed=0
expect() { grep -qx "$1" "$work/report.txt" || { echo "FAIL: expected '$1'"; failed=1; }; }
case "$gesture" in
drag | arrow) expect "closed plug-in idle" ;; # from inside the control's own loop
menu) expect "closed timer"; expect "inside menu" ;;   # the timer runs inside the menu's loop
message) expect "closed timer"; expect "inside dialog" ;;
esac
expect "editor-window gone"
[ "$mode" = close-effect ] && expect "plug-in closed"
echo "stress window $mode $gesture: $([ $failed = 0 ] && echo ok || echo failed)"
exit $failed
