# Sourced by the end-to-end and the fault runs: a folder of the run's own, a
# virtual display with a window manager, the package server, the program, and
# a user's keys. The sourcing script sets $program first.
work=$(mktemp -d)
pids=()
sessions=()  # process groups of their own (setsid), ended whole
mounts=()    # undone in reverse order before the folder goes
cleanup() {
  local p i
  ground_dictapp_stop
  for p in "${sessions[@]}"; do kill -- "-$p" 2>/dev/null || true; done
  # A stopped process (a bus a case stopped) takes its signal once woken.
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null && kill -CONT "$p" 2>/dev/null || true; done
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "${mounts[i]}" 2>/dev/null || true; done
  ground_stop
  rm -rf "$work"
}
trap cleanup EXIT
# No session bus unless a case starts one: nothing reaches the user's own
# dictionary application.
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus
# The dictionary application's language settings come from folders of the
# run's own, never from the user's or the machine's.
export XDG_CONFIG_HOME=$work/config XDG_CONFIG_DIRS=$work/machine
fail() { echo "FAIL: $*" >&2; exit 1; }
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/package_server.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/private_bus.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/ground.sh"
ground_pids=()

# The display; on Windows also the prefix, with the run's folder as the
# user's temporary folder.
start_display() {
  ground_setup "$work" || return 1
  ground_windows || return 0
  ground_temp "$work"
  ground_temp_now=$work
}

start_bus() {
  start_private_bus "$work"
  pids+=("$private_bus_pid")
}

# nginx serving a package of $1 MiB at $2 bytes/s (0: no limit); $3, when
# given, goes into the server's block.
start_server() {
  port=$((20000 + RANDOM % 20000))
  start_package_server "$work" "$port" "$1" "$2" "${3:-}" || fail "package server did not start"
  pids+=("$package_server_pid")
}

# The program in the background as $app. The download service is asked
# through $service_proxy (by default nothing listens there, so the command
# line's address is used and nothing leaves the machine); the temporary
# folder is $program_tmp ($work by default).
start_program() {
  if ground_windows && [ "${program_tmp:-$work}" != "$ground_temp_now" ]; then
    ground_temp "$program_tmp"
    ground_temp_now=$program_tmp
  fi
  http_proxy=${service_proxy:-http://127.0.0.1:9} no_proxy=127.0.0.1 TMPDIR=${program_tmp:-$work} \
    ground_run "$@" 2>>"${program_log:-/dev/null}" &
  app=$!
  pids+=($app)
}

window() {  # the id of the window with caption $1 (of process $2, when given)
  timeout 15 xdotool search --sync --all --onlyvisible ${2:+--pid "$2"} --name "^$1\$" | head -1
}

window_names() {  # the captions of the visible windows of process $1, one a line
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$1" --name '' 2>/dev/null); do
    xprop -id "$id" -notype _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'
  done | grep -vx 'Default IME'  # Wine's input-method window of each thread with windows
}

press() {  # press key $2 in the window captioned $1
  local id
  id=$(window "$1") || fail "no window \"$1\""
  ground_focus "$id"
  xdotool key "$2"
}

ends_within() {  # the program ends within $1 seconds
  for _ in $(seq $(($1 * 20))); do kill -0 "$app" 2>/dev/null || return 0; sleep 0.05; done
  fail "the program still runs after $1 s"
}
