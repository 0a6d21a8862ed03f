# Sourced by the scripts that work a Windows test host's window with a real pointer.
# start_wine_host LOG PROGRAM ARGS...: starts the host under Wine in the background (its pid in
# host_pid, its output in LOG) and waits until it prints the screen position of its window's
# client area ("client X Y ..."). A Wine start that fails at once, e.g. while an earlier
# wineserver shuts down, is retried once; a host that never opens its window ends the script.
start_wine_host() {
  host_log=$1
  shift
  local attempt
  for attempt in 1 2; do
    "$root/tools/wine-run.sh" "$@" > "$host_log" 2>&1 &
    host_pid=$!
    host_waits client 120 1 && return 0
    sleep 3
  done
  echo "the host did not open its window"
  cat "$host_log"
  exit 1
}

# host_waits LINE SECONDS COUNT: waits until the host has printed COUNT lines that begin with
# LINE; fails once the host has ended or SECONDS have passed.
host_waits() {
  local line=$1 seconds=$2 count=$3 i n
  for ((i = 0; i < seconds * 20; ++i)); do
    n=$(grep -c "^$line" "$host_log" 2>/dev/null) || true
    [ "${n:-0}" -ge "$count" ] && return 0
    kill -0 "$host_pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

# wait_for_host LINE SECONDS [COUNT]: as host_waits (COUNT 1 by default), but a failure ends
# the script with the host's output.
wait_for_host() {
  host_waits "$1" "$2" "${3:-1}" && return 0
  echo "the host did not print '$1' (${3:-1} times) within $2 s"
  cat "$host_log"
  exit 1
}

# at DX DY: moves the pointer to the host's client area's (X, Y) plus (DX, DY) and waits until
# it is there. (xdotool's wait for a move to where the pointer already is lasts many seconds:
# that move is left out.)
at() {
  local to="$((X + $1)) $((Y + $2))"
  [ "$to" = "${pointer_at:-}" ] || xdotool mousemove --sync $to
  pointer_at=$to
}
