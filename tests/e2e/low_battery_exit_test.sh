#!/usr/bin/env bash
# A simulated Receiver that reports low battery in every sweep ends a scripted run by itself
# with exit code 22, and everything the run asked for is written first: the snapshot, the
# printed PDF and the log with its end record.
# Usage: low_battery_exit_test.sh PATH/TO/quorvalin PATH/TO/quorvalin-sim
set -u
program=${1:?usage: low_battery_exit_test.sh PATH/TO/quorvalin PATH/TO/quorvalin-sim}
sim=${2:?usage: low_battery_exit_test.sh PATH/TO/quorvalin PATH/TO/quorvalin-sim}

work=$(mktemp -d)
sim_pid=
trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
export HOME="$work"

# A loopback address of its own and any free port, so that tests can run side by side.
address="127.0.$((RANDOM % 200 + 20)).$((RANDOM % 250 + 2))"
timeout 150 "$sim" --tcp "$address:0" --low-battery --quit-after 140 >"$work/sim.txt" 2>&1 &
sim_pid=$!
port=
for _ in $(seq 1 50); do
  port=$(sed -n 's/.*serving TCP on [0-9.]*:\([0-9]*\).*/\1/p' "$work/sim.txt" | head -1)
  [ -n "$port" ] && break
  sleep 0.2
done
if [ -z "$port" ]; then
  echo "FAIL: the simulated Receiver did not start:" >&2
  cat "$work/sim.txt" >&2
  exit 1
fi

# The handshake takes some fifteen seconds, the countdown 31 more; --quit-after is the bound.
log="$work/session.kzq"
timeout 140 "$program" -platform offscreen --connect "tcp://$address:$port" --record "$log" \
  --snapshot "$work/last.png" --print-pdf "$work/last.pdf" --quit-after 120 \
  >"$work/out.txt" 2>&1
code=$?
if [ "$code" -ne 22 ]; then
  echo "FAIL: quorvalin exited with $code, not 22" >&2
  cat "$work/out.txt" >&2
  exit 1
fi
if [ ! -s "$work/last.png" ] || [ "$(head -c 4 "$work/last.pdf" 2>/dev/null)" != "%PDF" ]; then
  echo "FAIL: no snapshot or no PDF before the exit:" >&2
  cat "$work/out.txt" >&2
  exit 1
fi
tail_bytes=$(tail -c 11 "$log" 2>/dev/null | head -c 3 | od -An -tx1 | tr -d ' \n')
if [ "$tail_bytes" != "fa0800" ]; then
  echo "FAIL: the log's last record starts with '$tail_bytes', not the end record" >&2
  exit 1
fi
echo "PASS: exit 22 with snapshot, PDF and a finished log of $(stat -c %s "$log") bytes"
