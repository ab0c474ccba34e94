#!/usr/bin/env bash
# Checks scripts/with-dbus: two private working buses for the command, the command's exit
# status passed on, and nothing left running or on disk afterwards, also when interrupted.
set -euo pipefail
with_dbus="$1"
work="$(mktemp -d /tmp/lullwick-with-dbus-test.XXXXXX)"
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work/tmp"
mkdir "$TMPDIR"

fail() { echo "FAIL: $*" >&2; exit 1; }

# The buses started in our folder that still run.
leftovers() {
  local file args
  for file in /proc/[0-9]*/cmdline; do
    { mapfile -d '' args <"$file"; } 2>/dev/null || continue
    [[ "${args[*]}" == dbus-daemon*"$work/tmp/"* ]] && echo "${file%/cmdline}"
  done
  return 0
}

check_clean() {
  [[ -z "$(ls -A "$TMPDIR")" ]] || fail "left behind in TMPDIR: $(ls -A "$TMPDIR")"
  [[ -z "$(leftovers)" ]] || fail "buses still running: $(leftovers)"
}

# Both buses answer, and they are two different buses.
"$with_dbus" bash -c '
  set -e
  [[ "$DBUS_SESSION_BUS_ADDRESS" == unix:path=* && "$DBUS_SYSTEM_BUS_ADDRESS" == unix:path=* ]]
  session=$(dbus-send --bus="$DBUS_SESSION_BUS_ADDRESS" --print-reply=literal \
              --dest=org.freedesktop.DBus / org.freedesktop.DBus.GetId)
  system=$(dbus-send --bus="$DBUS_SYSTEM_BUS_ADDRESS" --print-reply=literal \
              --dest=org.freedesktop.DBus / org.freedesktop.DBus.GetId)
  [[ -n "$session" && "$session" != "$system" ]]
  # Anyone may own a system service name on the stand-in system bus.
  dbus-send --bus="$DBUS_SYSTEM_BUS_ADDRESS" --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.RequestName string:org.freedesktop.login1 uint32:0 >/dev/null
' || fail "the command did not get two working buses"
check_clean

# The command's status, success or not.
"$with_dbus" true || fail "status 0 not passed on"
status=0; "$with_dbus" sh -c 'exit 7' || status=$?
[[ $status -eq 7 ]] || fail "status 7 came back as $status"
check_clean

# Standard input reaches the command.
[[ "$(echo hello | "$with_dbus" cat)" == hello ]] || fail "stdin not passed on"

# Interrupted while the command runs: the buses and the folder go all the same.
"$with_dbus" sleep 300 &
runner=$!
for _ in $(seq 100); do
  [[ -n "$(leftovers)" ]] && break
  sleep 0.1 # polling for the buses to appear; nothing to wait on instead
done
[[ -n "$(leftovers)" ]] || fail "the buses never started"
kill -TERM "$runner"
status=0; wait "$runner" || status=$?
[[ $status -eq 143 ]] || fail "interrupted run ended with $status"
check_clean
echo PASS
