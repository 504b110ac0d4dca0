#!/usr/bin/env bash
# No run waits for a person who is not there. A mistake on the command line is named and exits
# 1 without a display; a scripted run with a damaged capture file ends by itself with the
# message on standard error; SIGTERM ends a run whose message box waits for an answer, and the
# log it records still gets its end record.
# Usage: scripted_run_test.sh PATH/TO/quorvalin PATH/TO/quorvalin-log
set -u
program=${1:?usage: scripted_run_test.sh PATH/TO/quorvalin PATH/TO/quorvalin-log}
log_tool=${2:?usage: scripted_run_test.sh PATH/TO/quorvalin PATH/TO/quorvalin-log}

work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
export HOME="$work"
export QV_NO_RADIO_ALERT=1

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Without any display, each mistake is one line naming it, and exit status 1.
for case in "--bogus-option|'--bogus-option'" "--connect|--connect" "--quit-after abc|'abc'"; do
  arguments=${case%%|*}
  named=${case#*|}
  # shellcheck disable=SC2086 # the arguments are meant to split
  error=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$program" $arguments \
    2>&1 >/dev/null)
  code=$?
  [ "$code" -eq 1 ] || fail "quorvalin $arguments exited with $code: $error"
  [ "$(wc -l <<<"$error")" -eq 1 ] && grep -q -F -- "$named" <<<"$error" ||
    fail "quorvalin $arguments said: $error"
done

bad="$work/bad.icf"
printf 'not a capture file at all' >"$bad"

# Scripted: the message goes to standard error and the run ends on time.
timeout 30 "$program" -platform offscreen --review "$bad" --quit-after 1 >/dev/null \
  2>"$work/scripted.txt"
code=$?
[ "$code" -eq 0 ] || fail "the scripted review exited with $code: $(cat "$work/scripted.txt")"
grep -q -F 'marker byte is 110, not 1' "$work/scripted.txt" ||
  fail "the scripted review printed no message: $(cat "$work/scripted.txt")"

# Not scripted: the same message is a box that waits while the demo Receiver's sweeps are
# recorded behind it; SIGTERM must still end the program and finish the log.
log="$work/session.kzq"
timeout 90 "$program" -platform offscreen --demo --record "$log" --review "$bad" \
  >"$work/out.txt" 2>&1 &
pid=$!
for _ in $(seq 1 40); do
  grep -q "recording to" "$work/out.txt" 2>/dev/null && break
  sleep 1
done
grep -q "recording to" "$work/out.txt" || fail "no recording started: $(cat "$work/out.txt")"
sleep 2
kill -TERM "$pid"
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "quorvalin still runs 5 s after SIGTERM with its box open"
wait "$pid"
code=$?
pid=
[ "$code" -eq 0 ] || fail "quorvalin exited with $code after SIGTERM: $(cat "$work/out.txt")"
info=$("$log_tool" info "$log" 2>&1) || fail "quorvalin-log info: $info"
grep -q '^End record: yes' <<<"$info" || fail "the log has no end record: $info"
echo "PASS"
