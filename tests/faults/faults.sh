#!/usr/bin/env bash
# The real program against faults around its files and its server: full
# disks, kills and leaving at each stage, odd things planted at its paths,
# error pages, a stalled server, one that never answers the connection, a
# name the locale cannot spell. After every case the destination is absent
# or one whole package (or, where a case planted something there, exactly
# what was planted), and what is left on disk is reported.
#   faults.sh <program> <case>
set -euo pipefail
program=$1
case=$2

# The Windows build under Wine: cases whose fault Wine cannot lay before a
# Windows program are skipped with the reason. Its server lives outside any
# mount namespace of the run's, so a second file system is /dev/shm there.
if [[ $program == *.exe ]]; then
  case $case in
    symlink_temp | symlink_dest)
      echo "SKIP: $case: Wine 8 shows a program a symbolic link of the Unix file system as the file it points to; Windows' own links (reparse points) are opened as themselves and refused"
      exit 0 ;;
    foreign_temp)
      echo "SKIP: $case: on Windows the temporary folder is the user's own; no other user's file lies in it"
      exit 0 ;;
    latin1_name)
      echo "SKIP: $case: Windows names files in Unicode; a name the locale cannot spell is the POSIX ground's case"
      exit 0 ;;
    tmp_full | dest_full | dest_readonly)
      echo "SKIP: $case: Wine's server cannot see a file system mounted for the run alone"
      exit 0 ;;
    bus_stopped_at_start | bus_stopped_at_install)
      echo "SKIP: $case: the session bus is the POSIX ground's stand-in for COM"
      exit 0 ;;
  esac
fi

# Cases that mount file systems run in a mount namespace of their own: the
# mounts are nobody else's, and they go with the run.
case $case in
  tmp_full | dest_full | copy_across | kill_copy | leave_copy | dest_readonly)
    if [[ $program != *.exe ]] && [ "${FAULTS_PRIVATE_MOUNTS:-}" != 1 ]; then
      unshare -m --propagation private true 2>/dev/null || { echo "SKIP: $case: no mount namespace of its own"; exit 0; }
      FAULTS_PRIVATE_MOUNTS=1 exec unshare -m --propagation private bash "$0" "$@"
    fi
    ;;
esac

source "$(dirname "$0")/../e2e/session.sh"

shm_folders=()  # folders of the run's own in /dev/shm, gone with it
trap 'rm -rf "${shm_folders[@]}"; cleanup' EXIT
program_tmp=$work/tmp
program_log=$work/program.log
dicts=$work/dicts
dest=$dicts/dict.zip
packages=()        # what the destination may hold: each a whole package
planted_dest=      # the fingerprint of what a case planted at the destination
planted_temp=      # ... at the temporary path
victim= planted_victim=  # a file a planted link points at, and its fingerprint
started=
mkdir -p "$program_tmp" "$dicts"
# The toolkit's runtime folder elsewhere than the temporary folder.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"

temp_path() { echo "$program_tmp/$(basename "$dest")"; }
show() { LC_ALL=C printf '%q' "${1#"$work"/}"; }  # bytes beyond ASCII as escapes

# What lies at $1, in words.
describe() {
  local f=$1 p size
  if [ -L "$f" ]; then echo "a symbolic link to $(readlink "$f")"; return; fi
  if [ -p "$f" ]; then echo "a named pipe"; return; fi
  if [ -d "$f" ]; then echo "a folder"; return; fi
  if [ ! -e "$f" ]; then echo "absent"; return; fi
  if [ ! -f "$f" ]; then stat -c %F "$f"; return; fi
  size=$(stat -c %s "$f")
  for p in "${packages[@]}"; do
    cmp -s "$p" "$f" && { echo "the whole package$([ ${#packages[@]} -gt 1 ] && echo " from /$(basename "$(dirname "$p")")/") ($size bytes)"; return; }
  done
  for p in "${packages[@]}"; do
    [ "$size" -gt 0 ] && cmp -s -n "$size" "$p" "$f" &&
      { echo "the first $size of the package's $(stat -c %s "$p") bytes"; return; }
  done
  echo "a file of $size bytes$([ "$(stat -c %u "$f")" = "$(id -u)" ] || echo " owned by user $(stat -c %u "$f")"), not a whole package"
}

# Type, identity, size, time, owner, mode, link and content of $1: equal
# fingerprints mean nobody touched it.
fingerprint() {
  stat -c '%F %i %s %Y %u %a' "$1" 2>&1 || true
  readlink "$1" || true
  if [ -f "$1" ] && [ ! -L "$1" ]; then md5sum <"$1"; fi
}

# Entries of folder $1 other than the destination and the temporary file.
others() {
  [ -d "$1" ] || return 0
  (
    shopt -s nullglob dotglob
    for f in "$1"/*; do
      [ "$f" = "$dest" ] || [ "$f" -ef "$dest" ] || [ "$f" = "$(temp_path)" ] || echo "$(show "$f") ($(describe "$f"))"
    done
  )
}

report() {
  local extra
  [ -n "$started" ] || return 0
  echo "left: temporary file $(show "$(temp_path)"): $(describe "$(temp_path)")"
  echo "left: destination $(show "$dest"): $(describe "$dest")"
  extra=$(others "$(dirname "$dest")" | paste -sd ';')
  echo "left: else in the destination folder: ${extra:-nothing}"
  extra=$(others "$program_tmp" | paste -sd ';')
  echo "left: else in the temporary folder: ${extra:-nothing}"
}
trap 'report; cleanup' EXIT

# The destination is absent or a whole package in a file of its own; where
# the case planted something there, it is still exactly that. A planted
# temporary file and the file behind a planted link are untouched.
check_invariant() {
  local p
  [ -z "$planted_temp" ] || [ "$(fingerprint "$(temp_path)")" = "$planted_temp" ] ||
    fail "what was planted at the temporary path was touched: now $(describe "$(temp_path)")"
  [ -z "$victim" ] || [ "$(fingerprint "$victim")" = "$planted_victim" ] ||
    fail "the file behind the planted link was written: now $(describe "$victim")"
  if [ -n "$planted_dest" ]; then
    [ "$(fingerprint "$dest")" = "$planted_dest" ] ||
      fail "what was planted at the destination was replaced: now $(describe "$dest")"
    return 0
  fi
  [ -e "$dest" ] || [ -L "$dest" ] || return 0
  if [ -f "$dest" ] && [ ! -L "$dest" ]; then
    for p in "${packages[@]}"; do cmp -s "$p" "$dest" && return 0; done
  fi
  fail "the destination is $(describe "$dest")"
}

no_destination() {
  if [ -n "$planted_dest" ]; then check_invariant; return; fi
  [ ! -e "$dest" ] && [ ! -L "$dest" ] || fail "a destination was placed: $(describe "$dest")"
}

temp_kept_whole() {
  cmp -s "${packages[0]}" "$(temp_path)" || fail "the temporary file was not kept whole: $(describe "$(temp_path)")"
}

nothing_else_in_destination_folder() {
  local extra
  extra=$(others "$(dirname "$dest")")
  [ -z "$extra" ] || fail "the destination folder holds more: $extra"
}

mount_tmpfs() {  # a file system of size $2 at folder $1
  mkdir -p "$1"
  mount -t tmpfs -o "size=$2" tmpfs "$1" 2>/dev/null || { echo "SKIP: $case: file systems cannot be mounted here"; exit 0; }
  mounts+=("$1")
}

# A server on $stall_port that sends file $1 to whoever connects, then says
# nothing more; $work/stall-reached appears at the first connection.
start_stall_server() {
  stall_port=$((20000 + RANDOM % 20000))
  printf 'touch %q\ncat %q\nexec sleep 110\n' "$work/stall-reached" "$1" >"$work/stall.sh"
  setsid socat "TCP-LISTEN:$stall_port,bind=127.0.0.1,reuseaddr,fork" "SYSTEM:bash $work/stall.sh" >/dev/null 2>&1 &
  sessions+=($!)
  for _ in $(seq 100); do
    ss -ltnH "sport = :$stall_port" | grep -q . && return 0
    sleep 0.05
  done
  fail "the stalling server did not start"
}

# A server on $queue_port that never takes a connection, its queue full: an
# attempt to connect to it is never answered. It connects to itself until a
# connection stays unanswered (the system may tell a client it is connected
# while it drops the client's last handshake packet).
start_full_queue() {
  read -r queue_port queue_pid < <(perl -MIO::Socket::INET -MIO::Select -e '
    my $l = IO::Socket::INET->new(LocalAddr => "127.0.0.1", LocalPort => 0, Proto => "tcp") or die;
    $l->listen(0) or die;
    my @fillers;
    for (1 .. 64) {
      my $s = IO::Socket::INET->new(PeerAddr => "127.0.0.1", PeerPort => $l->sockport, Blocking => 0) or die;
      push @fillers, $s;
      last unless IO::Select->new($s)->can_write(0.3) && $s->connected;
    }
    my $pid = fork // die;
    if ($pid) { print $l->sockport, " $pid\n"; exit }
    close STDOUT;
    sleep 110' 2>/dev/null) && [ -n "$queue_pid" ] || fail "the server with a full queue did not start"
  pids+=("$queue_pid")
}

server() {  # start_server, and the package it serves is the one expected
  start_server "$@"
  packages=("$work/www/packages/dict.zip")
}

run() {  # the program for package address $1 (the served package by default)
  started_at=$(date +%s%N)
  start_program "-${1:-http://127.0.0.1:$port/packages/dict.zip}" "-$dest" -12#345 -简明 -1
  started=1
}

error_window() { xdotool search --all --onlyvisible --pid "${1:-$app}" --name '^错误$' 2>/dev/null | head -1 || true; }

ended_how() {  # of a program that ended: how, and what it said
  local st=0
  wait "$app" || st=$?
  [ "$st" -lt 128 ] && echo "status $st" || echo "signal $((st - 128))"
  [ -s "$program_log" ] && tail -3 "$program_log" | sed 's/^/  program: /'
  return 0
}

exited_cleanly() {
  local st=0
  wait "$app" || st=$?
  [ "$st" -lt 128 ] || fail "the program ended by signal $((st - 128))"
}

# The error dialog shows within $1 seconds (30 by default).
expect_error() {
  local end=$((SECONDS + ${1:-30}))
  while [ "$SECONDS" -lt "$end" ]; do
    [ -z "$(error_window)" ] || return 0
    kill -0 "$app" 2>/dev/null || fail "the program ended without the error dialog: $(ended_how)"
    check_invariant
    no_destination
    sleep 0.1
  done
  fail "no error dialog within ${1:-30} s"
}

# "退出" (Escape) in the error dialog ends the program, and not by a crash.
leave_from_error() {
  press 错误 Escape
  ends_within 10
  exited_cleanly
}

# The package is placed within $1 seconds (30 by default) and the temporary
# file is gone; the destination's times are kept in $placed_times before
# anything reads it. Then the button reads "完成": Escape leads to the
# install dialog, whose Enter ends the program (within $2 seconds, 10 by
# default); $before_install runs just before that Enter.
expect_done() {
  local size id end
  size=$(stat -c %s "${packages[0]}")
  end=$((SECONDS + ${1:-30}))
  while [ "$SECONDS" -lt "$end" ]; do
    [ -z "$(error_window)" ] || fail "the error dialog instead of the package; destination: $(describe "$dest")"
    kill -0 "$app" 2>/dev/null || fail "the program ended before placing the package: $(ended_how)"
    if [ ! -e "$(temp_path)" ] && [ -f "$dest" ] && [ "$(stat -c %s "$dest")" = "$size" ]; then
      placed_times=$(stat -c '%X %Y' "$dest")
      cmp -s "${packages[0]}" "$dest" || fail "the destination is $(describe "$dest")"
      sleep 0.3
      press 词典下载 Escape
      id=$(timeout 5 xdotool search --sync --onlyvisible --name '^(安装|确认退出)$' | head -1) || true
      [ -n "$id" ] && [ "$(xdotool getwindowname "$id")" = 安装 ] ||
        fail "the package is placed but the button does not read 完成 (Escape asks to leave)"
      ${before_install:-}
      press 安装 Return
      ends_within "${2:-10}"
      exited_cleanly
      return 0
    fi
    sleep 0.1
  done
  fail "the package was not placed within ${1:-30} s: destination $(describe "$dest"), temporary file $(describe "$(temp_path)")"
}

# The window captioned $2 is shown within $1 seconds of the program's start.
shown_within() {
  local end=$((started_at + $1 * 1000000000))
  until [ -n "$(xdotool search --all --onlyvisible --pid "$app" --name "^$2\$" 2>/dev/null | head -1)" ]; do
    [ "$(date +%s%N)" -lt "$end" ] || fail "no window \"$2\" within $1 s of the start"
    sleep 0.05
  done
}

# Polls command $2... until it holds, for $1 seconds at most.
within() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.005
  done
}

temp_larger_than() { [ "$(stat -c %s "$(temp_path)" 2>/dev/null || echo 0)" -gt "$1" ]; }

placing() {  # the program has a file open in the destination folder
  find "/proc/$app/fd" -lname "$(dirname "$dest")/*" -print -quit 2>/dev/null | grep -q .
}

wait_placing() {  # until the program places the package ($1 s at most)
  local end=$((SECONDS + $1))
  while [ "$SECONDS" -lt "$end" ]; do
    placing && return 0
    kill -0 "$app" 2>/dev/null || fail "the program ended before placing: $(ended_how)"
    [ -z "$(error_window)" ] || fail "the error dialog before placing"
    if [ -e "$dest" ] && ! placing; then fail "the placement went by unseen"; fi
    sleep 0.005
  done
  fail "no placement within $1 s"
}

kill_program() {
  kill -9 "$app" 2>/dev/null || fail "the program had ended already: $(ended_how)"
  wait "$app" 2>/dev/null || true
}

# A package large enough for the copy across file systems to take a while
# ($1 MiB): the temporary folder on a file system of its own, the destination
# on the disk.
# A temporary folder on a file system of its own, for a package of $1 MiB.
other_tmp() {
  if ground_windows; then
    [ "$(stat -c %d /dev/shm)" != "$(stat -c %d "$work")" ] || { echo "SKIP: $case: no second file system"; exit 0; }
    program_tmp=$(mktemp -d -p /dev/shm)
    shm_folders+=("$program_tmp")
    return
  fi
  mount_tmpfs "$program_tmp" $(($1 + 128))m
}

big_copy() {
  other_tmp "$1"
  server "$1" 0
  run
}

# Settled: program $1 shows the error dialog, or the server has answered
# its request for $2 and it holds no file in either folder.
settled() {
  [ -n "$(error_window "$1")" ] && return 0
  grep -q "GET $2 " "$work/nginx/access.log" 2>/dev/null || return 1
  ! find "/proc/$1/fd" \( -lname "$program_tmp/*" -o -lname "$dicts/*" \) -print -quit 2>/dev/null | grep -q .
}

start_display
case $case in
  tmp_full)
    mount_tmpfs "$program_tmp" 4m
    server 16 0
    run
    expect_error
    no_destination
    leave_from_error
    nothing_else_in_destination_folder
    ;;
  dest_full)
    mount_tmpfs "$dicts" 4m
    server 16 0
    run
    expect_error
    no_destination
    temp_kept_whole
    nothing_else_in_destination_folder
    leave_from_error
    ;;
  copy_across)
    other_tmp 16
    server 16 0
    run
    expect_done
    stamp=$(($(stat -c %Y "${packages[0]}") + 14400))
    [ "$placed_times" = "$stamp $stamp" ] ||
      fail "the destination's times (access, modification) are $placed_times, not the server's time + 14400 s: $stamp"
    nothing_else_in_destination_folder
    ;;
  kill_copy)
    big_copy 512
    wait_placing 60
    kill_program
    ;;
  leave_copy)
    # Large enough for the copy to outlast the program's wait for its worker.
    big_copy 1024
    window 词典下载 >/dev/null || fail "no download dialog"
    press 词典下载 Escape
    ground_focus "$(window 确认退出)" || fail "no confirmation"
    wait_placing 60
    xdotool key Return
    ends_within 15
    exited_cleanly
    ;;
  kill_query)
    : >"$work/nothing"
    start_stall_server "$work/nothing"
    service_proxy=http://127.0.0.1:$stall_port
    server 16 0
    run
    within 10 test -e "$work/stall-reached" || fail "the download service was not asked"
    kill_program
    no_destination
    ;;
  service_error_page)
    # The service answers with an error page whose body reads like an
    # address (of nothing): the package comes from the command line's.
    server 16 0
    body="http://127.0.0.1:$port/nowhere/dict.zip"
    printf 'HTTP/1.1 502 Bad Gateway\r\nContent-Length: %d\r\nConnection: close\r\n\r\n%s' \
      "${#body}" "$body" >"$work/service-answer"
    start_stall_server "$work/service-answer"
    service_proxy=http://127.0.0.1:$stall_port
    run
    within 10 test -e "$work/stall-reached" || fail "the download service was not asked"
    expect_done
    nothing_else_in_destination_folder
    ;;
  kill_transfer)
    server 64 4m
    run
    within 20 temp_larger_than 4000000 || fail "the transfer did not start"
    kill_program
    no_destination
    ;;
  kill_placing)
    # Killed the moment the last byte is in, as the placement runs.
    server 32 0
    run
    within 30 eval 'temp_larger_than $(($(stat -c %s "${packages[0]}") - 1)) || [ -e "$dest" ]' ||
      fail "the transfer did not end"
    kill_program
    ;;
  dest_missing)
    dest=$work/nowhere/dict.zip
    server 16 0
    run
    expect_error
    no_destination
    temp_kept_whole
    [ ! -e "$work/nowhere" ] || fail "the destination folder was made"
    leave_from_error
    ;;
  dest_readonly)
    # Read-only for root too: a read-only mount.
    mount_tmpfs "$dicts" 4m
    mount -o remount,ro "$dicts" || fail "cannot make the destination folder read-only"
    server 16 0
    run
    expect_error
    no_destination
    temp_kept_whole
    nothing_else_in_destination_folder
    leave_from_error
    ;;
  dest_is_file)
    victim=$work/afile
    echo "not a folder" >"$victim"
    planted_victim=$(fingerprint "$victim")
    dest=$victim/dict.zip
    server 16 0
    run
    expect_error
    temp_kept_whole
    leave_from_error
    ;;
  fifo_temp)
    mkfifo "$(temp_path)"
    planted_temp=$(fingerprint "$(temp_path)")
    server 16 0
    run
    expect_error 15
    no_destination
    nothing_else_in_destination_folder
    leave_from_error
    ;;
  fifo_dest)
    mkfifo "$dest"
    planted_dest=$(fingerprint "$dest")
    server 16 0
    run
    expect_error
    temp_kept_whole
    nothing_else_in_destination_folder
    leave_from_error
    ;;
  symlink_temp)
    victim=$work/victim.zip
    head -c 4096 /dev/urandom >"$victim"
    ln -s "$victim" "$(temp_path)"
    planted_temp=$(fingerprint "$(temp_path)") planted_victim=$(fingerprint "$victim")
    server 16 0
    run
    expect_error
    no_destination
    nothing_else_in_destination_folder
    leave_from_error
    ;;
  symlink_dest)
    # A link to a file not there yet: writing through it would make it.
    mkdir -p "$work/elsewhere"
    ln -s "$work/elsewhere/new.zip" "$dest"
    planted_dest=$(fingerprint "$dest")
    server 16 0
    run
    expect_error
    [ ! -e "$work/elsewhere/new.zip" ] || fail "written through the link: $(describe "$work/elsewhere/new.zip")"
    temp_kept_whole
    nothing_else_in_destination_folder
    leave_from_error
    ;;
  foreign_temp)
    head -c 4096 /dev/urandom >"$(temp_path)"
    chown 65534:65534 "$(temp_path)" 2>/dev/null || { echo "SKIP: $case: only root can plant another user's file"; exit 0; }
    chmod 0666 "$(temp_path)"
    touch -d '2001-01-01 00:00' "$(temp_path)"
    planted_temp=$(fingerprint "$(temp_path)")
    server 16 0
    run
    expect_error
    check_invariant
    no_destination
    nothing_else_in_destination_folder
    leave_from_error
    ;;
  two_runs)
    # Two dictionaries whose packages have the same file name, fetched at
    # once: one 16 MiB, the other 12 MiB, so that bytes of both in one file
    # show.
    mkdir -p "$work/www/other"
    server 16 4m 'location /other/ { limit_rate 4m; }'
    head -c $((12 * 1024 * 1024)) /dev/urandom >"$work/www/other/dict.zip"
    packages+=("$work/www/other/dict.zip")
    run
    first=$app
    within 10 temp_larger_than 2000000 || fail "the first run's transfer did not start"
    run "http://127.0.0.1:$port/other/dict.zip"
    second=$app
    within 60 eval 'settled "$first" /packages/dict.zip && settled "$second" /other/dict.zip' ||
      echo "the runs did not settle within 60 s"
    for p in "$first" "$second"; do
      kill -0 "$p" 2>/dev/null || { app=$p; fail "a run ended by itself: $(ended_how)"; }
    done
    check_invariant
    echo "first run: $([ -n "$(error_window "$first")" ] && echo "error dialog" || echo "no error dialog")," \
      "second run: $([ -n "$(error_window "$second")" ] && echo "error dialog" || echo "no error dialog")"
    ;;
  error_404 | error_500 | error_302)
    # Error pages far larger than 1024 bytes, and a redirect with such a body.
    mkdir -p "$work/www/errors"
    server 16 0 "
    location = /packages/missing.zip { error_page 404 /errors/page.html; }
    location = /packages/broken.zip { error_page 500 /errors/page.html; return 500; }
    location = /packages/moved.zip { error_page 404 =302 /errors/moved.html; }
    location = /errors/moved.html { add_header Location /packages/dict.zip always; }"
    for _ in $(seq 2000); do echo "<p>This page is not the package you were looking for.</p>"; done >"$work/www/errors/page.html"
    cp "$work/www/errors/page.html" "$work/www/errors/moved.html"
    name=${case#error_}
    name=${name/404/missing}; name=${name/500/broken}; name=${name/302/moved}
    answer=$(curl -s --noproxy '*' -o /dev/null -w '%{http_code} %{size_download}' "http://127.0.0.1:$port/packages/$name.zip")
    [ "${answer% *}" = "${case#error_}" ] && [ "${answer#* }" -gt 1024 ] || fail "the server answers $answer"
    run "http://127.0.0.1:$port/packages/$name.zip"
    expect_error
    no_destination
    nothing_else_in_destination_folder
    leave_from_error
    ;;
  stall)
    # The server answers the headers and a little data, then nothing; an
    # attempt fails after 60 s without data.
    server 16 0
    { printf 'HTTP/1.1 200 OK\r\nContent-Length: 16777216\r\nContent-Type: application/zip\r\n\r\n'
      head -c 65536 "${packages[0]}"; } >"$work/stall-answer"
    start_stall_server "$work/stall-answer"
    run "http://127.0.0.1:$stall_port/packages/dict.zip"
    expect_error 80
    no_destination
    nothing_else_in_destination_folder
    leave_from_error
    ;;
  fifo_settings)
    # The dictionary application's language settings are FIFOs that nobody
    # writes to: they count as absent, and the start goes on.
    config=$XDG_CONFIG_HOME/brindlecor/Tarnwick/config
    key=$XDG_CONFIG_DIRS/registry/HKEY_LOCAL_MACHINE/SOFTWARE/Brindlecor
    mkdir -p "$config" "$key"
    mkfifo "$config/codepage.conf" "$key/Tarnwick09PRO"
    server 16 0
    run
    window 词典下载 >/dev/null || fail "no download dialog: the start waits on a settings file"
    expect_done
    ;;
  tmp_is_dest_folder)
    # The temporary folder is the destination's own, spelled otherwise: the
    # temporary file there has a name of its own, gone once it is placed.
    program_tmp=$dicts/../dicts
    temp_path() { echo "$work/(a name of its own)"; }
    server 16 0
    run
    expect_done
    nothing_else_in_destination_folder
    ;;
  dest_identical)
    # Placed before and never registered: the destination holds the package
    # already. It counts as placed, untouched, and the install step follows.
    server 16 0
    cp "${packages[0]}" "$dest"
    planted_dest=$(fingerprint "$dest")
    run
    # The destination looks placed from the start: first the transfer ends.
    within 30 grep -q "GET /packages/dict.zip " "$work/nginx/access.log" || fail "the package was not fetched"
    expect_done
    nothing_else_in_destination_folder
    ;;
  full_queue)
    # Nothing answers the connection; an attempt fails after 60 s.
    server 16 0
    start_full_queue
    run "http://127.0.0.1:$queue_port/packages/dict.zip"
    expect_error 80
    no_destination
    nothing_else_in_destination_folder
    leave_from_error
    ;;
  latin1_name)
    # A name in bytes the locale's encoding cannot read: placed under exactly
    # those bytes.
    export LC_ALL=C.UTF-8
    dest=$dicts/$'caf\xe9.pkg'
    server 16 0
    run
    expect_done
    nothing_else_in_destination_folder
    ;;
  bus_stopped_at_start | bus_stopped_at_install)
    # A session bus that takes connections and never answers, from before
    # the start or from the install dialog on: the window shows at once,
    # and "确定" ends the run within the bus's answer limit (twice 0.5 s).
    start_bus
    stop_bus() { kill -STOP "$private_bus_pid"; }
    if [ "$case" = bus_stopped_at_start ]; then stop_bus; else before_install=stop_bus; fi
    server 2 0
    run
    shown_within 3 词典下载
    expect_done 30 3
    ;;
  *) fail "unknown case $case" ;;
esac
check_invariant
report
started=
echo "PASS: $case"
