#!/usr/bin/env bash
# quorvalin-recorder as a service manager drives it: mistakes and a folder it cannot write end
# it at once with their statuses; SIGHUP begins the next file; SIGTERM closes the log with its
# end record and ends the run with 0 within a second, even while the Receiver is away.
# Usage: recorder_signals_test.sh PATH/TO/quorvalin-recorder PATH/TO/quorvalin-sim PATH/TO/quorvalin-log
set -u
recorder=${1:?usage: recorder_signals_test.sh RECORDER SIM LOG}
sim=${2:?usage: recorder_signals_test.sh RECORDER SIM LOG}
logtool=${3:?usage: recorder_signals_test.sh RECORDER SIM LOG}

work=$(mktemp -d)
sim_pid=
rec_pid=
small_pid=
trap '[ -n "$rec_pid" ] && kill -9 "$rec_pid" 2>/dev/null; [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; rm -rf "$work"' EXIT
# Whether process $1 is gone within a second.
ended_within_a_second() {
  for _ in $(seq 1 10); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  ! kill -0 "$1" 2>/dev/null
}
fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/rec.txt" ] && cat "$work/rec.txt" >&2
  exit 1
}

# Mistakes: one line naming them, status 1; a folder that cannot be written: status 2.
"$recorder" --connect tcp://127.0.0.1 --log-dir "$work" --rotate 5 >/dev/null 2>"$work/err.txt"
[ $? -eq 1 ] || fail "a bare number for --rotate did not end with status 1"
grep -q -- "--rotate" "$work/err.txt" || fail "the mistake does not name --rotate: $(cat "$work/err.txt")"
touch "$work/file"
"$recorder" --connect tcp://127.0.0.1 --log-dir "$work/file/logs" >/dev/null 2>"$work/err.txt"
[ $? -eq 2 ] || fail "a log folder under a file did not end with status 2"

address="127.0.$((RANDOM % 200 + 20)).$((RANDOM % 250 + 2))"
timeout 170 "$sim" --tcp "$address:0" --rate 200000 --quit-after 160 >"$work/sim.txt" 2>&1 &
sim_pid=$!
port=
for _ in $(seq 1 50); do
  port=$(sed -n 's/.*serving TCP on [0-9.]*:\([0-9]*\).*/\1/p' "$work/sim.txt" | head -1)
  [ -n "$port" ] && break
  sleep 0.2
done
[ -n "$port" ] || fail "the simulated Receiver did not start: $(cat "$work/sim.txt")"

mkdir "$work/logs" "$work/small"
"$recorder" --connect "tcp://$address:$port" --log-dir "$work/logs" >"$work/rec.txt" 2>&1 &
rec_pid=$!
# A second recorder whose files may not grow past 64 KiB: its writes fail as on a full disk.
(trap '' XFSZ; ulimit -f 64; exec "$recorder" --connect "tcp://$address:$port" \
  --log-dir "$work/small" --rotate 10s --metrics "$address:0" >"$work/small.txt" 2>&1) &
small_pid=$!
trap '[ -n "$rec_pid" ] && kill -9 "$rec_pid" 2>/dev/null; kill -9 "$small_pid" 2>/dev/null; [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; rm -rf "$work"' EXIT
logs() { ls "$work/logs" | grep -c '^quorvalin-[0-9]\{8\}-[0-9]\{6\}\(-[0-9]*\)\?\.kzq$'; }
# The handshake takes some ten seconds.
for _ in $(seq 1 150); do
  [ "$(logs)" -ge 1 ] && break
  sleep 0.2
done
[ "$(logs)" -eq 1 ] || fail "no log began after the handshake"
sleep 2
kill -HUP "$rec_pid"
for _ in $(seq 1 50); do
  [ "$(logs)" -ge 2 ] && break
  sleep 0.1
done
[ "$(logs)" -eq 2 ] || fail "SIGHUP did not begin a second file"
sleep 2

# The failed writes are said once each time logging stops, counted, and the recorder goes on.
metrics_port=$(sed -n "s|^Metrics on http://$address:\([0-9]*\)/metrics|\1|p" "$work/small.txt")
[ -n "$metrics_port" ] || fail "the second recorder names no metrics address: $(cat "$work/small.txt")"
errors=
for _ in $(seq 1 100); do
  errors=$(python3 -c "import urllib.request as u; print(u.urlopen('http://$address:$metrics_port/metrics', timeout=5).read().decode())" |
    sed -n 's/^quorvalin_log_write_errors_total \([0-9]*\)$/\1/p')
  [ "${errors:-0}" -ge 1 ] && break
  sleep 0.2
done
[ "${errors:-0}" -ge 1 ] || fail "no write error counted: $(cat "$work/small.txt")"
kill -0 "$small_pid" 2>/dev/null || fail "a write error ended the recorder: $(cat "$work/small.txt")"
stopped=$(grep -c "^Logging stopped: .*File too large" "$work/small.txt")
[ "$stopped" -le "$errors" ] || fail "a write error was said more than once: $(cat "$work/small.txt")"
# Its metrics server has served requests: it must still end within a second.
kill -TERM "$small_pid"
ended_within_a_second "$small_pid" || fail "the recorder serving metrics still runs a second after SIGTERM"

# The Receiver goes away: the recorder stays and waits for it.
kill "$sim_pid"
wait "$sim_pid" 2>/dev/null
sim_pid=
sleep 3
kill -0 "$rec_pid" 2>/dev/null || fail "the recorder ended when the Receiver went away"

kill -TERM "$rec_pid"
ended_within_a_second "$rec_pid" || fail "still running a second after SIGTERM"
wait "$rec_pid"
code=$?
rec_pid=
[ "$code" -eq 0 ] || fail "SIGTERM ended the recorder with $code, not 0"

for log in "$work"/logs/quorvalin-*.kzq; do
  "$logtool" info "$log" >"$work/info.txt" 2>&1 || fail "quorvalin-log cannot read $log: $(cat "$work/info.txt")"
  grep -q "^End record: yes" "$work/info.txt" || fail "$log has no end record: $(cat "$work/info.txt")"
done
echo "PASS: statuses 1 and 2, a write error counted and survived, SIGHUP's second file, and SIGTERM's exit 0 with both logs ended"
