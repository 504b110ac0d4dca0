#!/usr/bin/env bash
# Records a spectrum log from the built-in simulated Receiver, ends the program with SIGTERM and
# checks that the log was finished with its end record; then plays the log headless, and refuses
# a file that is no log with status 1. Then a capture survey: a capture every second into a
# capture file, reviewed headless; the survey's run also exports the shown traces as CSV, which
# a script must read. The recording run has --verbose on, and its trace must show the handshake
# and the requests sent.
# Usage: record_replay_test.sh PATH/TO/quorvalin
set -u
program=${1:?usage: record_replay_test.sh PATH/TO/quorvalin}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log="$work/session.kzq"
export XDG_CONFIG_HOME="$work/config"
export HOME="$work"
export QV_NO_RADIO_ALERT=1

# The handshake takes some fifteen seconds; recording starts when it ends.
timeout 60 "$program" -platform offscreen --demo --record "$log" --verbose >"$work/out.txt" 2>&1 &
pid=$!
for _ in $(seq 1 40); do
  grep -q "recording to" "$work/out.txt" 2>/dev/null && break
  sleep 1
done
sleep 3
kill -TERM "$pid"
wait "$pid"
code=$?
if [ "$code" -ne 0 ]; then
  echo "FAIL: quorvalin exited with $code after SIGTERM" >&2
  cat "$work/out.txt" >&2
  exit 1
fi
for expected in 'quorvalin.handshake: Attempting Connection' 'quorvalin.link: tcp sent 11 12 01 01 11 13' \
  'quorvalin.link: internet received 02 ' 'quorvalin.handshake: complete'; do
  if ! grep -q -F "$expected" "$work/out.txt"; then
    echo "FAIL: the --verbose trace has no '$expected':" >&2
    head -40 "$work/out.txt" >&2
    exit 1
  fi
done
size=$(stat -c %s "$log" 2>/dev/null || echo 0)
if [ "$size" -le 908 ]; then
  echo "FAIL: the log holds $size bytes, no sweeps" >&2
  exit 1
fi
head_bytes=$(head -c 3 "$log" | od -An -tx1 | tr -d ' \n')
tail_bytes=$(tail -c 11 "$log" | head -c 3 | od -An -tx1 | tr -d ' \n')
if [ "$head_bytes" != "ba7e03" ] || [ "$tail_bytes" != "fa0800" ]; then
  echo "FAIL: log starts with $head_bytes and its last record with $tail_bytes" >&2
  exit 1
fi

# Plays a file headless (--replay or --review) and needs a snapshot of it.
show_headless() {
  local what=$1 option=$2 file=$3 seconds=$4
  timeout 60 "$program" -platform offscreen "$option" "$file" --snapshot "$work/$what.png" \
    --quit-after "$seconds"
  local code=$?
  if [ "$code" -ne 0 ] || [ ! -s "$work/$what.png" ]; then
    echo "FAIL: $what exited with $code" >&2
    exit 1
  fi
}
show_headless replay --replay "$log" 3

# A picture under a log's name is refused in words, and a scripted run ends with status 1.
{ printf '\211PNG\r\n\032\n'; head -c 3000 /dev/zero; } >"$work/picture.kzq"
timeout 60 "$program" -platform offscreen --replay "$work/picture.kzq" --quit-after 3 \
  >/dev/null 2>"$work/picture.txt"
code=$?
if [ "$code" -ne 1 ] || ! grep -q -F 'picture.kzq: not a spectrum log' "$work/picture.txt"; then
  echo "FAIL: a picture replayed exited with $code: $(cat "$work/picture.txt")" >&2
  exit 1
fi

captures="$work/survey.icf"
timeout 60 "$program" -platform offscreen --demo --capture "$captures" --capture-every 1 \
  --quit-after 21 --export-traces "$work/traces.csv" >/dev/null 2>&1
code=$?
count=$(tail -c 4 "$captures" 2>/dev/null | od -An -tu4 | tr -d ' ')
marker=$(tail -c 5 "$captures" 2>/dev/null | head -c 1 | od -An -tx1 | tr -d ' ')
if [ "$code" -ne 0 ] || [ "$marker" != "00" ] || [ "${count:-0}" -lt 2 ]; then
  echo "FAIL: capture survey exited with $code, trailer $marker, count ${count:-none}" >&2
  exit 1
fi
# Each capture holds one whole sweep and the power of its own levels: a sweep caught while it
# arrived would hold points never received (0 dBm) and the previous sweep's power.
if ! python3 - "$captures" <<'PY'
import math, struct, sys
data = open(sys.argv[1], "rb").read()
at = 0
while at < len(data) and data[at] == 1:
    power, = struct.unpack_from("<f", data, at + 143 + 14)
    n, = struct.unpack_from("<I", data, at + 143 + 5)
    levels = struct.unpack_from("<%dh" % n, data, at + 161)
    whole = 10 * math.log10(sum(10 ** (level / 10) for level in levels))
    assert abs(power - whole) < 0.01, "capture at %d: power %.2f, its levels %.2f dBm" % (at, power, whole)
    at += 161 + 2 * n
PY
then
  echo "FAIL: $captures holds a capture that is no whole sweep" >&2
  exit 1
fi
# The demo's sweeps: each row a frequency in Hz one step above the last, and a live level in dBm.
if ! rows=$(python3 - "$work/traces.csv" <<'PY'
import csv, sys
with open(sys.argv[1], newline="") as f:
    table = list(csv.DictReader(f))
assert table, "no rows"
hz = [int(row["Frequency (Hz)"]) for row in table]
steps = {b - a for a, b in zip(hz, hz[1:])}
assert len(steps) == 1 and steps.pop() > 0, "frequencies do not rise evenly"
assert all(-150 < float(row["Live (dBm)"]) < 30 for row in table), "live levels out of range"
print(len(table))
PY
); then
  echo "FAIL: $work/traces.csv does not read as the shown traces" >&2
  exit 1
fi
show_headless review --review "$captures" 2
echo "PASS: a log of $size bytes, finished on SIGTERM, replayed; $count captures reviewed;" \
  "$rows trace rows exported"
