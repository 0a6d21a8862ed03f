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
sleep 1
at() { xdotool mousemove --sync $((X + $1)) $((Y + $2)); }

case "$gesture" in
drag) # "Input Thres": pressed and moved; the host closes while the knob follows the pointer.
  at 156 131; sleep 0.3; xdotool mousedown 1; sleep 0.3
  at 156 121; sleep 0.3; touch "$work/arm"
  for dy in 20 30 40 50; do at 156 $((131 - dy)); sleep 0.2; done
  sleep 0.5; xdotool mouseup 1 ;;
arrow) # The next-preset arrow held down.
  at 558 10; sleep 0.3; xdotool mousedown 1; sleep 0.4; touch "$work/arm"; sleep 1.0; xdotool mouseup 1 ;;
menu) # The links menu open; the closing window dismisses it.
  at 588 10; sleep 0.3; xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; sleep 0.8
  touch "$work/arm"; sleep 1.0; xdotool key Escape ;;
message) # "About Orvanne..." from the links menu: its message box is up when the host closes.
  at 588 10; sleep 0.3; xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; sleep 0.8
  xdotool key Down; sleep 0.2; xdotool key Return; sleep 1.0
  touch "$work/arm"; sleep 1.0; xdotool key Return ;;
*) echo "unknown gesture $gesture"; exit 2 ;;
esac
sleep 1.0
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
