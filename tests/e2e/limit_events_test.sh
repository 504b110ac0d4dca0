#!/usr/bin/env bash
# Unattended monitoring against the built-in simulated Receiver: a limit line its Wi-Fi bursts
# break leaves rows of violations in the events file and exit status 3; a line nothing reaches
# leaves the header alone and status 0; a limit file that does not read ends the run at once
# with status 1 and the row named.
# Usage: limit_events_test.sh PATH/TO/quorvalin
set -u
program=${1:?usage: limit_events_test.sh PATH/TO/quorvalin}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
export HOME="$work"
header="start,end,worst_frequency_mhz,worst_level_dbm,excess_db,sweeps"
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The handshake holds its texts for about fifteen seconds; sweeps flow for the rest, which
# leaves room for a slow (sanitised, loaded) machine.
run() {  # run NAME LIMIT-OPTION FILE: status in $code
  timeout 90 "$program" -platform offscreen --demo --quit-after 30 "$2" "$3" \
    --limit-events "$work/$1.csv" >"$work/$1.out" 2>"$work/$1.err"
  code=$?
}

# Channel 6 and the other bursts rise far above -90 dBm; the noise floor stays below.
printf '# across the default span\nfrequency_hz,level_dbm\n2400000000,-90\n2450000000,-90\n' \
  >"$work/low.csv"
run broken --limit "$work/low.csv"
[ "$code" -eq 3 ] || { cat "$work/broken.err" >&2; fail "a broken line exited with $code, not 3"; }
[ "$(head -1 "$work/broken.csv")" = "$header" ] || fail "events file header: $(head -1 "$work/broken.csv")"
rows=$(($(wc -l <"$work/broken.csv") - 1))
[ "$rows" -ge 1 ] || fail "no violation written"
time='[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}'
bad=$(tail -n +2 "$work/broken.csv" |
  grep -Evc "^$time,$time,24[0-4][0-9]\.[0-9]{3}|2450\.000,-?[0-9]+\.[0-9]{2},[0-9]+\.[0-9]{2},[1-9][0-9]*$")
[ "$bad" -eq 0 ] || { cat "$work/broken.csv" >&2; fail "$bad malformed rows"; }
# Every excess is positive and the worst level lies above the line by that excess.
awk -F, 'NR > 1 && ($5 <= 0 || ($4 + 90 - $5) > 0.01 || ($4 + 90 - $5) < -0.01) { exit 1 }' \
  "$work/broken.csv" || { cat "$work/broken.csv" >&2; fail "an excess does not match its level"; }

printf '2400000000,-10\n2450000000,-10\n' >"$work/high.csv"
run quiet --limit "$work/high.csv"
[ "$code" -eq 0 ] || { cat "$work/quiet.err" >&2; fail "an unbroken line exited with $code"; }
[ "$(cat "$work/quiet.csv")" = "$header" ] || fail "unbroken line wrote: $(cat "$work/quiet.csv")"

printf '2400000000,-10\n2300000000,-10\n' >"$work/bad.csv"
run bad --limit-lower "$work/bad.csv"
[ "$code" -eq 1 ] || fail "a bad limit file exited with $code, not 1"
grep -q 'bad.csv, row 2: frequencies must ascend' "$work/bad.err" || fail "stderr: $(cat "$work/bad.err")"
echo "PASS: $rows violations written, exit 3; an unbroken line exit 0; a bad file exit 1"
