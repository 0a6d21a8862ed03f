# Sourced by the scripts that work a Windows test host's window with a real pointer.
# start_wine_host LOG PROGRAM ARGS...: starts the host under Wine in the background (its pid in
# host_pid) and waits until it prints the screen position of its window's client area
# ("client X Y ..."). A Wine start that fails at once, e.g. while an earlier wineserver shuts
# down, is retried once; a host that never opens its window ends the script.
start_wine_host() {
  local log=$1
  shift
  local attempt
  for attempt in 1 2; do
    "$root/tools/wine-run.sh" "$@" > "$log" 2>&1 &
    host_pid=$!
    for _ in $(seq 1 600); do
      grep -q '^client ' "$log" 2>/dev/null && return 0
      kill -0 "$host_pid" 2>/dev/null || break
      sleep 0.2
    done
    sleep 3
  done
  echo "the host did not open its window"
  cat "$log"
  exit 1
}
