#!/usr/bin/env bash
# The contract of scripts/with-sound-server: a private server with a virtual microphone that
# is the default source and no monitor, the command's exit status, and nothing left behind.
set -uo pipefail
script="$1"
failures=0
check() { # description, then the command that must succeed
  local what="$1"
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

record="$(mktemp)"
trap 'rm -f "$record"' EXIT

"$script" bash -c '
  echo "server=$PULSE_SERVER runtime=$XDG_RUNTIME_DIR"
  echo "sink=$LULLWICK_TEST_SINK source=$LULLWICK_TEST_SOURCE"
  echo "default=$(pactl get-default-source)"
  pactl list short sources | awk -v s="$LULLWICK_TEST_SOURCE" "\$2 == s { print \"spec=\" \$4, \$5, \$6 }"
  pactl list sources | grep -A30 "Name: $LULLWICK_TEST_SOURCE\$" | grep -m1 "Monitor of Sink" | sed "s/^\s*/monitor-of=/"
  pactl list short sinks | awk -v s="$LULLWICK_TEST_SINK" "\$2 == s { print \"sink-rate=\" \$6 }"
  pgrep -f "pulseaudio.*${XDG_RUNTIME_DIR%/runtime}" | head -1 | sed "s/^/pid=/"
  exit 7' >"$record" 2>&1
status=$?
cat "$record"

value() { sed -n "s/^$1=//p" "$record" | head -1; }
server_pid="$(value pid)"
runtime="$(sed -n 's/^server=.* runtime=//p' "$record")"

check "the command's exit status is returned" test "$status" -eq 7
check "sink and source are named" grep -qx "sink=lullwick_test_sink source=lullwick_test_mic" "$record"
check "the virtual microphone is the default source" grep -qx "default=lullwick_test_mic" "$record"
check "the microphone is no monitor" grep -qx "monitor-of=Monitor of Sink: n/a" "$record"
check "the sink runs at 48000 Hz" grep -qx "sink-rate=48000Hz" "$record"
check "a private runtime folder" test -n "$runtime"
check "the runtime folder is removed" test ! -e "$runtime"
check "the server was found running" test -n "$server_pid"
check "the server is gone" bash -c "! kill -0 '$server_pid' 2>/dev/null"

"$script" true
check "success passes through" test $? -eq 0

exit $((failures > 0))
