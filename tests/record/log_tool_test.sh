#!/usr/bin/env bash
# quorvalin-log on a log written by the program's own writer: info, dump and csv, the exit
# statuses 0, 1 and 2, a truncated file and an output that cannot be written.
# Usage: log_tool_test.sh PATH/TO/quorvalin-log PATH/TO/make_sample_log
set -u
tool=${1:?usage: log_tool_test.sh QUORVALIN_LOG MAKE_SAMPLE_LOG}
make_log=${2:?usage: log_tool_test.sh QUORVALIN_LOG MAKE_SAMPLE_LOG}
unset DISPLAY WAYLAND_DISPLAY

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# Runs the tool, keeping standard output in $out, standard error in $err, the status in $code.
run() {
  out=$("$tool" "$@" 2>"$dir/stderr")
  code=$?
  err=$(cat "$dir/stderr")
}
expect() {  # expect CODE TEXT: the last run's status, and TEXT in its output
  [ "$code" -eq "$1" ] || fail "exit $code, not $1: $out $err"
  grep -qF -- "$2" <<<"$out$err" || fail "no '$2' in: $out $err"
}

log=$dir/sample.kzq
"$make_log" "$log" || fail "make_sample_log failed"
size=$(stat -c %s "$log")

run info "$log"
expect 0 "Format: QUORVALIN TABLET LOG FILE"
for text in "Device: TOLVEX" "Header version: 1" "Firmware: V2.07" "Serial: 123456" \
    "Date and time: 2024-01-31 13:45:07" "902.40 - 927.90 MHz" "2400.00 - 2484.00 MHz" \
    "0x06 sweep          4" "0x0A trigger sweep  1" "0xAB time           2" \
    "First time record: 2024-01-31 13:45:08" "Last time record: 2024-01-31 13:45:09" \
    "End record: yes, records written 7, minutes 0"; do
  grep -qF -- "$text" <<<"$out" || fail "info: no '$text' in: $out"
done

run dump "$log"
expect 0 "0  header         0xBA    894  TOLVEX, version 1"
grep -qE '^ +897  sweep +0x06 +27  start 2400.00 MHz, N 6, block 2400.15 MHz, count 3, ref -20 dBm$' \
  <<<"$out" || fail "dump: no first sweep block line in: $out"
grep -qE "^ +$((size - 11))  end +0xFA +8  records written 7, minutes 0\$" <<<"$out" ||
  fail "dump: no end record line in: $out"

expected="2024-01-31, 13:45:08, 2400000000, 2400300000, 50000, 1, -95.0625, -96.5, -100, -87.5, -0.5, 0
2024-01-31, 13:45:09, 2400000000, 2400150000, 50000, 1, -100, -100.0625, -100.125"
run csv "$log"
[ "$code" -eq 0 ] && [ "$out" = "$expected" ] || fail "csv ($code): $out $err"
run csv "$log" -o "$dir/out.csv"
[ "$code" -eq 0 ] && [ "$(cat "$dir/out.csv")" = "$expected" ] || fail "csv -o ($code): $err"

# Cut inside the end record: what could be read, then where it is damaged.
head -c $((size - 5)) "$log" >"$dir/torn.kzq"
run info "$dir/torn.kzq"
expect 1 "torn record at byte $((size - 11))"
grep -qF "End record: no" <<<"$out" || fail "torn info: $out"
run csv "$dir/torn.kzq"
expect 1 "torn record at byte $((size - 11))"
[ "$out" = "$expected" ] || fail "torn csv: $out"
run dump "$dir/torn.kzq"
expect 1 "torn record at byte $((size - 11))"

run info "$dir/missing.kzq"
expect 1 "missing.kzq: No such file or directory"
head -c 100 /dev/urandom >"$dir/random.kzq"
run info "$dir/random.kzq"
[ "$code" -eq 1 ] || fail "random bytes: exit $code"
if [ -w /dev/full ]; then
  run csv "$log" -o /dev/full
  expect 1 "cannot write /dev/full"
fi
run csv "$log" -o "$dir/../$(basename "$dir")/sample.kzq"
expect 1 "it is the log being read"
[ "$(stat -c %s "$log")" -eq "$size" ] || fail "csv -o onto its own log changed it"

run
expect 2 "Try 'quorvalin-log --help'"
run frobnicate "$log"
expect 2 "unknown command frobnicate"
run csv
expect 2 "csv needs a FILE"
run info "$log" "$log"
expect 2 "one FILE only"
run --help
expect 0 "Exit status"
echo "PASS"
