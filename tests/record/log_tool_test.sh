#!/usr/bin/env bash
# quorvalin-log on a log and a capture file written by the program's own writers: info, dump and
# csv, the exit statuses 0, 1 and 2, truncated and damaged files and an output that cannot be
# written.
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
# damaged FILE PROBLEM INFO_TEXT CSV: info and csv exit 1 naming PROBLEM, info shows INFO_TEXT
# and csv gives the lines CSV of what read whole.
damaged() {
  run info "$1"
  expect 1 "$2"
  grep -qF -- "$3" <<<"$out" || fail "damaged info: no '$3' in: $out"
  run csv "$1"
  expect 1 "$2"
  [ "$out" = "$4" ] || fail "damaged csv: $out"
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
[ "$(cat "$log" | "$tool" csv /dev/stdin)" = "$expected" ] || fail "csv from a pipe"
run csv "$log" -o "$dir/out.csv"
[ "$code" -eq 0 ] && [ "$(cat "$dir/out.csv")" = "$expected" ] || fail "csv -o ($code): $err"

# Cut inside the end record: what could be read, then where it is damaged.
head -c $((size - 5)) "$log" >"$dir/torn.kzq"
damaged "$dir/torn.kzq" "torn record at byte $((size - 11))" "End record: no" "$expected"
run dump "$dir/torn.kzq"
expect 1 "torn record at byte $((size - 11))"

run info "$dir/missing.kzq"
expect 1 "missing.kzq: No such file or directory"
head -c 100 /dev/urandom >"$dir/random.kzq"
run info "$dir/random.kzq"
[ "$code" -eq 1 ] || fail "random bytes: exit $code"
# A picture under a log's name: the verdict, and nothing read from it as if it were a header.
{ printf '\211PNG\r\n\032\n'; head -c 3000 /dev/zero; } >"$dir/picture.kzq"
not_log="no header record at byte 0 (type 0xBA, then length 894: the bytes after the type and length)"
for command in info dump csv; do
  run "$command" "$dir/picture.kzq"
  expect 1 "picture.kzq: not a spectrum log: $not_log"
done
run info "$dir/picture.kzq"
[ "$out" = "File: $dir/picture.kzq
Not a spectrum log: $not_log" ] || fail "info on a picture: $out"
if [ -w /dev/full ]; then
  run csv "$log" -o /dev/full
  expect 1 "cannot write /dev/full"
fi
run csv "$log" -o "$dir/../$(basename "$dir")/sample.kzq"
expect 1 "it is the log being read"
[ "$(stat -c %s "$log")" -eq "$size" ] || fail "csv -o onto its own log changed it"

# A capture file: three captures, the second commented; taken by its first byte, not its name.
captures=$dir/captures.icf
"$make_log" "$dir/unused.kzq" "$captures" || fail "make_sample_log (captures) failed"
csize=$(stat -c %s "$captures")
[ "$csize" -eq $((3 * 161 + 2 * 9 + 5)) ] || fail "capture file of $csize bytes"
run info "$captures"
expect 0 "Format: instant capture file"
for text in "Captures: 3" "Capture 1 (list #2) at byte 169" "Date and time: 2024-01-31 13:45:08" \
    "Comment: site B" "Comment: No Comments" "Sweep type: 10 (power trigger)" "Start: 2400.00 MHz" \
    "Points: 4" "RBW: 299 KHz (code 267)" "Reference level: -30 dBm" "Power: -41.25 dBm" \
    "Trailer: count 3"; do
  grep -qF -- "$text" <<<"$out" || fail "capture info: no '$text' in: $out"
done
run dump "$captures"
expect 0 "       169  capture 1  2024-01-31 13:45:08, type 6, start 2400.00 MHz, N 2"
grep -qE "^ +$((csize - 5))  trailer  count 3\$" <<<"$out" || fail "capture dump: $out"
cexpected="2024-01-31, 13:45:07, 2400000000, 2400200000, 50000, 1, -95, -96, -100, -87
2024-01-31, 13:45:08, 2400000000, 2400100000, 50000, 1, -1, 0
2024-01-31, 13:45:09, 2400000000, 2400150000, 50000, 1, -60, -61, -62"
cp "$captures" "$dir/captures.bin"
run csv "$dir/captures.bin"
[ "$code" -eq 0 ] && [ "$out" = "$cexpected" ] || fail "capture csv ($code): $out $err"

# Damaged copies: the whole captures before the damage, then what and where, exit 1.
head -c $((csize - 10)) "$captures" >"$dir/cut.icf"
damaged "$dir/cut.icf" "Capture entry 3 at byte 334 is damaged: the file ends inside it" \
  "Captures: 2" "$(head -n 2 <<<"$cexpected")"
{ head -c 169 "$captures"; printf '\007'; tail -c +171 "$captures"; } >"$dir/marker.icf"
run info "$dir/marker.icf"
expect 1 "its marker byte is 7, not 1"
head -c 100 /dev/urandom >"$dir/random.icf"
run info "$dir/random.icf"
[ "$code" -eq 1 ] || fail "random capture file: exit $code"
: >"$dir/empty.icf"
run info "$dir/empty.icf"
expect 0 "Captures: 0"

# A time window, by the latest time record before each record (13:45:08 is the start, +0).
run csv "$log" --to 0
[ "$code" -eq 0 ] && [ "$out" = "$(head -n 1 <<<"$expected")" ] || fail "csv --to 0: $out $err"
run csv "$log" --from +00:00:01 --to "2024-01-31 13:45:09"
[ "$code" -eq 0 ] && [ "$out" = "$(tail -n 1 <<<"$expected")" ] || fail "csv --from +1: $out"
# A slice that holds nothing is said, not printed as an empty result.
run csv "$log" --from "2024-01-31 13:45:10"
expect 1 "no record between --from 2024-01-31 13:45:10 (the log spans +00:00:00 to +00:00:01, its last clock 2024-01-31 13:45:09)"
[ -z "$out" ] || fail "csv after the log: $out"
run dump "$log" --from +00:00:02 --to 1
expect 1 "--from +00:00:02 --to 1: --from is after --to, the slice holds nothing"
run info "$log" --from 1
expect 0 "0xAB time           1"
grep -qF "Records in the slice: 4" <<<"$out" || fail "info --from 1: $out"
grep -qF "End record in the slice: yes, records written" <<<"$out" || fail "info --from 1: $out"
run info "$log" --to 0
grep -qF "End record in the slice: no (the log's comes after it)" <<<"$out" || fail "info --to 0: $out"
run dump "$dir/torn.kzq" --to 0
expect 1 "torn record at byte $((size - 11))"
grep -q "trigger" <<<"$out" && fail "dump --to 0 shows a later record: $out"
for bad in "+1:00" "+00:60:00" "2024-02-30 10:00:00" "-5"; do
  run csv "$log" --from "$bad"
  expect 2 "not a time"
done

# Summary: the sweeps csv writes, no partial or torn one; one block of rows per setting. Its
# levels are those of the csv lines.
run summary "$log"
[ "$code" -eq 0 ] && [ "$out" = "Hz, min dBm, mean dBm, max dBm, share at or above -85 dBm
2400000000, -95.0625, -95.0625, -95.0625, 0.0000
2400050000, -96.5, -96.5, -96.5, 0.0000
2400100000, -100, -100, -100, 0.0000
2400150000, -87.5, -87.5, -87.5, 0.0000
2400200000, -0.5, -0.5, -0.5, 1.0000
2400250000, 0, 0, 0, 1.0000

2400000000, -100, -100, -100, 0.0000
2400050000, -100.0625, -100.0625, -100.0625, 0.0000
2400100000, -100.125, -100.125, -100.125, 0.0000" ] || fail "summary ($code): $out $err"
run summary "$log" --from 1 --threshold -0.1 -o "$dir/summary.csv"
[ "$code" -eq 0 ] && [ "$(cat "$dir/summary.csv")" = "Hz, min dBm, mean dBm, max dBm, share at or above -0.0625 dBm
2400000000, -100, -100, -100, 0.0000
2400050000, -100.0625, -100.0625, -100.0625, 0.0000
2400100000, -100.125, -100.125, -100.125, 0.0000" ] || fail "summary --from 1 ($code): $err"
run summary "$captures"
expect 1 "reads logs only"
run info "$log" --threshold -80
expect 2 "unknown option --threshold for info"

# Heatmap: a PNG of the asked size (width and height from its header), also for a window; none
# for a window without sweeps.
png_size() { python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); assert d[:8]==b"\x89PNG\r\n\x1a\n" and d[12:16]==b"IHDR"; print("%dx%d" % struct.unpack(">II", d[16:24]))' "$1"; }
run heatmap "$log" -o "$dir/map.png" --width 300 --height 200
[ "$code" -eq 0 ] && [ "$(png_size "$dir/map.png")" = "300x200" ] || fail "heatmap ($code): $err"
run heatmap "$dir/torn.kzq" -o "$dir/map2.png" --from 1
expect 1 "torn record at byte $((size - 11))"
[ "$(png_size "$dir/map2.png")" = "1024x768" ] || fail "heatmap of a torn log"
run heatmap "$log" -o "$dir/none.png" --from 5
expect 1 "no record between --from 5"
[ ! -e "$dir/none.png" ] || fail "heatmap wrote a picture of nothing"
run heatmap "$log"
expect 2 "heatmap needs -o OUT.png"
run heatmap "$log" -o "$dir/x.png" --width 100
expect 2 "not 200 ... 4000 pixels"
if [ -w /dev/full ]; then
  run heatmap "$log" -o /dev/full
  expect 1 "cannot write /dev/full"
fi

# Channels: Wi-Fi channel 6 busy in the first two of four seconds, channel 1 never, the busy
# sweep torn off at the end not counted; the plan follows the log's band; a window picks its own
# sweeps; a band no plan covers is said.
chan=$dir/channels.kzq
"$make_log" --channels "$chan" || fail "make_sample_log --channels failed"
run channels "$chan"
[ "$code" -eq 0 ] || fail "channels ($code): $err"
[ "$(sed -n '1p;2p;7p;15p' <<<"$out")" = "channel, centre MHz, low MHz, high MHz, utilisation %, mean dBm, max dBm
1, 2412, 2401, 2423, 0.0, -100.00, -100
6, 2437, 2426, 2448, 50.0, -99.13, -60
14, 2484, 2473, 2495, 0.0, -100.00, -100" ] || fail "channels: $out"
[ "$(wc -l <<<"$out")" -eq 15 ] || fail "channels: not 14 channels: $out"
run channels "$chan" --from +00:00:02
grep -qx "6, 2437, 2426, 2448, 0.0, -100.00, -100" <<<"$out" || fail "channels --from: $out"
run channels "$chan" --to 1 --threshold -59.9375
grep -qx "6, 2437, 2426, 2448, 0.0, -98.26, -60" <<<"$out" || fail "channels --threshold: $out"
run channels "$chan" --plan wifi5 -o "$dir/chan.csv"
[ "$code" -eq 0 ] && grep -qx "36, 5180, 5170, 5190, , , " "$dir/chan.csv" || fail "channels --plan wifi5"
run channels "$log"
expect 1 "no sweep in the band of a channel plan"
run channels "$chan" --plan wifi7
expect 2 "--plan wifi7: not a channel plan (ism900, wifi24, public-safety, wifi5, unii)"
run channels "$captures"
expect 1 "reads logs only"
run summary "$chan" --plan wifi24
expect 2 "unknown option --plan for summary"

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
