# Sourced by the end-to-end and the fault runs and by the Windows test runs:
# a virtual display with a window manager, so that focus follows a new window
# as on a desktop.
#
#   start_virtual_display <folder>
#
# exports DISPLAY and sets virtual_display_pids (the server, the manager).
start_virtual_display() {
  local dir=$1
  rm -f "$dir/display"
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$dir/display" >/dev/null 2>&1 &
  virtual_display_pids=($!)
  for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.05; done
  [ -s "$dir/display" ] || { echo "the virtual display did not start" >&2; return 1; }
  export DISPLAY=:$(cat "$dir/display")
  openbox --sm-disable >/dev/null 2>&1 &
  virtual_display_pids+=($!)
  for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.05; done
  # It announces itself before it manages new windows; give it a moment.
  sleep 0.5
}
