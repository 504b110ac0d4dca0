#!/usr/bin/env bash
# A scripted replay that starts at a time of the log: the exported live trace is the sweep of
# that second (make_sample_log --seconds puts -(50 + s) dBm in every point of second s). A time
# outside the log is said on standard error, and the replay starts at the start. Limit
# violations found in a replay carry the log's clock.
# Usage: replay_from_test.sh PATH/TO/quorvalin PATH/TO/make_sample_log
set -u
program=${1:?usage: replay_from_test.sh PATH/TO/quorvalin PATH/TO/make_sample_log}
make_log=${2:?usage: replay_from_test.sh PATH/TO/quorvalin PATH/TO/make_sample_log}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" HOME="$work" QV_NO_RADIO_ALERT=1
"$make_log" --seconds "$work/steps.zn" 30 || { echo "FAIL: no log made" >&2; exit 1; }

# The live level of the first point in an exported trace CSV.
live_level() {
  python3 - "$1" <<'PY'
import csv, sys
rows = list(csv.reader(open(sys.argv[1])))
column = next(i for i, name in enumerate(rows[0]) if name.startswith("Live"))
print(float(rows[1][column]))
PY
}

# A record per tick (150 ms; 21 records, over three seconds, for a second of the log) stays
# within the second reached until the run quits, once the scan is done (well within 3 s).
run() {
  local name=$1
  shift
  timeout 60 "$program" -platform offscreen --replay "$work/steps.zn" "$@" --quit-after 3 \
    --export-traces "$work/$name.csv" >"$work/$name.out" 2>"$work/$name.err"
  local code=$?
  if [ "$code" -ne 0 ] || [ ! -s "$work/$name.csv" ]; then
    echo "FAIL: $name exited with $code: $(cat "$work/$name.err")" >&2
    exit 1
  fi
}

run offset --replay-from +00:00:05
level=$(live_level "$work/offset.csv")
if [ "$level" != "-55.0" ]; then
  echo "FAIL: --replay-from +00:00:05 exported a live level of $level dBm, not -55" >&2
  exit 1
fi

run clock --replay-from "2026-12-07 03:10:12"
level=$(live_level "$work/clock.csv")
if [ "$level" != "-62.0" ]; then
  echo "FAIL: --replay-from 03:10:12 exported a live level of $level dBm, not -62" >&2
  exit 1
fi

run outside --replay-from +01:00:00
level=$(live_level "$work/outside.csv")
if ! grep -q -F -- "--replay-from: outside the log" "$work/outside.err" || [ "$level" != "-50.0" ]; then
  echo "FAIL: a time outside the log gave $level dBm and said: $(cat "$work/outside.err")" >&2
  exit 1
fi

# A limit line checked during a replay: the violation carries the log's time, not today's.
# Second 5 (-55 dBm) breaks a -56 dBm line; a record per tick stays in it until the run quits.
printf '2400000000,-56\n2500000000,-56\n' >"$work/mask.csv"
timeout 60 "$program" -platform offscreen --replay "$work/steps.zn" --replay-from +00:00:05 \
  --limit "$work/mask.csv" --limit-events "$work/events.csv" --quit-after 3 \
  >/dev/null 2>"$work/limit.err"
code=$?
if [ "$code" -ne 3 ] || ! grep -q "^2026-12-07 03:10:05,2026-12-07 03:10:05,.*,-55.00,1.00," "$work/events.csv"; then
  echo "FAIL: a replay against a limit exited with $code and wrote: $(cat "$work/events.csv")" >&2
  exit 1
fi

# A bad speed is refused before any window opens.
timeout 30 "$program" -platform offscreen --replay "$work/steps.zn" --replay-speed 3 \
  >/dev/null 2>"$work/speed.err"
if [ $? -ne 1 ] || ! grep -q -F -- "--replay-speed takes" "$work/speed.err"; then
  echo "FAIL: --replay-speed 3 was not refused: $(cat "$work/speed.err")" >&2
  exit 1
fi
echo "PASS"
