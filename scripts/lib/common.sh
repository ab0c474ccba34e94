# Shared by the scripts that run commands on private servers: temporary folders, cleanup on
# any exit, readiness checks with a time limit. Source it; every name starts with lw_.
#   lw_traps                     stop what was started and remove the folders on any exit
#   lw_tempdir VAR NAME          a private folder under $TMPDIR, removed at exit
#   lw_started PID               a process to stop at exit (TERM, then KILL after 5 s)
#   lw_started_in FILE           so is the one whose id FILE holds then (one restarted)
#   lw_guard                     also stop them should this script be killed outright
#   lw_wait_until SECONDS CMD…   polls CMD until it succeeds; fails after SECONDS
#   lw_run CMD…                  runs CMD, returns its status, while signals stay handled

lw_pids=()
lw_pidfiles=()
lw_folders=()
lw_child=""
lw_watchdog=""

lw_gone() { # PID: not running, or a zombie waiting to be reaped
  local state
  kill -0 "$1" 2>/dev/null || return 0
  state="$(sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null)"
  [[ "${state:0:1}" == Z ]]
}

lw_cleanup() {
  set +e # whatever fails here, the rest must still be stopped and removed
  local pid i file all=("${lw_pids[@]}")
  [[ -n "$lw_watchdog" ]] && kill "$lw_watchdog" 2>/dev/null
  for file in "${lw_pidfiles[@]}"; do
    read -r pid 2>/dev/null <"$file" && [[ "$pid" =~ ^[0-9]+$ ]] && all+=("$pid")
  done
  [[ -n "$lw_child" ]] && all+=("$lw_child")
  # The last started first: the command, then a desktop's window manager before its X server.
  for ((i = ${#all[@]} - 1; i >= 0; i--)); do kill "${all[i]}" 2>/dev/null; done
  # A test may have left a server stopped (SIGSTOP): it must run to act on the TERM.
  kill -CONT "${all[@]}" 2>/dev/null
  for pid in "${all[@]}"; do
    lw_wait_until 5 lw_gone "$pid" || kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null # reaps our children; returns at once for the others
  done
  [[ ${#lw_folders[@]} -eq 0 ]] || rm -rf "${lw_folders[@]}"
}

lw_traps() {
  trap lw_cleanup EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

lw_tempdir() { # VAR NAME
  local lw_new # a name the caller's VAR will not have
  lw_new="$(mktemp -d -t "lullwick-$2.XXXXXX")" || return 1
  chmod 700 "$lw_new"
  lw_folders+=("$lw_new")
  printf -v "$1" '%s' "$lw_new"
}

lw_started() { lw_pids+=("$@"); }
lw_started_in() { lw_pidfiles+=("$@"); }

lw_guard() {
  local parent=$$ pids="${lw_pids[*]}" files=("${lw_pidfiles[@]}") folders=("${lw_folders[@]}")
  (
    # Polled: nothing tells a process that an unrelated one has died.
    while kill -0 "$parent" 2>/dev/null; do sleep 1; done
    pids="$pids $(cat "${files[@]}" 2>/dev/null)"
    kill $pids 2>/dev/null
    sleep 1
    kill -9 $pids 2>/dev/null
    rm -rf "${folders[@]}"
  ) >/dev/null 2>&1 </dev/null &
  lw_watchdog=$!
}

lw_wait_until() { # SECONDS CMD…
  local end=$((${EPOCHREALTIME//[!0-9]/} + $1 * 1000000))
  shift
  until "$@"; do
    ((${EPOCHREALTIME//[!0-9]/} < end)) || return 1
    sleep 0.1 # the servers waited for offer no event to block on
  done
}

# In the background, so that a signal to this script is handled at once (bash defers traps
# until a foreground command ends); stdin is passed on, as a background command would get
# /dev/null.
lw_run() {
  local status
  "$@" <&0 &
  lw_child=$!
  wait "$lw_child"
  status=$?
  lw_child=""
  return "$status"
}
